#include "platform/dibsection.h"
#include "platform/qt/dibimage.h"
#include "support/testdib.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

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
        const auto pDib =
            MakeTestDib(step.nWidth, step.nHeight, step.nBitCount,
                        step.nBitCount == 24 ? 0 : std::size_t{1} << step.nBitCount, ++nSeed);
        DibToImage(*pDib, image);
        EXPECT_EQ(image, DibToImage(*pDib)) << step.nWidth << " x " << step.nHeight;
    }
}

// An image shared with another holder is not written through.
TEST(DibImage, SharedImageIsLeftAlone) {
    QImage image;
    DibToImage(*MakeTestDib(16, 4, 8, 256, 3), image);
    const QImage held = image;
    const QImage before = held.copy();
    DibToImage(*MakeTestDib(16, 4, 8, 256, 9), image);
    EXPECT_EQ(held, before);
    EXPECT_NE(image, held);
}

} // namespace
