#include "platform/dibsection.h"

#include <new>
#include <utility>

std::size_t CDibSection::StrideFor(std::int32_t nWidth, int nBitCount) {
    const auto nBits = static_cast<std::uint64_t>(nWidth) * static_cast<std::uint64_t>(nBitCount);
    return static_cast<std::size_t>((nBits + 31) / 32 * 4);
}

std::unique_ptr<CDibSection> CDibSection::Create(const CBitmapInfo& info) {
    return Create(info, nullptr);
}

std::unique_ptr<CDibSection> CDibSection::Create(const CBitmapInfo& info,
                                                 std::unique_ptr<CDibSection> pReuse) {
    const BITMAPINFOHEADER& hdr = info.bmiHeader;
    if (hdr.biWidth < 1 || hdr.biWidth > kMaxSide || hdr.biHeight < 1 || hdr.biHeight > kMaxSide)
        return nullptr;
    if (hdr.biPlanes != 1 || hdr.biCompression != 0)
        return nullptr;
    const int nBitCount = hdr.biBitCount;
    if (nBitCount != 1 && nBitCount != 4 && nBitCount != 8 && nBitCount != 24)
        return nullptr;
    const std::size_t nMaxColours = nBitCount == 24 ? 256 : std::size_t{1} << nBitCount;
    if (info.bmiColors.size() > nMaxColours)
        return nullptr;
    const std::size_t nStride = StrideFor(hdr.biWidth, nBitCount);
    // Both sides are at most kMaxSide, so the product cannot overflow.
    const std::size_t nSize = nStride * static_cast<std::size_t>(hdr.biHeight);
    if (nSize > kMaxPixelBytes)
        return nullptr;

    try {
        std::unique_ptr<CDibSection> pDib =
            pReuse ? std::move(pReuse) : std::unique_ptr<CDibSection>(new CDibSection);
        pDib->m_nWidth = hdr.biWidth;
        pDib->m_nHeight = hdr.biHeight;
        pDib->m_nBitCount = nBitCount;
        pDib->m_nStride = nStride;
        pDib->m_bits.assign(nSize, 0);
        pDib->m_colours = info.bmiColors;
        return pDib;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::uint32_t CDibSection::GetPixelRgb(std::int32_t x, std::int32_t y) const {
    if (x < 0 || x >= m_nWidth || y < 0 || y >= m_nHeight)
        return 0;
    const unsigned char* pRow =
        m_bits.data() + static_cast<std::size_t>(m_nHeight - 1 - y) * m_nStride;
    const auto nx = static_cast<std::size_t>(x);
    if (m_nBitCount == 24) {
        const unsigned char* p = pRow + nx * 3;
        return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    }
    const auto nBits = static_cast<unsigned>(m_nBitCount);
    const std::size_t nBitPos = nx * nBits;
    const unsigned nShift = 8 - nBits - static_cast<unsigned>(nBitPos % 8);
    const unsigned nIndex = (pRow[nBitPos / 8] >> nShift) & ((1u << nBits) - 1);
    if (nIndex >= m_colours.size())
        return 0;
    const RGBQUAD& q = m_colours[nIndex];
    return std::uint32_t{q.rgbRed} << 16 | std::uint32_t{q.rgbGreen} << 8 | q.rgbBlue;
}
