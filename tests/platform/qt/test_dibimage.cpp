#include "platform/dibsection.h"
#include "platform/qt/dibimage.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<CDibSection> MakeDib(int nWidth, int nHeight, int nBitCount, unsigned nSeed) {
    CBitmapInfo info;
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<std::uint16_t>(nBitCount);
    if (nBitCount != 24)
        for (unsigned i = 0; i < (1u << nBitCount); ++i)
            info.bmiColors.push_back(
                {static_cast<std::uint8_t>(i * nSeed), static_cast<std::uint8_t>(i + nSeed), 7, 0});
    std::unique_ptr<CDibSection> pDib = CDibSection::Create(info);
    for (std::size_t i = 0; i < pDib->GetSize(); ++i)
        pDib->GetBits()[i] = static_cast<unsigned char>(i * 31 + nSeed);
    return pDib;
}

// The viewer converts each step into the image of the step before; the
// result must be the fresh conversion's, pixel and colour table alike.
TEST(DibImage, ReusedImageEqualsAFreshOne) {
    struct Step {
        int nWidth, nHeight, nBitCount;
    };
    const Step steps[] = {{800, 500, 8}, {800, 500, 8}, {5, 3, 24},   {33, 7, 4},
                          {33, 7, 1},    {33, 7, 8},    {800, 500, 8}};
    QImage image;
    unsigned nSeed = 1;
    for (const Step& step : steps) {
        const auto pDib = MakeDib(step.nWidth, step.nHeight, step.nBitCount, ++nSeed);
        DibToImage(*pDib, image);
        EXPECT_EQ(image, DibToImage(*pDib)) << step.nWidth << " x " << step.nHeight;
    }
}

// An image shared with another holder is not written through.
TEST(DibImage, SharedImageIsLeftAlone) {
    QImage image;
    DibToImage(*MakeDib(16, 4, 8, 3), image);
    const QImage held = image;
    const QImage before = held.copy();
    DibToImage(*MakeDib(16, 4, 8, 9), image);
    EXPECT_EQ(held, before);
    EXPECT_NE(image, held);
}

} // namespace
