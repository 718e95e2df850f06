#include "pictures/lzwcodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr std::uint32_t kFirstMadeCode = 258;

// Little-endian 8-byte access for the word moves of the string copies.
inline std::uint64_t Load64(const unsigned char* p) {
    std::uint64_t v;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, p, 8);
    } else {
        v = 0;
        for (int i = 7; i >= 0; --i)
            v = v << 8 | p[i];
    }
    return v;
}

inline void Store64(unsigned char* p, std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &v, 8);
    } else {
        for (int i = 0; i < 8; ++i)
            p[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

// Copies exactly n bytes of a string that an earlier code wrote. The source
// ends at or before the destination, so the two never overlap.
inline void CopyString(unsigned char* pDst, const unsigned char* pSrc, std::uint32_t n) {
    if (n > 64) {
        std::memcpy(pDst, pSrc, n);
    } else if (n >= 8) {
        for (std::uint32_t i = 0; i + 8 < n; i += 8)
            Store64(pDst + i, Load64(pSrc + i));
        Store64(pDst + n - 8, Load64(pSrc + n - 8));
    } else {
        for (std::uint32_t i = 0; i < n; ++i)
            pDst[i] = pSrc[i];
    }
}

// The one-byte strings of the literals, padded so an 8-byte load from any of
// them stays inside.
constexpr auto kLiteralBytes = [] {
    std::array<unsigned char, 256 + 8> bytes{};
    for (unsigned n = 0; n < 256; ++n)
        bytes[n] = static_cast<unsigned char>(n);
    return bytes;
}();

// Stream bytes for the decoder, read in chunks through CFile's buffer. The
// bit reader's state lives in the decoder's locals (CBits) rather than here,
// as this buffer's address escapes into CFile::Read.
struct CChunkSource {
    explicit CChunkSource(CFile& file) : m_file(file), m_nChunkPos(file.GetPosition()) {}

    // Small enough that reading past a short record costs little, and far
    // below CFile's buffer so every read is served from it.
    static constexpr std::size_t kChunkSize = 4096;

    CFile& m_file;
    std::uint64_t m_nChunkPos; // file offset of m_chunk[0]
    std::size_t m_nFill = 0;
    unsigned char m_chunk[kChunkSize];
};

struct CBits {
    const unsigned char* pNext;
    const unsigned char* pEnd;
    std::uint64_t nAcc;  // the stream's next bits, least significant first
    std::uint32_t nHeld; // valid bits in nAcc, taken in whole bytes
};

// Near the end of a chunk: takes bytes one at a time, fetching chunks, until
// 57 or more bits are held or the file ends. Takes and returns the state by
// value so the decoder's copy of it can stay in registers.
CBits RefillSlow(CChunkSource& source, CBits bits) {
    while (bits.nHeld <= 56) {
        if (bits.pNext == bits.pEnd) {
            source.m_nChunkPos += source.m_nFill;
            source.m_nFill = source.m_file.Read(source.m_chunk, sizeof source.m_chunk);
            bits.pNext = source.m_chunk;
            bits.pEnd = source.m_chunk + source.m_nFill;
            if (source.m_nFill == 0)
                break;
        }
        bits.nAcc |= std::uint64_t{*bits.pNext++} << bits.nHeld;
        bits.nHeld += 8;
    }
    return bits;
}

} // namespace

CLzwCodec::CLzwCodec(CFile* pCodeFile, unsigned char* pOutput, std::size_t nOutCapacity)
    : m_pCodeFile(pCodeFile), m_pOutput(pOutput),
      m_nOutCapacity(nOutCapacity > UINT32_MAX ? UINT32_MAX
                                               : static_cast<std::uint32_t>(nOutCapacity)) {}

// The state lives in locals (byte stores through the output pointer could
// alias members), and every string is copied from where an earlier code wrote
// it: a made entry's string is the previous code's output followed by the
// first byte of the code after it, which lie back to back in the output. So
// each code costs one copy instead of a walk along its chain, and literals are
// strings of a static table, so most codes take one path. The format's fixed
// values are constants so that the loop keeps its state in registers; for the
// same reason the loop has one place that reads a code and no lambdas.
int CLzwCodec::Decode() {
    constexpr std::uint32_t kClear = 256;
    constexpr std::uint32_t kEnd = 257;
    constexpr std::uint32_t kRootCount = 256;
    // Codes are at most 12 bits wide, so no code or entry reaches 4096.
    constexpr std::uint32_t kTableSize = 4096;
    constexpr std::size_t kSavedSize = 256;

    struct CTables {
        // Per code: its string, in the output or kLiteralBytes; its length,
        // 0 for the clear and end codes, and its first byte (apart and small,
        // so that the output position and the pair lookup do not wait for
        // the string); and its pair's bit in pairs, for the reset. A made
        // entry is one byte longer than an earlier code's string, so no
        // length reaches 4096.
        const unsigned char* srcs[kTableSize];
        std::uint16_t lengths[kTableSize];
        unsigned char firsts[kTableSize];
        std::uint32_t keys[kTableSize];
        // One bit per (previous code, byte) pair of the entries made: the
        // previous code is below 4096, so 4096 x 256 bits (128 KiB) cover
        // every pair and a lookup is one bit test, whatever the stream does.
        // The fixed entries are not held: no made entry has their prefix.
        std::uint64_t pairs[kTableSize * 256 / 64];

        // Back to the fixed entries, at a cost of the entries made.
        void RemovePairs(std::uint32_t nMadeEnd) {
            for (std::uint32_t n = kFirstMadeCode; n < nMadeEnd; ++n)
                pairs[keys[n] / 64] &= ~(std::uint64_t{1} << (keys[n] % 64));
        }
    };
    const auto pTables = std::make_unique_for_overwrite<CTables>();
    CTables& t = *pTables;
    std::memset(t.pairs, 0, sizeof t.pairs);
    for (std::uint32_t n = 0; n < kRootCount; ++n) {
        t.srcs[n] = kLiteralBytes.data() + n;
        t.lengths[n] = 1;
        t.firsts[n] = static_cast<unsigned char>(n);
    }
    t.lengths[kClear] = 0;
    t.lengths[kEnd] = 0;

    CChunkSource source(*m_pCodeFile);
    const unsigned char* pNext = source.m_chunk;
    const unsigned char* pEnd = source.m_chunk;
    std::uint64_t nAcc = 0;  // the stream's next bits, least significant first
    std::uint32_t nHeld = 0; // valid bits in nAcc
    std::uint32_t nBits = 9;
    std::uint32_t nLimit = 512;
    std::uint32_t nNext = 258;
    unsigned char* pDst = m_pOutput;
    unsigned char* const pOutEnd = m_pOutput + m_nOutCapacity;
    // The previous code and where its string was written; it ends at pDst.
    std::uint32_t nPrev = 0;
    const unsigned char* pPrev = pDst;
    // Short strings are written as one 8-byte word, which leaves bytes past
    // the string changed until the next string covers them; all such bytes
    // lie in [pDst, pDst + 8) and below pSavedEnd. saved holds the output's
    // own bytes from pSaved to pSavedEnd, taken before any store reached
    // them, so they can be put back when decoding ends.
    unsigned char saved[kSavedSize];
    unsigned char* pSaved = pDst;
    unsigned char* pSavedEnd = pDst;
    bool bBlockStart = true;
    int nResult = 0;

    for (;;) {
        // Refilling on every code costs less than a mispredicted test of
        // whether it is needed. Bits above nHeld may hold part of the next
        // byte, which is ORed in again at the same place later.
        std::uint32_t nCode;
        if (pEnd - pNext >= 8) [[likely]] {
            nAcc |= Load64(pNext) << nHeld;
            pNext += (63 - nHeld) / 8;
            nHeld |= 56;
        } else if (nHeld < nBits) {
            const CBits bits = RefillSlow(source, CBits{pNext, pEnd, nAcc, nHeld});
            pNext = bits.pNext;
            pEnd = bits.pEnd;
            nAcc = bits.nAcc;
            nHeld = bits.nHeld;
        }
        if (nHeld >= nBits) [[likely]] {
            nCode = static_cast<std::uint32_t>(nAcc & (nLimit - 1));
            nAcc >>= nBits;
            nHeld -= nBits;
        } else {
            // The file ends inside the code; the byte reader would have
            // taken every byte left.
            nHeld = 0;
            nCode = kEnd;
        }

        if (bBlockStart) [[unlikely]] {
            if (nCode == kEnd)
                nResult = 1;
            if (nCode >= kRootCount || pDst == pOutEnd)
                break;
            *pDst = static_cast<unsigned char>(nCode);
            nPrev = nCode;
            pPrev = pDst++;
            bBlockStart = false;
            continue;
        }

        std::uint32_t nLen;
        unsigned char nNewByte;
        if (nCode < nNext) [[likely]] {
            nLen = t.lengths[nCode];
            nNewByte = t.firsts[nCode];
            if (nLen == 0) [[unlikely]] {
                if (nCode == kEnd) {
                    nResult = 1;
                    break;
                }
                t.RemovePairs(nNext);
                nBits = 9;
                nLimit = 512;
                nNext = 258;
                bBlockStart = true;
                continue;
            }
            if (nLen <= 8 && pSavedEnd - pDst >= 8) [[likely]] {
                const std::uint64_t nWord = Load64(t.srcs[nCode]);
                Store64(pDst, nWord);
            } else if (nLen <= 8 && pOutEnd - pDst >= 8) {
                // Move the window of saved bytes up to pDst. The changed
                // bytes below the old end are in saved; those above it have
                // not been touched yet.
                std::size_t nKept = 0;
                if (pSavedEnd > pDst) {
                    nKept = static_cast<std::size_t>(pSavedEnd - pDst);
                    std::memmove(saved, saved + (pDst - pSaved), nKept);
                }
                const auto nWindow = std::min(kSavedSize, static_cast<std::size_t>(pOutEnd - pDst));
                std::memcpy(saved + nKept, pDst + nKept, nWindow - nKept);
                pSaved = pDst;
                pSavedEnd = pDst + nWindow;
                const std::uint64_t nWord = Load64(t.srcs[nCode]);
                Store64(pDst, nWord);
            } else {
                if (nLen > pOutEnd - pDst) {
                    std::memcpy(pDst, t.srcs[nCode], static_cast<std::size_t>(pOutEnd - pDst));
                    pDst = pOutEnd;
                    break;
                }
                CopyString(pDst, t.srcs[nCode], nLen);
            }
        } else if (nCode == nNext) {
            // The string being defined: the previous one and its own first
            // byte.
            const auto nPrevLen = static_cast<std::uint32_t>(pDst - pPrev);
            nLen = nPrevLen + 1;
            nNewByte = t.firsts[nPrev];
            if (nLen > pOutEnd - pDst) {
                std::memcpy(pDst, pPrev, static_cast<std::size_t>(pOutEnd - pDst));
                pDst = pOutEnd;
                break;
            }
            CopyString(pDst, pPrev, nPrevLen);
            pDst[nPrevLen] = nNewByte;
        } else {
            break;
        }

        const std::uint32_t nKey = nPrev * 256 + nNewByte;
        std::uint64_t& nPairs = t.pairs[nKey / 64];
        const std::uint64_t nBit = std::uint64_t{1} << (nKey % 64);
        if (nPairs & nBit) [[unlikely]] {
            pDst += nLen;
            break;
        }
        nPairs |= nBit;
        t.srcs[nNext] = pPrev;
        t.firsts[nNext] = t.firsts[nPrev];
        t.lengths[nNext] = static_cast<std::uint16_t>(pDst - pPrev + 1);
        t.keys[nNext] = nKey;
        nPrev = nCode;
        pPrev = pDst;
        pDst += nLen;
        if (nNext == nLimit - 1) [[unlikely]] {
            if (nLimit == kTableSize) {
                t.RemovePairs(nNext + 1);
                nBits = 9;
                nLimit = 512;
                nNext = 258;
                bBlockStart = true;
            } else {
                nNext = nLimit;
                ++nBits;
                nLimit <<= 1;
            }
        } else {
            ++nNext;
        }
    }

    if (pDst < pSavedEnd)
        std::memcpy(pDst, saved + (pDst - pSaved),
                    std::min<std::size_t>(8, static_cast<std::size_t>(pSavedEnd - pDst)));
    m_nOutCount = static_cast<std::uint32_t>(pDst - m_pOutput);
    const std::uint64_t nTaken =
        source.m_nChunkPos + static_cast<std::uint64_t>(pNext - source.m_chunk);
    m_pCodeFile->Seek(static_cast<std::int64_t>(nTaken - nHeld / 8), CFile::begin);
    return nResult;
}

int DecodePictureBits(CFile& file, unsigned char* pBits, std::size_t nCapacity,
                      std::size_t* pnDecoded) {
    if (pnDecoded)
        *pnDecoded = 0;
    try {
        CLzwCodec codec(&file, pBits, nCapacity);
        const int nResult = codec.Decode();
        if (pnDecoded)
            *pnDecoded = codec.GetOutCount();
        return nResult;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
