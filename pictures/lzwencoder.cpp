#include "pictures/lzwencoder.h"

#include "pictures/pictureheader.h"

#include <memory>
#include <stdexcept>

namespace {

constexpr std::uint32_t kEndCode = 257;
constexpr std::uint32_t kFirstMadeCode = 258;
constexpr std::uint32_t kMaxBits = 12;
constexpr std::uint32_t kTableSize = 1u << kMaxBits;

class CBitWriter {
public:
    explicit CBitWriter(std::vector<unsigned char>& out) : m_out(out) {}

    void Put(std::uint32_t nCode, std::uint32_t nBits) {
        m_nBits |= std::uint64_t{nCode} << m_nHeld;
        m_nHeld += nBits;
        while (m_nHeld >= 8) {
            m_out.push_back(static_cast<unsigned char>(m_nBits));
            m_nBits >>= 8;
            m_nHeld -= 8;
        }
    }
    // The last code's final bit must lie in the last byte: pad only the
    // partial byte.
    void Flush() {
        if (m_nHeld > 0)
            m_out.push_back(static_cast<unsigned char>(m_nBits));
        m_nBits = 0;
        m_nHeld = 0;
    }

private:
    std::vector<unsigned char>& m_out;
    std::uint64_t m_nBits = 0;
    std::uint32_t m_nHeld = 0;
};

} // namespace

std::vector<unsigned char> EncodeLzw(std::span<const unsigned char> data) {
    std::vector<unsigned char> out;
    out.reserve(data.size() / 2 + 16);
    CBitWriter writer(out);

    // The code of (prefix, byte), 0 when absent (no made code is 0); the key
    // of each made code, so a reset clears only what the block made. The
    // 2 MiB table stays with the thread, empty between calls: a run of
    // pictures zeroed it and faulted its pages in again for every one.
    thread_local const auto tChildren =
        std::make_unique<std::uint16_t[]>(std::size_t{kTableSize} * 256);
    thread_local const auto tKeys = std::make_unique<std::uint32_t[]>(kTableSize);
    std::uint16_t* const children = tChildren.get();
    std::uint32_t* const keys = tKeys.get();

    std::size_t nPos = 0;
    const std::size_t nSize = data.size();
    // The decoder's state as it reads the next code: the number of the entry
    // it will make and the width it reads at.
    std::uint32_t nNext = kFirstMadeCode;
    std::uint32_t nBits = 9;
    std::uint32_t nLimit = 512;
    // Empties the table on the way out, by return or by exception; an entry
    // is made before nNext moves past it, so nNext itself may be made too.
    struct CForget {
        std::uint16_t* pChildren;
        const std::uint32_t* pKeys;
        const std::uint32_t& nNext;
        ~CForget() {
            for (std::uint32_t n = kFirstMadeCode; n <= nNext && n < kTableSize; ++n)
                pChildren[pKeys[n]] = 0;
        }
    } forget{children, keys, nNext};

    const auto longestMatch = [&]() {
        std::uint32_t nCode = data[nPos++];
        while (nPos < nSize) {
            const std::uint16_t nChild = children[nCode * 256 + data[nPos]];
            if (nChild == 0)
                break;
            nCode = nChild;
            ++nPos;
        }
        return nCode;
    };

    for (;;) {
        // A block: its first code is a literal, as the dictionary holds no
        // made entry yet.
        if (nPos == nSize)
            break;
        std::uint32_t nPrev = longestMatch();
        writer.Put(nPrev, nBits);

        bool bNewBlock = false;
        while (!bNewBlock && nPos < nSize) {
            // The decoder makes (previous + first byte of this code) when it
            // reads this code; the match may already use that entry, which the
            // decoder handles as the code equal to its next code.
            const std::uint32_t nKey = nPrev * 256 + data[nPos];
            children[nKey] = static_cast<std::uint16_t>(nNext);
            keys[nNext] = nKey;
            const std::uint32_t nCode = longestMatch();
            writer.Put(nCode, nBits);
            nPrev = nCode;
            if (nNext == nLimit - 1) {
                if (nBits < kMaxBits) {
                    nNext = nLimit;
                    ++nBits;
                    nLimit <<= 1;
                    continue;
                }
                // Entry 4095 is made: the decoder starts again by itself.
                for (std::uint32_t n = kFirstMadeCode; n <= nNext; ++n)
                    children[keys[n]] = 0;
                nNext = kFirstMadeCode;
                nBits = 9;
                nLimit = 512;
                bNewBlock = true;
            } else {
                ++nNext;
            }
        }
        if (!bNewBlock)
            break;
    }
    writer.Put(kEndCode, nBits);
    writer.Flush();
    return out;
}

std::vector<unsigned char> WritePictureRecord(std::int32_t nWidth, std::int32_t nHeight,
                                              int nBitCount, std::span<const RGBQUAD> colours,
                                              std::span<const unsigned char> pixels) {
    if (nBitCount != 1 && nBitCount != 4 && nBitCount != 8 && nBitCount != 24)
        throw std::invalid_argument("picture depth must be 1, 4, 8 or 24 bits");
    if (nWidth < 1 || nWidth > CDibSection::kMaxSide || nHeight < 1 ||
        nHeight > CDibSection::kMaxSide)
        throw std::invalid_argument("picture size out of range");
    const std::size_t nStride = CDibSection::StrideFor(nWidth, nBitCount);
    const std::size_t nPixelBytes = nStride * static_cast<std::size_t>(nHeight);
    if (nPixelBytes > CDibSection::kMaxPixelBytes)
        throw std::invalid_argument("picture too large");
    if (pixels.size() != nPixelBytes)
        throw std::invalid_argument("pixel array does not match the picture size");
    if (nBitCount == 24 ? !colours.empty()
                        : colours.empty() || colours.size() > (std::size_t{1} << nBitCount))
        throw std::invalid_argument("colour table does not fit the depth");

    const std::vector<unsigned char> stream = EncodeLzw(pixels);
    const std::size_t nTableBytes = colours.size() * kColourEntrySize;
    const std::size_t nRecord = kPictureHeaderSize + nTableBytes + stream.size();
    if (nRecord > UINT32_MAX)
        throw std::invalid_argument("picture record too long");

    BITMAPINFOHEADER hdr;
    hdr.biSize = kPictureHeaderSize;
    hdr.biWidth = nWidth;
    hdr.biHeight = nHeight;
    hdr.biPlanes = 1;
    hdr.biBitCount = static_cast<std::uint16_t>(nBitCount);
    hdr.biCompression = 0;
    hdr.biSizeImage = static_cast<std::uint32_t>(nRecord);
    hdr.biClrUsed = static_cast<std::uint32_t>(colours.size());

    std::vector<unsigned char> record(kPictureHeaderSize + nTableBytes);
    EncodeBitmapInfoHeader(hdr, record.data());
    unsigned char* p = record.data() + kPictureHeaderSize;
    for (const RGBQUAD& q : colours) {
        *p++ = q.rgbBlue;
        *p++ = q.rgbGreen;
        *p++ = q.rgbRed;
        *p++ = q.rgbReserved;
    }
    record.insert(record.end(), stream.begin(), stream.end());
    return record;
}
