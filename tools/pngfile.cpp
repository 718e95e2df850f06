#include "tools/pngfile.h"

#include "platform/dibsection.h"
#include "tools/rowdeflate.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// For pictures that are not drawn flat. Speed over the last few per cent of
// size: at level 1 an export spends its time reading pictures, not
// squeezing them.
constexpr int kDeflateLevel = 1;

// libdeflate's compressor: a few hundred KB of tables, made once per thread.
libdeflate_compressor& Compressor() {
    struct Free {
        void operator()(libdeflate_compressor* p) const { libdeflate_free_compressor(p); }
    };
    thread_local std::unique_ptr<libdeflate_compressor, Free> pCompressor(
        libdeflate_alloc_compressor(kDeflateLevel));
    if (!pCompressor)
        throw std::bad_alloc();
    return *pCompressor;
}
// The rows of an 800 x 500 picture at 24 bits are 1.2 MB; a buffer beyond
// this is given back after its picture.
constexpr std::size_t kKeptBufferBytes = std::size_t{8} << 20;

void PutU32(std::string& out, std::uint32_t n) {
    const char bytes[4] = {static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                           static_cast<char>(n >> 8), static_cast<char>(n)};
    out.append(bytes, 4);
}

std::size_t OpenChunk(std::string& out, const char* pszType) {
    out.append(4, '\0'); // the length, known at CloseChunk
    const std::size_t nTypeStart = out.size();
    out.append(pszType, 4);
    return nTypeStart;
}

void CloseChunk(std::string& out, std::size_t nTypeStart) {
    const std::size_t nLength = out.size() - nTypeStart - 4;
    if (nLength > 0x7FFFFFFFu)
        throw std::length_error("a PNG chunk is longer than the format allows");
    const std::uint32_t nCrc = libdeflate_crc32(0, out.data() + nTypeStart, nLength + 4);
    for (int i = 0; i < 4; ++i)
        out[nTypeStart - 4 + static_cast<std::size_t>(i)] =
            static_cast<char>(nLength >> (24 - 8 * i));
    PutU32(out, nCrc);
}

} // namespace

namespace pngfile {

std::string Encode(const CDibSection& dib) {
    const int nBits = dib.GetBitCount();
    const auto nWidth = static_cast<std::uint32_t>(dib.GetWidth());
    const auto nHeight = static_cast<std::uint32_t>(dib.GetHeight());
    const bool bPalette = nBits <= 8;
    const std::size_t nRowBytes =
        bPalette ? (std::size_t{nWidth} * static_cast<std::size_t>(nBits) + 7) / 8
                 : std::size_t{nWidth} * 3;

    std::string out("\x89PNG\r\n\x1A\n", 8);
    std::size_t nChunk = OpenChunk(out, "IHDR");
    PutU32(out, nWidth);
    PutU32(out, nHeight);
    const char ihdr[5] = {static_cast<char>(bPalette ? nBits : 8), bPalette ? '\3' : '\2', 0, 0, 0};
    out.append(ihdr, 5);
    CloseChunk(out, nChunk);

    if (bPalette) {
        nChunk = OpenChunk(out, "PLTE");
        const std::vector<RGBQUAD>& colours = dib.GetColourTable();
        for (std::size_t i = 0; i < (std::size_t{1} << nBits); ++i) {
            const RGBQUAD c = i < colours.size() ? colours[i] : RGBQUAD{};
            const char rgb[3] = {static_cast<char>(c.rgbRed), static_cast<char>(c.rgbGreen),
                                 static_cast<char>(c.rgbBlue)};
            out.append(rgb, 3);
        }
        CloseChunk(out, nChunk);
    }

    // The rows top first, each behind its filter byte 0 (none), compressed
    // whole into one IDAT. The buffer is the thread's, kept between pictures.
    thread_local std::vector<unsigned char> raw;
    // Grown, never shrunk: a resize between a preview and a picture would
    // clear the difference each time.
    const std::size_t nRaw = (nRowBytes + 1) * nHeight;
    if (raw.size() < nRaw)
        raw.resize(nRaw);
    for (std::uint32_t y = 0; y < nHeight; ++y) {
        const unsigned char* pSource = dib.GetBits() + dib.GetStride() * (nHeight - 1 - y);
        unsigned char* pRow = raw.data() + (nRowBytes + 1) * y;
        *pRow++ = 0;
        if (bPalette) {
            std::memcpy(pRow, pSource, nRowBytes);
        } else {
            for (std::size_t x = 0; x < nWidth; ++x) {
                pRow[3 * x] = pSource[3 * x + 2];
                pRow[3 * x + 1] = pSource[3 * x + 1];
                pRow[3 * x + 2] = pSource[3 * x];
            }
        }
    }
    nChunk = OpenChunk(out, "IDAT");
    thread_local std::vector<unsigned char> packed;
    packed.clear();
    if (!rowdeflate::Compress(raw.data(), nRaw, nRowBytes + 1, packed)) {
        libdeflate_compressor& compressor = Compressor();
        packed.resize(libdeflate_zlib_compress_bound(&compressor, nRaw));
        packed.resize(
            libdeflate_zlib_compress(&compressor, raw.data(), nRaw, packed.data(), packed.size()));
        if (packed.empty())
            throw std::runtime_error("the picture cannot be compressed");
    }
    out.append(reinterpret_cast<const char*>(packed.data()), packed.size());
    CloseChunk(out, nChunk);
    // A rare huge picture does not keep its buffer for the rest of a run.
    if (raw.capacity() > kKeptBufferBytes) {
        std::vector<unsigned char>().swap(raw);
        std::vector<unsigned char>().swap(packed);
    }

    nChunk = OpenChunk(out, "IEND");
    CloseChunk(out, nChunk);
    return out;
}

std::size_t Write(const CDibSection& dib, const std::string& strPath) {
    const std::string strBytes = Encode(dib);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(strPath.c_str(), "wb"),
                                                         &std::fclose);
    if (!file || std::fwrite(strBytes.data(), 1, strBytes.size(), file.get()) != strBytes.size() ||
        std::fclose(file.release()) != 0)
        throw std::runtime_error(strPath + ": cannot be written: " + std::strerror(errno));
    return strBytes.size();
}

} // namespace pngfile
