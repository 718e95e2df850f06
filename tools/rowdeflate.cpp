#include "tools/rowdeflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <libdeflate.h>

namespace {

// The deflate format's limits (RFC 1951).
constexpr std::size_t kMaxMatch = 258;
constexpr std::size_t kMaxDistance = 32768;
constexpr int kLitLenSymbols = 286;
constexpr int kDistSymbols = 30;
constexpr int kCodeLengthSymbols = 19;
constexpr int kMaxCodeBits = 15;
constexpr int kMaxCodeLengthBits = 7;
constexpr int kEndOfBlock = 256;

// Shorter matches cost about what their literals cost.
constexpr std::size_t kMinMatch = 4;
// Give up once more than a quarter of the bytes seen are literals (after a
// first stretch): such rows are not drawn flat, and a general coder finds
// the repeats this one does not look for.
constexpr std::size_t kLiteralsBeforeGivingUp = 1024;
constexpr std::size_t kLiteralShare = 4;
// The tokens of a picture take up to twice its bytes; beyond this size
// (a picture many times a screen) the general coder, which needs none, does
// it, and no thread keeps more than a few MB of tokens between pictures.
constexpr std::size_t kMaxBytes = std::size_t{16} << 20;

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                     4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                     9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::array<std::uint8_t, kCodeLengthSymbols> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// The length symbol (257...285) of every match length.
constexpr std::array<std::uint16_t, kMaxMatch + 1> kLengthSymbol = [] {
    std::array<std::uint16_t, kMaxMatch + 1> table{};
    for (std::size_t nLength = 3; nLength <= kMaxMatch; ++nLength) {
        std::size_t k = kLengthBase.size() - 1;
        while (kLengthBase[k] > nLength)
            --k;
        table[nLength] = static_cast<std::uint16_t>(257 + k);
    }
    return table;
}();

int DistanceSymbol(std::size_t nDistance) {
    int k = kDistSymbols - 1;
    while (kDistBase[static_cast<std::size_t>(k)] > nDistance)
        --k;
    return k;
}

// Code lengths of at most nMaxBits for the frequencies: Huffman's
// construction by two queues over the symbols sorted by frequency, then, when
// the tree is too deep, its deepest leaves moved up while keeping the code
// complete (the adjustment of JPEG's Annex K.3), and the lengths handed out
// shortest first to the most frequent symbols. Fewer than two used symbols
// get two codes of one bit, so every code is complete.
void BuildLengths(const std::uint32_t* pFreq, int nSymbols, int nMaxBits, std::uint8_t* pLength) {
    std::fill(pLength, pLength + nSymbols, std::uint8_t{0});
    std::array<int, kLitLenSymbols> used{};
    std::size_t nUsed = 0;
    for (int s = 0; s < nSymbols; ++s)
        if (pFreq[s])
            used[nUsed++] = s;
    if (nUsed < 2) {
        const int nFirst = nUsed ? used[0] : 0;
        pLength[nFirst] = 1;
        pLength[nFirst == 0 ? 1 : 0] = 1;
        return;
    }
    std::sort(used.begin(), used.begin() + static_cast<std::ptrdiff_t>(nUsed),
              [&](int a, int b) { return pFreq[a] != pFreq[b] ? pFreq[a] < pFreq[b] : a < b; });

    // Nodes 0..nUsed-1 are the leaves in that order, then the inner nodes in
    // the order they are made, which is also by weight.
    std::array<std::uint64_t, 2 * kLitLenSymbols> weight{};
    std::array<int, 2 * kLitLenSymbols> parent{}, depth{};
    for (std::size_t i = 0; i < nUsed; ++i)
        weight[i] = pFreq[used[i]];
    std::size_t nLeaf = 0, nInner = nUsed, nMade = nUsed;
    const auto takeSmallest = [&] {
        if (nLeaf < nUsed && (nInner >= nMade || weight[nLeaf] <= weight[nInner]))
            return nLeaf++;
        return nInner++;
    };
    while (nMade < 2 * nUsed - 1) {
        const std::size_t a = takeSmallest(), b = takeSmallest();
        weight[nMade] = weight[a] + weight[b];
        parent[a] = parent[b] = static_cast<int>(nMade);
        ++nMade;
    }
    depth[nMade - 1] = 0;
    std::array<int, 2 * kLitLenSymbols> count{};
    int nDeepest = 0;
    for (std::size_t n = nMade - 1; n-- > 0;) {
        depth[n] = depth[static_cast<std::size_t>(parent[n])] + 1;
        if (n < nUsed) {
            ++count[static_cast<std::size_t>(depth[n])];
            nDeepest = std::max(nDeepest, depth[n]);
        }
    }
    for (int i = nDeepest; i > nMaxBits; --i)
        while (count[static_cast<std::size_t>(i)] > 0) {
            int j = i - 2;
            while (count[static_cast<std::size_t>(j)] == 0)
                --j;
            count[static_cast<std::size_t>(i)] -= 2;
            count[static_cast<std::size_t>(i - 1)] += 1;
            count[static_cast<std::size_t>(j + 1)] += 2;
            count[static_cast<std::size_t>(j)] -= 1;
        }
    std::size_t nNext = nUsed; // the most frequent symbol is the last
    for (int nBits = 1; nBits <= std::min(nDeepest, nMaxBits); ++nBits)
        for (int k = 0; k < count[static_cast<std::size_t>(nBits)]; ++k)
            pLength[used[--nNext]] = static_cast<std::uint8_t>(nBits);
}

// Canonical codes for the lengths, bit-reversed: deflate sends a code's
// highest bit first into a stream that is otherwise filled from the lowest.
void MakeCodes(const std::uint8_t* pLength, int nSymbols, std::uint16_t* pCode) {
    std::array<int, kMaxCodeBits + 2> count{}, next{};
    for (int s = 0; s < nSymbols; ++s)
        ++count[pLength[s]];
    count[0] = 0;
    for (int nBits = 1, nCode = 0; nBits <= kMaxCodeBits; ++nBits) {
        nCode = (nCode + count[static_cast<std::size_t>(nBits - 1)]) << 1;
        next[static_cast<std::size_t>(nBits)] = nCode;
    }
    for (int s = 0; s < nSymbols; ++s) {
        const int nBits = pLength[s];
        if (!nBits)
            continue;
        const int nCode = next[static_cast<std::size_t>(nBits)]++;
        int nReversed = 0;
        for (int b = 0; b < nBits; ++b)
            nReversed |= ((nCode >> b) & 1) << (nBits - 1 - b);
        pCode[s] = static_cast<std::uint16_t>(nReversed);
    }
}

class CBitWriter {
public:
    explicit CBitWriter(unsigned char* p) : m_p(p) {}
    // At most 16 bits at a time, so the 64-bit buffer never overflows.
    void Put(std::uint32_t nValue, int nBits) {
        m_nBuffer |= std::uint64_t{nValue} << m_nBits;
        m_nBits += nBits;
        if (m_nBits >= 32) {
            for (int i = 0; i < 4; ++i)
                *m_p++ = static_cast<unsigned char>(m_nBuffer >> (8 * i));
            m_nBuffer >>= 32;
            m_nBits -= 32;
        }
    }
    unsigned char* Finish() {
        for (; m_nBits > 0; m_nBits -= 8, m_nBuffer >>= 8)
            *m_p++ = static_cast<unsigned char>(m_nBuffer);
        m_nBits = 0;
        return m_p;
    }

private:
    unsigned char* m_p;
    std::uint64_t m_nBuffer = 0;
    int m_nBits = 0;
};

// How many of the nMax bytes at p equal those at pFrom, or, for bRun, equal
// *pFrom; eight at a time while eight remain.
std::size_t MatchLength(const unsigned char* p, const unsigned char* pFrom, std::size_t nMax,
                        bool bRun) {
    std::size_t n = 0;
    const std::uint64_t nPattern = 0x0101010101010101u * *pFrom;
    for (; n + 8 <= nMax; n += 8) {
        std::uint64_t nHere = 0, nThere = nPattern;
        std::memcpy(&nHere, p + n, 8);
        if (!bRun)
            std::memcpy(&nThere, pFrom + n, 8);
        if (const std::uint64_t nDiff = nHere ^ nThere)
            return n + static_cast<std::size_t>(std::countr_zero(nDiff)) / 8;
    }
    while (n < nMax && p[n] == (bRun ? *pFrom : pFrom[n]))
        ++n;
    return n;
}

// A token: a literal byte, or a match of bits 0-8 length at distance one
// (bit 16 clear) or one row (bit 16 set).
constexpr std::uint32_t kMatch = 1u << 31;
constexpr std::uint32_t kRowBack = 1u << 16;

} // namespace

namespace rowdeflate {

bool Compress(const unsigned char* p, std::size_t n, std::size_t nRowBytes,
              std::vector<unsigned char>& out) {
    // Rows further apart than the window cannot be copied.
    const bool bRowMatches = nRowBytes >= 1 && nRowBytes <= kMaxDistance;
    if (n > kMaxBytes)
        return false;
    thread_local std::vector<std::uint32_t> tokens;
    tokens.clear();
    std::array<std::uint32_t, kLitLenSymbols> litFreq{};
    std::array<std::uint32_t, kDistSymbols> distFreq{};
    const int nRowSymbol = DistanceSymbol(bRowMatches ? nRowBytes : 1);
    std::size_t nLiterals = 0;
    for (std::size_t i = 0; i < n;) {
        const std::size_t nMax = std::min(kMaxMatch, n - i);
        // The first byte decides most positions without a call.
        const std::size_t nRun =
            i >= 1 && p[i] == p[i - 1] ? MatchLength(p + i, p + i - 1, nMax, true) : 0;
        const std::size_t nUp =
            bRowMatches && i >= nRowBytes && nRun < nMax && p[i] == p[i - nRowBytes]
                ? MatchLength(p + i, p + i - nRowBytes, nMax, false)
                : 0;
        const std::size_t nLength = std::max(nRun, nUp);
        if (nLength >= kMinMatch) {
            const bool bUp = nUp > nRun;
            tokens.push_back(kMatch | (bUp ? kRowBack : 0) | static_cast<std::uint32_t>(nLength));
            ++litFreq[kLengthSymbol[nLength]];
            ++distFreq[static_cast<std::size_t>(bUp ? nRowSymbol : 0)];
            i += nLength;
        } else {
            tokens.push_back(p[i]);
            ++litFreq[p[i]];
            ++i;
            if (++nLiterals > kLiteralsBeforeGivingUp && nLiterals * kLiteralShare > i)
                return false;
        }
    }
    litFreq[kEndOfBlock] = 1;

    std::array<std::uint8_t, kLitLenSymbols> litLength{};
    std::array<std::uint8_t, kDistSymbols> distLength{};
    std::array<std::uint16_t, kLitLenSymbols> litCode{};
    std::array<std::uint16_t, kDistSymbols> distCode{};
    BuildLengths(litFreq.data(), kLitLenSymbols, kMaxCodeBits, litLength.data());
    BuildLengths(distFreq.data(), kDistSymbols, kMaxCodeBits, distLength.data());
    MakeCodes(litLength.data(), kLitLenSymbols, litCode.data());
    MakeCodes(distLength.data(), kDistSymbols, distCode.data());

    int nLit = kLitLenSymbols, nDist = kDistSymbols;
    while (nLit > 257 && !litLength[static_cast<std::size_t>(nLit - 1)])
        --nLit;
    while (nDist > 1 && !distLength[static_cast<std::size_t>(nDist - 1)])
        --nDist;

    // The code lengths as one sequence, runs written with symbols 16
    // (repeat the last 3-6 times), 17 (3-10 zeros) and 18 (11-138 zeros).
    std::vector<std::uint8_t> lengths(litLength.begin(), litLength.begin() + nLit);
    lengths.insert(lengths.end(), distLength.begin(), distLength.begin() + nDist);
    std::vector<std::pair<std::uint8_t, std::uint8_t>> rle; // symbol, extra value
    for (std::size_t i = 0; i < lengths.size();) {
        const std::uint8_t nValue = lengths[i];
        std::size_t nRun = 1;
        while (i + nRun < lengths.size() && lengths[i + nRun] == nValue)
            ++nRun;
        i += nRun;
        if (nValue == 0) {
            for (; nRun >= 11; nRun -= std::min<std::size_t>(nRun, 138))
                rle.push_back(
                    {18, static_cast<std::uint8_t>(std::min<std::size_t>(nRun, 138) - 11)});
            if (nRun >= 3) {
                rle.push_back({17, static_cast<std::uint8_t>(nRun - 3)});
                nRun = 0;
            }
        } else {
            rle.push_back({nValue, 0});
            for (--nRun; nRun >= 3; nRun -= std::min<std::size_t>(nRun, 6))
                rle.push_back({16, static_cast<std::uint8_t>(std::min<std::size_t>(nRun, 6) - 3)});
        }
        for (; nRun > 0; --nRun)
            rle.push_back({nValue, 0});
    }
    std::array<std::uint32_t, kCodeLengthSymbols> clFreq{};
    for (const auto& [nSymbol, nExtra] : rle)
        ++clFreq[nSymbol];
    std::array<std::uint8_t, kCodeLengthSymbols> clLength{};
    std::array<std::uint16_t, kCodeLengthSymbols> clCode{};
    BuildLengths(clFreq.data(), kCodeLengthSymbols, kMaxCodeLengthBits, clLength.data());
    MakeCodes(clLength.data(), kCodeLengthSymbols, clCode.data());
    int nCl = kCodeLengthSymbols;
    while (nCl > 4 && !clLength[kCodeLengthOrder[static_cast<std::size_t>(nCl - 1)]])
        --nCl;

    // Room: the zlib header, the block header (under 600 bytes), at most 48
    // bits a token, the end of block and the Adler-32.
    const std::size_t nStart = out.size();
    out.resize(nStart + 2 + 1024 + tokens.size() * 6 + 8 + 4);
    unsigned char* pOut = out.data() + nStart;
    *pOut++ = 0x78; // deflate, 32 KiB window
    *pOut++ = 0x01; // no dictionary, fastest; header check bits
    CBitWriter bits(pOut);
    bits.Put(1, 1); // the final block
    bits.Put(2, 2); // dynamic Huffman codes
    bits.Put(static_cast<std::uint32_t>(nLit - 257), 5);
    bits.Put(static_cast<std::uint32_t>(nDist - 1), 5);
    bits.Put(static_cast<std::uint32_t>(nCl - 4), 4);
    for (int i = 0; i < nCl; ++i)
        bits.Put(clLength[kCodeLengthOrder[static_cast<std::size_t>(i)]], 3);
    for (const auto& [nSymbol, nExtra] : rle) {
        bits.Put(clCode[nSymbol], clLength[nSymbol]);
        if (nSymbol >= 16)
            bits.Put(nExtra, nSymbol == 16 ? 2 : nSymbol == 17 ? 3 : 7);
    }
    const std::uint32_t nRowDistExtra =
        static_cast<std::uint32_t>(nRowBytes) - kDistBase[static_cast<std::size_t>(nRowSymbol)];
    for (const std::uint32_t nToken : tokens) {
        if (!(nToken & kMatch)) {
            bits.Put(litCode[nToken], litLength[nToken]);
            continue;
        }
        const std::size_t nLength = nToken & 0x1FF;
        const std::size_t nSymbol = kLengthSymbol[nLength];
        bits.Put(litCode[nSymbol], litLength[nSymbol]);
        if (kLengthExtra[nSymbol - 257])
            bits.Put(static_cast<std::uint32_t>(nLength - kLengthBase[nSymbol - 257]),
                     kLengthExtra[nSymbol - 257]);
        if (nToken & kRowBack) {
            const auto nDistSymbol = static_cast<std::size_t>(nRowSymbol);
            bits.Put(distCode[nDistSymbol], distLength[nDistSymbol]);
            if (kDistExtra[nDistSymbol])
                bits.Put(nRowDistExtra, kDistExtra[nDistSymbol]);
        } else {
            bits.Put(distCode[0], distLength[0]);
        }
    }
    bits.Put(litCode[kEndOfBlock], litLength[kEndOfBlock]);
    pOut = bits.Finish();
    const std::uint32_t nAdler = libdeflate_adler32(1, p, n);
    for (int i = 3; i >= 0; --i)
        *pOut++ = static_cast<unsigned char>(nAdler >> (8 * i));
    out.resize(static_cast<std::size_t>(pOut - out.data()));
    return true;
}

} // namespace rowdeflate
