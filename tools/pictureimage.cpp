#include "tools/pictureimage.h"

#include "pictures/lzwencoder.h"
#include "platform/dibsection.h"

#include <QString>
#include <stdexcept>
#include <vector>

namespace pictureimage {

QImage FromDib(const CDibSection& dib) {
    const int w = dib.GetWidth(), h = dib.GetHeight(), nBits = dib.GetBitCount();
    if (nBits == 24) {
        QImage image(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            auto* pRow = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                pRow[x] = 0xFF000000u | dib.GetPixelRgb(x, y);
        }
        return image;
    }
    QImage image(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const RGBQUAD& q : dib.GetColourTable())
        table.push_back(qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue));
    image.setColorTable(table);
    const unsigned nMask = (1u << nBits) - 1;
    for (int y = 0; y < h; ++y) {
        const unsigned char* pIn =
            dib.GetBits() + static_cast<std::size_t>(h - 1 - y) * dib.GetStride();
        uchar* pOut = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const std::size_t nBit = static_cast<std::size_t>(x) * static_cast<unsigned>(nBits);
            pOut[x] = static_cast<uchar>((pIn[nBit / 8] >> (8 - nBits - nBit % 8)) & nMask);
        }
    }
    return image;
}

std::string EncodeRecord(const QImage& source, int nBits) {
    const int w = source.width(), h = source.height();
    if (w < 1 || h < 1 || w > CDibSection::kMaxSide || h > CDibSection::kMaxSide)
        throw std::invalid_argument("picture size out of range");
    const std::size_t nStride = CDibSection::StrideFor(w, nBits);
    std::vector<unsigned char> pixels(nStride * static_cast<std::size_t>(h), 0);
    std::vector<RGBQUAD> colours;
    if (nBits == 24) {
        const QImage image = source.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            const auto* pRow = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            unsigned char* pOut = pixels.data() + static_cast<std::size_t>(h - 1 - y) * nStride;
            for (int x = 0; x < w; ++x) {
                pOut[3 * x] = static_cast<unsigned char>(qBlue(pRow[x]));
                pOut[3 * x + 1] = static_cast<unsigned char>(qGreen(pRow[x]));
                pOut[3 * x + 2] = static_cast<unsigned char>(qRed(pRow[x]));
            }
        }
    } else {
        // Mono images convert to indexed ones with their table kept.
        const QImage image =
            source.format() == QImage::Format_Mono || source.format() == QImage::Format_MonoLSB
                ? source.convertToFormat(QImage::Format_Indexed8)
                : source;
        if (image.format() != QImage::Format_Indexed8)
            throw std::invalid_argument("a " + std::to_string(nBits) +
                                        "-bit picture must be an indexed image");
        if (image.colorCount() < 1 || image.colorCount() > (1 << nBits))
            throw std::invalid_argument("the palette has " + std::to_string(image.colorCount()) +
                                        " colours; " + std::to_string(nBits) + " bits hold 1 to " +
                                        std::to_string(1 << nBits));
        for (QRgb rgb : image.colorTable())
            colours.push_back({static_cast<std::uint8_t>(qBlue(rgb)),
                               static_cast<std::uint8_t>(qGreen(rgb)),
                               static_cast<std::uint8_t>(qRed(rgb)), 0});
        const unsigned nLimit = 1u << nBits;
        for (int y = 0; y < h; ++y) {
            const uchar* pIn = image.constScanLine(y);
            unsigned char* pOut = pixels.data() + static_cast<std::size_t>(h - 1 - y) * nStride;
            for (int x = 0; x < w; ++x) {
                if (pIn[x] >= nLimit)
                    throw std::invalid_argument(
                        "pixel " + std::to_string(x) + "," + std::to_string(y) + " has index " +
                        std::to_string(pIn[x]) + ", beyond " + std::to_string(nBits) + " bits");
                const std::size_t nBit = static_cast<std::size_t>(x) * static_cast<unsigned>(nBits);
                pOut[nBit / 8] |= static_cast<unsigned char>(pIn[x] << (8 - nBits - nBit % 8));
            }
        }
    }
    const std::vector<unsigned char> record = WritePictureRecord(w, h, nBits, colours, pixels);
    return std::string(record.begin(), record.end());
}

QImage Load(const std::string& strPath) {
    QImage image;
    if (!image.load(QString::fromStdString(strPath)))
        throw std::invalid_argument(strPath + ": cannot be read as an image");
    return image;
}

} // namespace pictureimage
