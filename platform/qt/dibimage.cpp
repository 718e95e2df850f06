#include "platform/qt/dibimage.h"

#include "platform/dibsection.h"

#include <algorithm>
#include <cstring>

namespace {

QList<QRgb> ColourTable(const CDibSection& dib, int nEntries) {
    QList<QRgb> table(nEntries, qRgb(0, 0, 0));
    const auto& colours = dib.GetColourTable();
    for (std::size_t i = 0; i < colours.size() && i < static_cast<std::size_t>(nEntries); ++i)
        table[static_cast<qsizetype>(i)] =
            qRgb(colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue);
    return table;
}

} // namespace

QImage DibToImage(const CDibSection& dib) {
    QImage image;
    DibToImage(dib, image);
    return image;
}

void DibToImage(const CDibSection& dib, QImage& image) {
    const int nWidth = dib.GetWidth();
    const int nHeight = dib.GetHeight();
    const int nBits = dib.GetBitCount();
    const QImage::Format format = nBits == 24  ? QImage::Format_BGR888
                                  : nBits == 1 ? QImage::Format_Mono
                                               : QImage::Format_Indexed8;
    // Every row is written below, so kept memory needs no clearing.
    if (image.width() != nWidth || image.height() != nHeight || image.format() != format ||
        !image.isDetached())
        image = QImage(nWidth, nHeight, format);
    if (image.isNull())
        return;
    if (nBits != 24)
        image.setColorTable(ColourTable(dib, 1 << nBits));
    const std::size_t nStride = dib.GetStride();
    for (int y = 0; y < nHeight; ++y) {
        // DIB rows are stored bottom-up.
        const unsigned char* pSrc =
            dib.GetBits() + static_cast<std::size_t>(nHeight - 1 - y) * nStride;
        uchar* pDst = image.scanLine(y);
        if (nBits == 4) {
            for (int x = 0; x < nWidth; ++x) {
                const unsigned char b = pSrc[x / 2];
                pDst[x] = x % 2 == 0 ? b >> 4 : b & 0x0F;
            }
        } else {
            // Both sides pad rows to 4 bytes, so the lengths agree; the
            // smaller is taken all the same.
            std::memcpy(pDst, pSrc,
                        std::min(nStride, static_cast<std::size_t>(image.bytesPerLine())));
        }
    }
}
