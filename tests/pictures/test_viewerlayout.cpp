#include "pictures/viewerlayout.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(CentredOffset, TruncatesTowardZero) {
    EXPECT_EQ(CentredOffset(240, 240), 0);
    EXPECT_EQ(CentredOffset(240, 100), 70);
    EXPECT_EQ(CentredOffset(160, 50), 55);
    EXPECT_EQ(CentredOffset(240, 239), 0);
    // -1 / 2 is 0, not -1: the extra column is lost on the right only.
    EXPECT_EQ(CentredOffset(240, 241), 0);
    EXPECT_EQ(CentredOffset(240, 244), -2);
    EXPECT_EQ(CentredOffset(240, 245), -2);
    // Sizes straight from a header must not wrap.
    EXPECT_EQ(CentredOffset(240, kMax), (240 - std::int64_t{kMax}) / 2);
    EXPECT_EQ(CentredOffset(kMax, -kMax), kMax);
}

TEST(PictureOrigin, CentresBelowTheBand) {
    EXPECT_EQ(PictureOrigin(640, 510, 30, 320, 200), (ViewerPoint{160, 170}));
    EXPECT_EQ(PictureOrigin(640, 510, 30, 640, 480), (ViewerPoint{0, 30}));
    // Too large either way: cut on both sides, the band covering the top.
    EXPECT_EQ(PictureOrigin(640, 510, 30, 700, 600), (ViewerPoint{-30, -30}));
    EXPECT_EQ(PictureOrigin(640, 510, 30, 641, 481), (ViewerPoint{0, 30}));
}

TEST(ViewerWindowSize, AddsFrameAndBandAndStopsAtTheScreen) {
    EXPECT_EQ(ViewerWindowSize(640, 480, 3, 3, 30, 1024, 768), (ViewerSize{646, 516}));
    EXPECT_EQ(ViewerWindowSize(640, 480, 3, 3, 30, 646, 516), (ViewerSize{646, 516}));
    EXPECT_EQ(ViewerWindowSize(641, 481, 3, 3, 30, 646, 516), (ViewerSize{646, 516}));
    EXPECT_EQ(ViewerWindowSize(2000, 100, 3, 3, 30, 1024, 768), (ViewerSize{1024, 136}));
    EXPECT_EQ(ViewerWindowSize(kMax, kMax, 3, 3, 30, 1024, 768), (ViewerSize{1024, 768}));
}

struct CPlaceRow {
    const char* pszName;
    ViewerRect rcDialog;
    ViewerSize size;
    ViewerRect expected;
};

class PlaceViewerRows : public testing::TestWithParam<CPlaceRow> {};

TEST_P(PlaceViewerRows, OnA1024x768Screen) {
    const CPlaceRow& row = GetParam();
    EXPECT_EQ(PlaceViewer(row.rcDialog, row.size, 1024, 768), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceViewerRows,
    testing::Values(
        CPlaceRow{"Centred", {100, 100, 700, 500}, {300, 200}, {250, 200, 550, 400}},
        CPlaceRow{"OddSizeLeansRight", {100, 100, 700, 500}, {301, 201}, {250, 200, 551, 401}},
        CPlaceRow{"LeftEdge", {0, 100, 200, 500}, {400, 200}, {0, 200, 400, 400}},
        CPlaceRow{"TopEdge", {100, -50, 700, 50}, {300, 200}, {250, 0, 550, 200}},
        // Moved back so that it ends one pixel short of the screen's edge.
        CPlaceRow{"RightEdge", {800, 100, 1200, 500}, {400, 200}, {623, 200, 1023, 400}},
        CPlaceRow{"BottomEdge", {100, 600, 700, 900}, {300, 200}, {250, 567, 550, 767}},
        CPlaceRow{"EndingOnTheEdgeStays", {824, 100, 1024, 500}, {200, 200}, {824, 200, 1024, 400}},
        // As wide as the screen, as a capped size is: from 0 to the edge.
        CPlaceRow{"ScreenWide", {100, 100, 700, 500}, {1024, 768}, {0, 0, 1024, 768}}),
    [](const testing::TestParamInfo<CPlaceRow>& info) { return info.param.pszName; });

} // namespace
