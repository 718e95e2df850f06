#include "tools/picturebuild.h"

#include "pictures/lzwencoder.h"
#include "platform/dibsection.h"
#include "tools/pictureimage.h"

#include <QImage>
#include <stdexcept>

namespace {

struct ViewSize {
    const char* pszName;
    AircraftView view;
    int nWidth, nHeight, nBits;
};

// The preview fits the viewer's 240 x 160 area with a grey rim around it.
constexpr ViewSize kPreview = {"preview", AircraftView::Side, 232, 150, 8};

// "side-large" is larger than 640 x 480, so the viewer's window sizing and
// clipping see real use.
constexpr ViewSize kViews[] = {
    {"side-large", AircraftView::Side, 800, 500, 8},
    {"side", AircraftView::Side, 480, 300, 8},
    {"top", AircraftView::Top, 480, 480, 24},
    {"front", AircraftView::Front, 400, 260, 8},
};

std::string Bytes(const std::vector<unsigned char>& v) {
    return std::string(v.begin(), v.end());
}

// QImage rows run top-down; a DIB's bottom-up, each padded to 4 bytes.
std::string EncodeImage(const QImage& source, int nBits) {
    const int w = source.width(), h = source.height();
    const std::size_t nStride = CDibSection::StrideFor(w, nBits);
    std::vector<unsigned char> pixels(nStride * static_cast<std::size_t>(h), 0);
    std::vector<RGBQUAD> colours;
    if (nBits == 8) {
        const QImage image = ToPalette8(source);
        for (QRgb rgb : image.colorTable())
            colours.push_back({static_cast<std::uint8_t>(qBlue(rgb)),
                               static_cast<std::uint8_t>(qGreen(rgb)),
                               static_cast<std::uint8_t>(qRed(rgb)), 0});
        for (int y = 0; y < h; ++y) {
            const uchar* pRow = image.constScanLine(y);
            std::copy(pRow, pRow + w,
                      pixels.begin() + static_cast<std::ptrdiff_t>((h - 1 - y) * nStride));
        }
    } else {
        const QImage image = source.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            const auto* pRow = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            unsigned char* pOut = pixels.data() + (h - 1 - y) * nStride;
            for (int x = 0; x < w; ++x) {
                pOut[3 * x] = static_cast<unsigned char>(qBlue(pRow[x]));
                pOut[3 * x + 1] = static_cast<unsigned char>(qGreen(pRow[x]));
                pOut[3 * x + 2] = static_cast<unsigned char>(qRed(pRow[x]));
            }
        }
    }
    return Bytes(WritePictureRecord(w, h, nBits, colours, pixels));
}

// An image file shown at a view's size: scaled to fit, centred on white.
QImage FitImage(const QImage& image, int nWidth, int nHeight) {
    QImage out(nWidth, nHeight, QImage::Format_RGB32);
    out.fill(Qt::white);
    const QImage scaled =
        image.scaled(nWidth, nHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    for (int y = 0; y < scaled.height(); ++y)
        for (int x = 0; x < scaled.width(); ++x)
            out.setPixel(x + (nWidth - scaled.width()) / 2, y + (nHeight - scaled.height()) / 2,
                         scaled.pixel(x, y));
    return out;
}

} // namespace

std::vector<std::string> BuildTypePictures(const SourceType& type, const std::string& strWhere) {
    std::vector<std::string> records;
    for (std::size_t i = 0; i < type.exact.size(); ++i) {
        try {
            records.push_back(pictureimage::EncodeRecord(pictureimage::Load(type.exact[i].strFile),
                                                         type.exact[i].nBits));
        } catch (const std::invalid_argument& e) {
            throw CSourceError(strWhere + ".pictures[" + std::to_string(i) + "]: " + e.what());
        }
    }
    if (!type.drawing && type.strImage.empty())
        return records;

    QImage image;
    AircraftDrawing drawing;
    if (type.drawing) {
        drawing = *type.drawing;
        drawing.dLength = type.record.value8;
        drawing.dSpan = type.record.value7;
        drawing.dHeight = type.record.value9;
    } else {
        try {
            image = LoadImageFile(type.strImage);
        } catch (const std::invalid_argument& e) {
            throw CSourceError(strWhere + ".image: " + e.what());
        }
    }
    auto render = [&](const ViewSize& size) {
        const QImage picture = type.drawing
                                   ? PaintAircraft(drawing, size.view, size.nWidth, size.nHeight)
                                   : FitImage(image, size.nWidth, size.nHeight);
        return EncodeImage(picture, size.nBits);
    };
    records.push_back(render(kPreview));
    for (const std::string& strView : type.views)
        for (const ViewSize& size : kViews)
            if (strView == size.pszName)
                records.push_back(render(size));
    return records;
}
