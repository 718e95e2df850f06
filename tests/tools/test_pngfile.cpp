#include "platform/dibsection.h"
#include "support/testdib.h"
#include "tools/pngfile.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

void ExpectSamePixels(const CDibSection& dib) {
    const std::string strPng = pngfile::Encode(dib);
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(strPng.data()),
                                   static_cast<int>(strPng.size()), "PNG"));
    ASSERT_EQ(image.width(), dib.GetWidth());
    ASSERT_EQ(image.height(), dib.GetHeight());
    for (std::int32_t y = 0; y < dib.GetHeight(); ++y)
        for (std::int32_t x = 0; x < dib.GetWidth(); ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFFu, dib.GetPixelRgb(x, y))
                << dib.GetBitCount() << " bits at " << x << "," << y;
}

TEST(PngFile, EveryDepthAndWidthHoldsThePixelsExactly) {
    for (const int nBits : {1, 4, 8, 24})
        for (const std::int32_t nWidth : {1, 3, 7, 8, 9, 33}) {
            const auto pDib =
                MakeTestDib(nWidth, 5, nBits, nBits == 24 ? 0 : std::size_t{1} << nBits);
            ASSERT_TRUE(pDib);
            ExpectSamePixels(*pDib);
        }
}

// An index the colour table does not hold shows black, as the viewer draws it.
TEST(PngFile, IndexesBeyondAShortColourTableAreBlack) {
    for (const int nBits : {1, 4, 8}) {
        const auto pDib = MakeTestDib(17, 4, nBits, 1);
        ASSERT_TRUE(pDib);
        ExpectSamePixels(*pDib);
    }
    const auto pEmpty = MakeTestDib(6, 2, 8, 0);
    ASSERT_TRUE(pEmpty);
    ExpectSamePixels(*pEmpty);
}

// A large noisy picture goes to the general coder, a large flat one to the
// row coder; both must come back exactly.
TEST(PngFile, LargeNoisyAndFlatPicturesHoldThePixelsExactly) {
    const auto pNoise = MakeTestDib(300, 200, 8, 256);
    ASSERT_TRUE(pNoise);
    ExpectSamePixels(*pNoise);
    const auto pFlat = MakeTestDib(300, 200, 24, 0);
    ASSERT_TRUE(pFlat);
    for (std::size_t i = 0; i < pFlat->GetSize(); ++i)
        pFlat->GetBits()[i] = static_cast<unsigned char>(i / pFlat->GetStride() / 9);
    ExpectSamePixels(*pFlat);
}

TEST(PngFile, PaletteDepthsStayPaletteImages) {
    const auto pDib = MakeTestDib(40, 30, 8, 256);
    ASSERT_TRUE(pDib);
    const std::string strPng = pngfile::Encode(*pDib);
    ASSERT_GT(strPng.size(), 26u);
    EXPECT_EQ(strPng.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    EXPECT_EQ(strPng[24], 8); // bit depth
    EXPECT_EQ(strPng[25], 3); // colour type: palette
    EXPECT_EQ(strPng.substr(strPng.size() - 12), std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12));
}

TEST(PngFile, UnwritablePathIsReported) {
    const auto pDib = MakeTestDib(2, 2, 8, 4);
    ASSERT_TRUE(pDib);
    EXPECT_THROW(pngfile::Write(*pDib, "/nonexistent-dir/x.png"), std::runtime_error);
}

} // namespace
