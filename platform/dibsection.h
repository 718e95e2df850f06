#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The Windows bitmap structures the picture file is made of, with their field
// names. Picture code fills them from little-endian bytes, never by casting.
struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;

    friend bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};

// What a DIB section is created from: the header and its colour table. The
// table's length is that of bmiColors; biClrUsed is not consulted.
struct CBitmapInfo {
    BITMAPINFOHEADER bmiHeader;
    std::vector<RGBQUAD> bmiColors;
};

// A pixel buffer in DIB layout: rows bottom-up, each padded to a multiple of 4
// bytes; palette pixels pack the leftmost pixel into the highest bits of its
// byte, 24-bit pixels are blue, green, red. The pixels start zeroed, so a
// picture that decodes only partly shows colour-table index 0 for the rest.
class CDibSection {
public:
    // Hostile headers must not make us allocate: 16384 pixels a side is far
    // beyond any screen the viewer draws on, and 256 MiB of pixels is as much
    // as a desktop viewer can spare for one picture.
    static constexpr std::int32_t kMaxSide = 16384;
    static constexpr std::size_t kMaxPixelBytes = std::size_t{256} << 20;

    // nullptr for what a DIB section refuses: width or height outside
    // 1..kMaxSide (a negative, top-down height included: the picture file
    // stores rows bottom-up only), biPlanes not 1, biCompression not 0, a depth
    // other than 1, 4, 8 or 24, a colour table longer than 2^depth (24 bits:
    // longer than 256, and then unused), more than kMaxPixelBytes of pixels,
    // or no memory for them.
    static std::unique_ptr<CDibSection> Create(const CBitmapInfo& info);
    // The same in pReuse's memory when it is given: a viewer stepping through
    // a series keeps one pixel buffer instead of allocating one per picture.
    // The pixels start zeroed all the same.
    static std::unique_ptr<CDibSection> Create(const CBitmapInfo& info,
                                               std::unique_ptr<CDibSection> pReuse);

    // Row length in bytes for a width and depth, padded to 4 bytes.
    static std::size_t StrideFor(std::int32_t nWidth, int nBitCount);

    std::int32_t GetWidth() const { return m_nWidth; }
    std::int32_t GetHeight() const { return m_nHeight; }
    int GetBitCount() const { return m_nBitCount; }
    std::size_t GetStride() const { return m_nStride; }
    unsigned char* GetBits() { return m_bits.data(); }
    const unsigned char* GetBits() const { return m_bits.data(); }
    std::size_t GetSize() const { return m_bits.size(); }
    const std::vector<RGBQUAD>& GetColourTable() const { return m_colours; }

    // The colour of a pixel as 0xRRGGBB, with y counted from the top row (the
    // order images are written in). A palette index the table does not hold,
    // and a position outside the picture, give black.
    std::uint32_t GetPixelRgb(std::int32_t x, std::int32_t y) const;

private:
    CDibSection() = default;

    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    int m_nBitCount = 0;
    std::size_t m_nStride = 0;
    std::vector<unsigned char> m_bits;
    std::vector<RGBQUAD> m_colours;
};
