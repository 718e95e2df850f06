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
// The bytes are kept against the chunk's end, so that one constant bounds the
// fast path whether the file has ended or not. The bit position stays in the
// decoder's locals, as this buffer's address escapes into CFile::Read.
struct CChunkSource {
    explicit CChunkSource(CFile& file)
        : m_file(file), m_nChunkPos(file.GetPosition() - kChunkSize) {
        std::memset(m_chunk + kChunkSize, 0, kPad);
    }

    // Small enough that reading past a short record costs little, and below
    // CFile's cache so every read is served from it.
    static constexpr std::size_t kChunkSize = 4096;
    // Zeros behind the chunk, so a code's load near its end stays inside.
    static constexpr std::size_t kPad = 8;
    static constexpr std::uint32_t kEndBit = kChunkSize * 8;
    // Below this, 8 bytes from the code's first byte are in the chunk, and
    // they hold any code from any of its bits.
    static constexpr std::uint32_t kFastEnd = kEndBit - 56;

    // Drops the bytes before the one holding nBitPos, reads until the chunk
    // is full or the file ends and moves what it holds against the chunk's
    // end; returns the new bit position. Once the file has ended it does
    // nothing.
    std::uint32_t Advance(std::uint32_t nBitPos) {
        if (m_bEnded)
            return nBitPos;
        const std::size_t nDrop = nBitPos / 8;
        const std::size_t nKept = kChunkSize - nDrop;
        std::memmove(m_chunk, m_chunk + nDrop, nKept);
        const std::size_t nRead = m_file.Read(m_chunk + nKept, nDrop);
        // CFile reads all it is asked for unless the file ends.
        m_bEnded = nRead < nDrop;
        const std::size_t nFill = nKept + nRead;
        const std::size_t nShift = kChunkSize - nFill;
        if (nShift > 0)
            std::memmove(m_chunk + nShift, m_chunk, nFill);
        // Unsigned arithmetic: the chunk may start before the file does.
        m_nChunkPos += nDrop - nShift;
        return static_cast<std::uint32_t>(nShift * 8 + nBitPos % 8);
    }

    // The 64 bits from nBitPos on: any code that starts there, in the low bits.
    std::uint64_t WordAt(std::uint32_t nBitPos) const {
        return Load64(m_chunk + nBitPos / 8) >> (nBitPos % 8);
    }

    CFile& m_file;
    std::uint64_t m_nChunkPos; // file offset of m_chunk[0], modulo 2^64
    bool m_bEnded = false;     // the file ends at the chunk's end
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
// strings of a static table, so most codes take one path.
//
// Codes are decoded at a width fixed in the code (9 to 12 bits), so that the
// width and its mask are constants rather than registers. step takes any code
// and does all the rare work (reading the file, the saved window, long
// strings, clear and end codes, a new width); run takes the short codes
// between, several from one load, and leaves every other code to step. run
// calls nothing, so its state stays in registers.
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
    constexpr std::size_t kSavedSize = 1024;

    CTables& t = ThreadTables();
    std::uint8_t nGen = t.NewGeneration();
    CChunkSource source(*m_pCodeFile);
    // The next code's first bit in source.m_chunk; codes are taken with one
    // load while it is below kFastEnd.
    std::uint32_t nBitPos = CChunkSource::kEndBit;
    std::uint32_t nBits = 9;
    std::size_t nNext = kBlockStart;
    unsigned char* pDst = m_pOutput;
    unsigned char* const pOutEnd = m_pOutput + m_nOutCapacity;
    // The previous code shifted to make a pair's key with the next one's
    // first byte, where its string was written (it ends at pDst) and the
    // info of the entry made from it.
    std::size_t nPrevKey = kBlockStart << 8;
    const unsigned char* pPrev = pDst;
    std::uint32_t nMadeInfo = kBlockStartInfo + 1;
    // Short strings are written as one 8-byte word, which leaves bytes past
    // the string changed until the next string covers them; all such bytes
    // lie in [pDst, pDst + 8) and below pSavedEnd. saved holds the output's
    // own bytes from pSaved to pSavedEnd, taken before any store reached
    // them, so they can be put back when decoding ends.
    unsigned char saved[kSavedSize];
    unsigned char* pSaved = pDst;
    unsigned char* pSavedEnd = pDst;
    // pDst below this has 32 bytes of the window from it on, room for a run's
    // four short strings; 0 for none.
    std::uintptr_t nSavedLimit = 0;
    int nResult = 0;
    // The length of the string step took last.
    std::size_t nLastLen = 0;
    enum EStep { kSameWidth, kNewWidth, kStop };
    // After a clear code or entry 4095: an empty pair set, 9-bit codes, and
    // the next code is a block's first.
    const auto startBlock = [&] {
        nGen = t.NewGeneration();
        nBits = 9;
        nNext = kBlockStart;
        nPrevKey = kBlockStart << 8;
        nMadeInfo = kBlockStartInfo + 1;
        return kNewWidth;
    };
    // Makes entry nNext from the pair nKey and moves on past the code's
    // string, which is written.
    const auto makeEntry = [&](std::size_t nKey, std::size_t nCode, std::uint32_t nInfo,
                               std::size_t nLen) {
        t.tags[nKey] = nGen;
        t.srcs[nNext] = pPrev;
        t.infos[nNext] = nMadeInfo;
        nPrevKey = nCode << 8;
        pPrev = pDst;
        nMadeInfo = nInfo + 1;
        pDst += nLen;
    };
    // One code of any kind; kStop when decoding ends.
    const auto step = [&](auto width) -> EStep {
        constexpr std::uint32_t kBits = decltype(width)::value;
        constexpr std::size_t kMask = (std::size_t{1} << kBits) - 1;
        if (nBitPos >= CChunkSource::kFastEnd) [[unlikely]]
            nBitPos = source.Advance(nBitPos);
        std::size_t nCode;
        if (nBitPos + kBits <= CChunkSource::kEndBit) [[likely]] {
            nCode = source.WordAt(nBitPos) & kMask;
            nBitPos += kBits;
        } else {
            // The file ends inside the code; the byte reader would have taken
            // every byte left.
            nBitPos = CChunkSource::kEndBit;
            nCode = kEnd;
        }

        std::uint32_t nInfo;
        std::size_t nLen;
        if (nCode < nNext) [[likely]] {
            const unsigned char* const pSrc = t.srcs[nCode];
            nInfo = t.infos[nCode];
            nLen = nInfo & kLenMask;
            if (nLen - 1 < 8 && reinterpret_cast<std::uintptr_t>(pDst) < nSavedLimit) [[likely]] {
                Store64(pDst, Load64(pSrc));
            } else if (nLen == 0) {
                // The clear or the end code; a clear code cannot start a
                // block.
                if (nCode == kEnd)
                    nResult = 1;
                if (nCode == kEnd || nNext == kBlockStart)
                    return kStop;
                return startBlock();
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
                nSavedLimit = reinterpret_cast<std::uintptr_t>(pSavedEnd) - 31;
                Store64(pDst, Load64(pSrc));
            } else {
                if (nLen > static_cast<std::size_t>(pOutEnd - pDst)) {
                    std::memcpy(pDst, pSrc, static_cast<std::size_t>(pOutEnd - pDst));
                    pDst = pOutEnd;
                    return kStop;
                }
                CopyString(pDst, pSrc, static_cast<std::uint32_t>(nLen));
            }
        } else if (nCode == nNext) {
            // The end code at the start of a block, or the string being
            // defined: the previous one and its own first byte.
            if (nNext == kBlockStart) {
                nResult = 1;
                return kStop;
            }
            nInfo = nMadeInfo;
            nLen = nInfo & kLenMask;
            const std::size_t nPrevLen = nLen - 1;
            if (nLen > static_cast<std::size_t>(pOutEnd - pDst)) {
                std::memcpy(pDst, pPrev, static_cast<std::size_t>(pOutEnd - pDst));
                pDst = pOutEnd;
                return kStop;
            }
            CopyString(pDst, pPrev, static_cast<std::uint32_t>(nPrevLen));
            pDst[nPrevLen] = static_cast<unsigned char>(nInfo >> kFirstShift);
        } else {
            return kStop;
        }

        // The new entry: the previous string and this string's first byte,
        // unless that pair was made before in the block.
        const std::size_t nKey = nPrevKey | nInfo >> kFirstShift;
        if (t.tags[nKey] == nGen) [[unlikely]] {
            pDst += nLen;
            return kStop;
        }
        makeEntry(nKey, nCode, nInfo, nLen);
        nLastLen = nLen;
        if (nNext == kMask) [[unlikely]] {
            if (kMask == kTableSize - 1)
                return startBlock();
            ++nNext;
            ++nBits;
            return kNewWidth;
        }
        ++nNext;
        return kSameWidth;
    };
    // Short codes that need none of step's rare work; it stops before the
    // first code that does, and leaves the state as step would have.
    const auto run = [&](auto width) {
        constexpr std::uint32_t kBits = decltype(width)::value;
        constexpr std::size_t kMask = (std::size_t{1} << kBits) - 1;
        for (;;) {
            // Loads of four codes that can be taken before the chunk's end
            // or the width's last entry: each takes 4 * kBits bits and makes
            // four entries. The saved window is checked after each load, as
            // short strings are mostly far shorter than 8 bytes.
            if (nBitPos >= CChunkSource::kFastEnd || nNext + 4 > kMask ||
                reinterpret_cast<std::uintptr_t>(pDst) >= nSavedLimit)
                return;
            std::size_t nLoads = std::min<std::size_t>(
                (CChunkSource::kFastEnd - nBitPos + 4 * kBits - 1) / (4 * kBits),
                (kMask - nNext) / 4);
            // One code; false, with nothing changed, when it is step's.
            const auto take = [&](std::size_t nCode) {
                if (nCode >= nNext)
                    return false;
                const std::uint32_t nInfo = t.infos[nCode];
                const std::size_t nLen = nInfo & kLenMask;
                const std::size_t nKey = nPrevKey | nInfo >> kFirstShift;
                if (nLen - 1 >= 8 || t.tags[nKey] == nGen)
                    return false;
                Store64(pDst, Load64(t.srcs[nCode]));
                makeEntry(nKey, nCode, nInfo, nLen);
                ++nNext;
                return true;
            };
            // Four codes from one load: 56 bits hold four from any first
            // bit. Each code taken makes one entry, so the bit position moves
            // on by the entries made, once per load.
            do {
                const std::uint64_t nWord = source.WordAt(nBitPos);
                const std::size_t nFirst = nNext;
                const bool bTaken = take(nWord & kMask) && take(nWord >> kBits & kMask) &&
                                    take(nWord >> 2 * kBits & kMask) &&
                                    take(nWord >> 3 * kBits & kMask);
                nBitPos += static_cast<std::uint32_t>(nNext - nFirst) * kBits;
                if (!bTaken)
                    return;
            } while (--nLoads != 0 && reinterpret_cast<std::uintptr_t>(pDst) < nSavedLimit);
        }
    };

    // Codes at one width, until the width changes or decoding stops. After
    // a long string the next code is likely long too, so the run is tried
    // only after a short one.
    const auto atWidth = [&](auto width) {
        EStep eStep;
        do {
            if (nLastLen <= 8)
                run(width);
        } while ((eStep = step(width)) == kSameWidth);
        return eStep;
    };
    using std::integral_constant;
    for (EStep eStep = kNewWidth; eStep != kStop;) {
        switch (nBits) {
        case 9:
            eStep = atWidth(integral_constant<std::uint32_t, 9>{});
            break;
        case 10:
            eStep = atWidth(integral_constant<std::uint32_t, 10>{});
            break;
        case 11:
            eStep = atWidth(integral_constant<std::uint32_t, 11>{});
            break;
        default:
            eStep = atWidth(integral_constant<std::uint32_t, 12>{});
            break;
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
