#include "pictures/viewerlayout.h"

#include <algorithm>
#include <limits>

namespace {

std::int32_t Saturate(std::int64_t n) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        n, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::int32_t CentredOffset(std::int32_t nArea, std::int32_t nSize) {
    return Saturate((std::int64_t{nArea} - nSize) / 2);
}

ViewerPoint PictureOrigin(std::int32_t nClientWidth, std::int32_t nClientHeight,
                          std::int32_t nBandHeight, std::int32_t nWidth, std::int32_t nHeight) {
    return {CentredOffset(nClientWidth, nWidth),
            Saturate(nBandHeight + (std::int64_t{nClientHeight} - nBandHeight - nHeight) / 2)};
}

ViewerSize ViewerWindowSize(std::int32_t nMaxWidth, std::int32_t nMaxHeight, std::int32_t cxFrame,
                            std::int32_t cyFrame, std::int32_t nBandHeight, std::int32_t cxFull,
                            std::int32_t cyFull) {
    // A header may claim 2^31 - 1 pixels; the sum must not wrap before the cap.
    std::int64_t nWidth = std::int64_t{nMaxWidth} + 2 * std::int64_t{cxFrame};
    std::int64_t nHeight = std::int64_t{nMaxHeight} + nBandHeight + 2 * std::int64_t{cyFrame};
    if (nWidth > cxFull)
        nWidth = cxFull;
    if (nHeight > cyFull)
        nHeight = cyFull;
    return {Saturate(nWidth), Saturate(nHeight)};
}

ViewerRect PlaceViewer(const ViewerRect& rcDialog, ViewerSize size, std::int32_t cxFull,
                       std::int32_t cyFull) {
    const std::int64_t cx = (std::int64_t{rcDialog.left} + rcDialog.right) / 2;
    const std::int64_t cy = (std::int64_t{rcDialog.top} + rcDialog.bottom) / 2;
    std::int64_t left = cx - size.nWidth / 2;
    std::int64_t right = left + size.nWidth;
    std::int64_t top = cy - size.nHeight / 2;
    std::int64_t bottom = top + size.nHeight;
    if (left < 0) {
        right -= left;
        left = 0;
    }
    if (right > cxFull) {
        left += cxFull - right - 1;
        right = cxFull - 1;
    }
    if (top < 0) {
        bottom -= top;
        top = 0;
    }
    if (bottom > cyFull) {
        top += cyFull - bottom - 1;
        bottom = cyFull - 1;
    }
    return {Saturate(left), Saturate(top), Saturate(right), Saturate(bottom)};
}
