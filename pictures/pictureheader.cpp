#include "pictures/pictureheader.h"

#include "data/le.h"

#include <new>

namespace {

std::uint32_t GetUInt32(const unsigned char* p) {
    return static_cast<std::uint32_t>(le::GetInt32(p));
}

void PutUInt32(unsigned char* p, std::uint32_t v) {
    le::PutInt32(p, static_cast<std::int32_t>(v));
}

} // namespace

BITMAPINFOHEADER DecodeBitmapInfoHeader(const unsigned char* p) {
    BITMAPINFOHEADER hdr;
    hdr.biSize = GetUInt32(p);
    hdr.biWidth = le::GetInt32(p + 4);
    hdr.biHeight = le::GetInt32(p + 8);
    hdr.biPlanes = le::GetUInt16(p + 12);
    hdr.biBitCount = le::GetUInt16(p + 14);
    hdr.biCompression = GetUInt32(p + 16);
    hdr.biSizeImage = GetUInt32(p + 20);
    hdr.biXPelsPerMeter = le::GetInt32(p + 24);
    hdr.biYPelsPerMeter = le::GetInt32(p + 28);
    hdr.biClrUsed = GetUInt32(p + 32);
    hdr.biClrImportant = GetUInt32(p + 36);
    return hdr;
}

void EncodeBitmapInfoHeader(const BITMAPINFOHEADER& hdr, unsigned char* p) {
    PutUInt32(p, hdr.biSize);
    le::PutInt32(p + 4, hdr.biWidth);
    le::PutInt32(p + 8, hdr.biHeight);
    le::PutUInt16(p + 12, hdr.biPlanes);
    le::PutUInt16(p + 14, hdr.biBitCount);
    PutUInt32(p + 16, hdr.biCompression);
    PutUInt32(p + 20, hdr.biSizeImage);
    le::PutInt32(p + 24, hdr.biXPelsPerMeter);
    le::PutInt32(p + 28, hdr.biYPelsPerMeter);
    PutUInt32(p + 32, hdr.biClrUsed);
    PutUInt32(p + 36, hdr.biClrImportant);
}

std::uint64_t ColourTableEntries(const BITMAPINFOHEADER& hdr) {
    if (hdr.biBitCount == 24)
        return 0;
    if (hdr.biClrUsed != 0)
        return hdr.biClrUsed;
    if (hdr.biBitCount >= 64)
        return UINT64_MAX;
    return std::uint64_t{1} << hdr.biBitCount;
}

int ReadPictureHeader(CFile& file, std::unique_ptr<CBitmapInfo>& pBlock) {
    pBlock.reset();
    unsigned char header[kPictureHeaderSize];
    if (file.Read(header, sizeof header) != sizeof header)
        return -1;
    BITMAPINFOHEADER hdr = DecodeBitmapInfoHeader(header);
    const std::uint64_t nEntries = ColourTableEntries(hdr);
    if (nEntries > kMaxColourEntries)
        return -1;
    hdr.biSizeImage = 0;

    const auto nTableBytes = static_cast<std::size_t>(nEntries) * kColourEntrySize;
    unsigned char table[kMaxColourEntries * kColourEntrySize];
    if (file.Read(table, nTableBytes) != nTableBytes)
        return -1;
    try {
        auto pNew = std::make_unique<CBitmapInfo>();
        pNew->bmiHeader = hdr;
        pNew->bmiColors.resize(static_cast<std::size_t>(nEntries));
        for (std::size_t i = 0; i < pNew->bmiColors.size(); ++i) {
            const unsigned char* p = table + i * kColourEntrySize;
            pNew->bmiColors[i] = RGBQUAD{p[0], p[1], p[2], p[3]};
        }
        pBlock = std::move(pNew);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return static_cast<int>(nTableBytes);
}
