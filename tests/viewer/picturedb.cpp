#include "viewer/picturedb.h"

#include "pictures/lzwencoder.h"
#include "platform/dibsection.h"
#include "support/dbwriter.h"
#include "support/templates.h"

namespace {

const QRgb kGrey = qRgb(194, 194, 194);

int Index(const CPicturePattern& pattern, int x, int y) {
    const int nColours = pattern.nBitCount == 24 ? 256 : 1 << pattern.nBitCount;
    return (x + 2 * y) % nColours;
}

RGBQUAD Colour(int i) {
    return RGBQUAD{static_cast<std::uint8_t>((i * 37) % 256), static_cast<std::uint8_t>(255 - i),
                   static_cast<std::uint8_t>(i), 0};
}

QRgb ToRgb(const RGBQUAD& q) {
    return qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

} // namespace

QRgb PatternColour(const CPicturePattern& pattern, int x, int y) {
    return ToRgb(Colour(Index(pattern, x, y)));
}

std::string PatternRecord(const CPicturePattern& pattern) {
    const std::size_t nStride = CDibSection::StrideFor(pattern.nWidth, pattern.nBitCount);
    std::vector<unsigned char> pixels(nStride * static_cast<std::size_t>(pattern.nHeight), 0);
    for (int y = 0; y < pattern.nHeight; ++y) {
        unsigned char* pRow =
            pixels.data() + static_cast<std::size_t>(pattern.nHeight - 1 - y) * nStride;
        for (int x = 0; x < pattern.nWidth; ++x) {
            const int i = Index(pattern, x, y);
            if (pattern.nBitCount == 24) {
                const RGBQUAD q = Colour(i);
                pRow[3 * x] = q.rgbBlue;
                pRow[3 * x + 1] = q.rgbGreen;
                pRow[3 * x + 2] = q.rgbRed;
            } else {
                const int nBit = x * pattern.nBitCount;
                pRow[nBit / 8] |=
                    static_cast<unsigned char>(i << (8 - pattern.nBitCount - nBit % 8));
            }
        }
    }
    std::vector<RGBQUAD> colours;
    if (pattern.nBitCount != 24)
        for (int i = 0; i < 1 << pattern.nBitCount; ++i)
            colours.push_back(Colour(i));
    const auto record =
        WritePictureRecord(pattern.nWidth, pattern.nHeight, pattern.nBitCount, colours, pixels);
    return std::string(record.begin(), record.end());
}

std::vector<std::int32_t> WritePictureDatabase(const CTempDir& dir,
                                               const std::vector<CTypePictures>& types) {
    CDbWriter db;
    db.AddString("");
    db.AddTreeNamed(-1, -1, W("Типы"));
    std::vector<std::int32_t> offsets;
    for (std::size_t i = 0; i < types.size(); ++i) {
        const CTypePictures& type = types[i];
        db.AddTreeNamed(0, static_cast<std::int32_t>(i), "T" + std::to_string(i));
        AircraftRecord rec{};
        rec.previewOffset = static_cast<std::int32_t>(db.m_pictures.size());
        rec.pictureCount = type.nCount.value_or(static_cast<std::int32_t>(type.series.size()));
        if (type.preview)
            db.AddPicture(PatternRecord(*type.preview));
        for (const CPicturePattern& pattern : type.series)
            db.AddPicture(PatternRecord(pattern));
        db.m_pictures += type.strTail;
        db.AddAircraft(rec);
        offsets.push_back(rec.previewOffset);
    }
    db.Write(dir.Path());
    dir.WriteFile("Static texts.rtf", CardTemplateRtf());
    return offsets;
}

testing::AssertionResult ShowsPattern(const QImage& area, const CPicturePattern& pattern,
                                      QPoint at) {
    const QImage image = area.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int px = x - at.x();
            const int py = y - at.y();
            const bool bInside = px >= 0 && px < pattern.nWidth && py >= 0 && py < pattern.nHeight;
            const QRgb expected = bInside ? PatternColour(pattern, px, py) : kGrey;
            if (image.pixel(x, y) != expected)
                return testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << image.pixel(x, y)
                       << ", not " << expected << std::dec << " of a " << pattern.nWidth << " x "
                       << pattern.nHeight << " picture at (" << at.x() << ", " << at.y() << ")";
        }
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult IsPlainGrey(const QImage& area) {
    return ShowsPattern(area, CPicturePattern{}, QPoint(0, 0));
}
