#include "pictures/lzwcodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

namespace {

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

// Stream bytes for the decoder, read in chunks through CFile's cache. Codes
// are taken at a bit position in the chunk with one 8-byte load each, so no
// code waits for the one before it; the chunk moves on only near its end.
// The position and the chunk's length stay in the decoder's locals, as this
// buffer's address escapes into CFile::Read.
struct CChunkSource {
    explicit CChunkSource(CFile& file) : m_file(file), m_nChunkPos(file.GetPosition()) {}

    // Small enough that reading past a short record costs little, and below
    // CFile's cache so every read is served from it.
    static constexpr std::size_t kChunkSize = 4096;
    // Zeros behind the bytes read, so a code's load near the end of the file
    // stays inside the buffer.
    static constexpr std::size_t kPad = 8;

    // Drops the bytes before the one holding nBitPos and reads until the
    // chunk is full or the file ends; returns the new bit position. Once the
    // file has ended it does nothing.
    std::uint32_t Advance(std::uint32_t nBitPos) {
        if (m_bEnded)
            return nBitPos;
        const std::size_t nDrop = nBitPos / 8;
        std::memmove(m_chunk, m_chunk + nDrop, m_nFill - nDrop);
        m_nChunkPos += nDrop;
        m_nFill -= nDrop;
        const std::size_t nRead = m_file.Read(m_chunk + m_nFill, kChunkSize - m_nFill);
        // CFile reads all it is asked for unless the file ends.
        m_bEnded = nRead < kChunkSize - m_nFill;
        m_nFill += nRead;
        std::memset(m_chunk + m_nFill, 0, kPad);
        return nBitPos % 8;
    }

    CFile& m_file;
    std::uint64_t m_nChunkPos; // file offset of m_chunk[0]
    std::size_t m_nFill = 0;   // bytes of the file in m_chunk
    bool m_bEnded = false;     // the file ends at m_chunk + m_nFill
    unsigned char m_chunk[kChunkSize + kPad];
};

// The format's fixed values are constants so that the loop keeps its state in
// registers.
// The clear code, 256, is told from the end code by its table entry: both
// have length 0.
constexpr std::uint32_t kEnd = 257;
constexpr std::uint32_t kRootCount = 256;
// Codes are at most 12 bits wide, so no code or entry reaches 4096.
constexpr std::uint32_t kTableSize = 4096;
// One tag per (previous code, byte) pair: the previous code is below 4096, so
// 4096 x 256 tags cover every pair and a lookup is one byte compare, whatever
// the stream does. Smaller sets that stay in the first-level cache were
// slower: an 8192-slot hash set mispredicts its probe loop (and a stream can
// choose pairs that collide), and per-code lists of children walk about seven
// of them per code on noise, where nearly every code is a literal.
constexpr std::uint32_t kPairCount = kTableSize * 256;

// An entry's info: its string's length, 0 for the clear and end codes, and
// its first byte at bit 16, so that making an entry from the previous code's
// info is an increment. A made entry is one byte longer than an earlier
// code's string, so no length reaches 4096.
constexpr std::uint32_t kLenMask = 0xFFFF;
constexpr std::uint32_t kFirstShift = 16;

// The dictionary and the pair set, kept per thread between decodes so that a
// decode neither allocates nor clears them. Arrays side by side rather than a
// struct per code, so that a code indexes each of them without a
// multiplication.
struct CTables {
    // Each code's string: in the output, where an earlier code wrote it, or
    // in kLiteralBytes.
    const unsigned char* srcs[kTableSize];
    std::uint32_t infos[kTableSize];
    // A pair is in the set when its tag is the block's generation, so a
    // reset (every block start, every decode) is an increment. Bytes rather
    // than bits: setting a bit would load and store the word, and a store
    // that a later code's load may depend on stalls that load.
    std::uint8_t tags[kPairCount];
    std::uint8_t nGen = 0;

    CTables() : srcs{}, infos{}, tags{} {
        for (std::uint32_t n = 0; n < kTableSize; ++n)
            srcs[n] = kLiteralBytes.data() + (n < kRootCount ? n : 0);
        for (std::uint32_t n = 0; n < kRootCount; ++n)
            infos[n] = 1 | n << kFirstShift;
    }

    // Empties the pair set: a new generation, and the tags cleared once
    // every 255 of them.
    std::uint8_t NewGeneration() {
        if (++nGen == 0) {
            std::memset(tags, 0, sizeof tags);
            nGen = 1;
        }
        return nGen;
    }
};

CTables& ThreadTables() {
    thread_local std::unique_ptr<CTables> pTables;
    if (!pTables)
        pTables = std::make_unique<CTables>();
    return *pTables;
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
// strings of a static table, so most codes take one path. For the same reason
// the loop has one place that reads a code, and the one lambda (the start of
// a block) is off the common path.
//
// A block starts with nNext at 257 and the previous code 257, a prefix no
// made entry has: the block's first code then takes the common path, where a
// literal makes a harmless entry 257 of length 0 (so 257 still ends the
// stream) and the next entry is 258; the clear code and the end code there
// are told apart on their rare paths, which saves a test per code.
int CLzwCodec::Decode() {
    constexpr std::uint32_t kBlockStart = kEnd;
    // The previous code's info before a block's first code: the entry made
    // from it is 0 long.
    constexpr std::uint32_t kBlockStartInfo = kLenMask;
    constexpr std::size_t kSavedSize = 256;

    CTables& t = ThreadTables();
    std::uint8_t nGen = t.NewGeneration();
    CChunkSource source(*m_pCodeFile);
    // The next code's first bit in source.m_chunk; codes may be taken with
    // one load while it is at most nFastEnd.
    std::uint32_t nBitPos = 0;
    std::uint32_t nFastEnd = 0;
    std::uint32_t nBits = 9;
    std::uint32_t nMask = 511; // the largest code of the width
    std::uint32_t nNext = kBlockStart;
    unsigned char* pDst = m_pOutput;
    unsigned char* const pOutEnd = m_pOutput + m_nOutCapacity;
    // The previous code, where its string was written (it ends at pDst) and
    // its entry's info.
    std::uint32_t nPrev = kBlockStart;
    const unsigned char* pPrev = pDst;
    std::uint32_t nPrevInfo = kBlockStartInfo;
    // Short strings are written as one 8-byte word, which leaves bytes past
    // the string changed until the next string covers them; all such bytes
    // lie in [pDst, pDst + 8) and below pSavedEnd. saved holds the output's
    // own bytes from pSaved to pSavedEnd, taken before any store reached
    // them, so they can be put back when decoding ends.
    unsigned char saved[kSavedSize];
    unsigned char* pSaved = pDst;
    unsigned char* pSavedEnd = pDst;
    // pDst below this has 8 bytes of the window from it on; 0 for none.
    std::uintptr_t nSavedLimit = 0;
    int nResult = 0;
    // After a clear code or entry 4095: an empty pair set, 9-bit codes, and
    // the next code is a block's first.
    const auto startBlock = [&] {
        nGen = t.NewGeneration();
        nBits = 9;
        nMask = 511;
        nNext = kBlockStart;
        nPrev = kBlockStart;
        nPrevInfo = kBlockStartInfo;
    };

    {
        for (;;) {
            std::uint32_t nCode;
            if (nBitPos < nFastEnd) [[likely]] {
                nCode = static_cast<std::uint32_t>(Load64(source.m_chunk + nBitPos / 8) >>
                                                   (nBitPos % 8)) &
                        nMask;
                nBitPos += nBits;
            } else {
                nBitPos = source.Advance(nBitPos);
                const auto nFillBits = static_cast<std::uint32_t>(source.m_nFill * 8);
                // Below this, 8 bytes from the code's first byte are in the
                // chunk, and they hold any code from any of its bits.
                nFastEnd = nFillBits >= 64 ? nFillBits - 56 : 0;
                if (nBitPos + nBits <= nFillBits) {
                    nCode = static_cast<std::uint32_t>(Load64(source.m_chunk + nBitPos / 8) >>
                                                       (nBitPos % 8)) &
                            nMask;
                    nBitPos += nBits;
                } else {
                    // The file ends inside the code; the byte reader would
                    // have taken every byte left.
                    nBitPos = nFillBits;
                    nCode = kEnd;
                }
            }

            std::uint32_t nInfo;
            std::uint32_t nLen;
            if (nCode < nNext) [[likely]] {
                const unsigned char* const pSrc = t.srcs[nCode];
                nInfo = t.infos[nCode];
                nLen = nInfo & kLenMask;
                if (nLen - 1 < 8 && reinterpret_cast<std::uintptr_t>(pDst) < nSavedLimit)
                    [[likely]] {
                    Store64(pDst, Load64(pSrc));
                } else if (nLen == 0) {
                    // The clear or the end code; a clear code cannot start a
                    // block.
                    if (nCode == kEnd)
                        nResult = 1;
                    if (nCode == kEnd || nNext == kBlockStart)
                        break;
                    startBlock();
                    continue;
                } else if (nLen <= 8 && pOutEnd - pDst >= 8) {
                    // Move the window of saved bytes up to pDst. The changed
                    // bytes below the old end are in saved; those above it
                    // have not been touched yet.
                    std::size_t nKept = 0;
                    if (pSavedEnd > pDst) {
                        nKept = static_cast<std::size_t>(pSavedEnd - pDst);
                        std::memmove(saved, saved + (pDst - pSaved), nKept);
                    }
                    const auto nWindow =
                        std::min(kSavedSize, static_cast<std::size_t>(pOutEnd - pDst));
                    std::memcpy(saved + nKept, pDst + nKept, nWindow - nKept);
                    pSaved = pDst;
                    pSavedEnd = pDst + nWindow;
                    nSavedLimit = reinterpret_cast<std::uintptr_t>(pSavedEnd) - 7;
                    Store64(pDst, Load64(pSrc));
                } else {
                    if (nLen > pOutEnd - pDst) {
                        std::memcpy(pDst, pSrc, static_cast<std::size_t>(pOutEnd - pDst));
                        pDst = pOutEnd;
                        break;
                    }
                    CopyString(pDst, pSrc, nLen);
                }
            } else if (nCode == nNext) {
                // The end code at the start of a block, or the string being
                // defined: the previous one and its own first byte.
                if (nNext == kBlockStart) {
                    nResult = 1;
                    break;
                }
                nInfo = nPrevInfo + 1;
                nLen = nInfo & kLenMask;
                const std::uint32_t nPrevLen = nLen - 1;
                if (nLen > pOutEnd - pDst) {
                    std::memcpy(pDst, pPrev, static_cast<std::size_t>(pOutEnd - pDst));
                    pDst = pOutEnd;
                    break;
                }
                CopyString(pDst, pPrev, nPrevLen);
                pDst[nPrevLen] = static_cast<unsigned char>(nInfo >> kFirstShift);
            } else {
                break;
            }

            // The new entry: the previous string and this string's first
            // byte, unless that pair was made before in the block.
            const std::uint32_t nKey = nPrev << 8 | nInfo >> kFirstShift;
            if (t.tags[nKey] == nGen) [[unlikely]] {
                pDst += nLen;
                break;
            }
            t.tags[nKey] = nGen;
            t.srcs[nNext] = pPrev;
            t.infos[nNext] = nPrevInfo + 1;
            nPrev = nCode;
            pPrev = pDst;
            nPrevInfo = nInfo;
            pDst += nLen;
            if (nNext == nMask) [[unlikely]] {
                if (nMask == kTableSize - 1) {
                    startBlock();
                } else {
                    ++nNext;
                    ++nBits;
                    nMask = nMask * 2 + 1;
                }
            } else {
                ++nNext;
            }
        }
    }

    if (pDst < pSavedEnd)
        std::memcpy(pDst, saved + (pDst - pSaved),
                    std::min<std::size_t>(8, static_cast<std::size_t>(pSavedEnd - pDst)));
    m_nOutCount = static_cast<std::uint32_t>(pDst - m_pOutput);
    // The byte reader takes a byte when it needs its first bit.
    m_pCodeFile->Seek(static_cast<std::int64_t>(source.m_nChunkPos + (nBitPos + 7) / 8),
                      CFile::begin);
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
