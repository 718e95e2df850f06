#pragma once

#include <cstdint>

// The arithmetic of the preview and the picture viewer: where a picture
// stands in its area, how large the viewer window is and where it opens.
// Divisions truncate toward zero and comparisons are signed, so a picture
// larger than its area gets a negative offset and is cut on both sides.

struct ViewerRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    friend bool operator==(const ViewerRect&, const ViewerRect&) = default;
};

struct ViewerSize {
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    friend bool operator==(const ViewerSize&, const ViewerSize&) = default;
};

struct ViewerPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const ViewerPoint&, const ViewerPoint&) = default;
};

// (nArea - nSize) / 2. Sizes come from picture headers, so the difference is
// taken in 64 bits and the result saturated to 32.
std::int32_t CentredOffset(std::int32_t nArea, std::int32_t nSize);

// Where a picture of nWidth x nHeight goes in a client area of nClientWidth x
// nClientHeight whose top nBandHeight pixels the toolbar covers.
ViewerPoint PictureOrigin(std::int32_t nClientWidth, std::int32_t nClientHeight,
                          std::int32_t nBandHeight, std::int32_t nWidth, std::int32_t nHeight);

// Outer size of the viewer: the largest width and height of the series, the
// dialog frame on each side, the toolbar band, each capped by the usable
// screen (cxFull x cyFull).
ViewerSize ViewerWindowSize(std::int32_t nMaxWidth, std::int32_t nMaxHeight, std::int32_t cxFrame,
                            std::int32_t cyFrame, std::int32_t nBandHeight, std::int32_t cxFull,
                            std::int32_t cyFull);

// The viewer centred over the dialog's rectangle, moved right or down when it
// would start off the screen and left or up when it would end beyond
// cxFull or cyFull, then ending one pixel short of it. Screen coordinates.
ViewerRect PlaceViewer(const ViewerRect& rcDialog, ViewerSize size, std::int32_t cxFull,
                       std::int32_t cyFull);
