#include "pictures/lzwcodec.h"
#include "pictures/lzwencoder.h"
#include "support/lzw/lzwreference.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::uint32_t kClear = 256;
constexpr std::uint32_t kEnd = 257;
constexpr unsigned char kSentinel = 0xCD;
// Bytes before the stream in the test file, so positions are not from 0.
constexpr std::size_t kLead = 5;

// Packs codes least significant bit first, each at the width the test gives.
class CCodeWriter {
public:
    CCodeWriter& Put(std::uint32_t nCode, std::uint32_t nBits) {
        for (std::uint32_t i = 0; i < nBits; ++i) {
            if (m_nBit == 0)
                m_bytes.push_back(0);
            if (nCode >> i & 1)
                m_bytes.back() |= static_cast<unsigned char>(1u << m_nBit);
            m_nBit = (m_nBit + 1) % 8;
        }
        return *this;
    }
    CCodeWriter& Put9(std::initializer_list<std::uint32_t> codes) {
        for (std::uint32_t nCode : codes)
            Put(nCode, 9);
        return *this;
    }
    const Bytes& GetBytes() const { return m_bytes; }

private:
    Bytes m_bytes;
    std::uint32_t m_nBit = 0;
};

Bytes Codes9(std::initializer_list<std::uint32_t> codes) {
    return CCodeWriter().Put9(codes).GetBytes();
}

Bytes Text(const std::string& str) {
    return Bytes(str.begin(), str.end());
}

enum class EDecoder { codec, reference };

const char* Name(EDecoder decoder) {
    return decoder == EDecoder::codec ? "CLzwCodec" : "reference";
}

struct CDecoded {
    int nResult = -1;
    Bytes output;
    std::uint64_t nConsumed = 0;   // stream bytes the decoder took
    bool bOutsideUntouched = true; // nothing written past the output
};

// Decodes a stream that sits at offset kLead of a file, followed by
// nTrailing bytes 0xFF, into a buffer of nCapacity bytes plus sentinels.
template <class TDecoder>
CDecoded DecodeWith(const Bytes& stream, std::size_t nCapacity, std::size_t nTrailing) {
    CTempDir dir;
    std::string file(kLead, '\x55');
    file.append(stream.begin(), stream.end());
    file.append(nTrailing, '\xFF');
    dir.WriteFile("s", file);
    CFile f;
    EXPECT_TRUE(f.Open(dir.File("s")));
    f.Seek(kLead, CFile::begin);

    Bytes buf(nCapacity + 64, kSentinel);
    TDecoder decoder(&f, buf.data(), nCapacity);
    CDecoded out;
    out.nResult = decoder.Decode();
    const std::uint32_t nCount = decoder.GetOutCount();
    out.output.assign(buf.begin(), buf.begin() + nCount);
    for (std::size_t i = nCount; i < buf.size(); ++i)
        out.bOutsideUntouched = out.bOutsideUntouched && buf[i] == kSentinel;
    out.nConsumed = f.GetPosition() - kLead;
    return out;
}

CDecoded Decode(const Bytes& stream, std::size_t nCapacity, EDecoder decoder,
                std::size_t nTrailing = 3) {
    return decoder == EDecoder::codec ? DecodeWith<CLzwCodec>(stream, nCapacity, nTrailing)
                                      : DecodeWith<CLzwReference>(stream, nCapacity, nTrailing);
}

// Both decoders give the result, output and stream length the test expects.
void ExpectBoth(const Bytes& stream, std::size_t nCapacity, int nResult, const Bytes& output,
                std::uint64_t nConsumed, std::size_t nTrailing = 3) {
    for (EDecoder decoder : {EDecoder::codec, EDecoder::reference}) {
        SCOPED_TRACE(Name(decoder));
        const CDecoded got = Decode(stream, nCapacity, decoder, nTrailing);
        EXPECT_EQ(got.nResult, nResult);
        EXPECT_TRUE(got.output == output);
        EXPECT_EQ(got.nConsumed, nConsumed);
        EXPECT_TRUE(got.bOutsideUntouched);
    }
}

// The codec agrees with the reference on everything observable.
void ExpectSameAsReference(const Bytes& stream, std::size_t nCapacity, std::size_t nTrailing = 3) {
    const CDecoded codec = Decode(stream, nCapacity, EDecoder::codec, nTrailing);
    const CDecoded reference = Decode(stream, nCapacity, EDecoder::reference, nTrailing);
    EXPECT_EQ(codec.nResult, reference.nResult);
    EXPECT_TRUE(codec.output == reference.output);
    EXPECT_EQ(codec.nConsumed, reference.nConsumed);
    EXPECT_TRUE(codec.bOutsideUntouched);
    EXPECT_TRUE(reference.bOutsideUntouched);
}

// n literals with no neighbouring pair repeated and no byte twice in a row, so
// a block of them makes one entry per code and never a duplicate pair.
Bytes DistinctPairLiterals(std::size_t n, unsigned nSeed) {
    std::vector<bool> used(65536);
    Bytes out{static_cast<unsigned char>(nSeed)};
    while (out.size() < n) {
        const unsigned nPrev = out.back();
        unsigned b = (nPrev * 5 + 17 + static_cast<unsigned>(out.size())) & 255;
        int nTries = 0;
        while (b == nPrev || used[nPrev * 256 + b]) {
            b = (b + 1) & 255;
            if (++nTries > 256)
                throw std::logic_error("no free pair");
        }
        used[nPrev * 256 + b] = true;
        out.push_back(static_cast<unsigned char>(b));
    }
    return out;
}

// Width of the j-th code of a block of literals: entries 258 to 511 are made
// at 9 bits, 512 to 1023 at 10, 1024 to 2047 at 11 and 2048 to 4095 at 12;
// code j (from 1) makes entry 257 + j, and the code after entry 511 is wider.
std::uint32_t LiteralBlockWidth(std::size_t j) {
    if (j <= 254)
        return 9;
    if (j <= 766)
        return 10;
    if (j <= 1790)
        return 11;
    return 12;
}
constexpr std::size_t kFullBlockCodes = 3839; // codes 0 to 3838; 3838 makes 4095

// ---------------------------------------------------------------------------
// Hand-made streams: every row through both decoders.

struct StreamRow {
    const char* pszName;
    Bytes stream;
    std::size_t nCapacity;
    int nResult;
    std::string strOutput;
    std::uint64_t nConsumed;
    bool bAtFileEnd = false; // the file ends with the stream
};

// Names the row in failure messages instead of dumping its bytes.
void PrintTo(const StreamRow& row, std::ostream* os) {
    *os << row.pszName;
}

class HandMadeStreams : public testing::TestWithParam<StreamRow> {};

TEST_P(HandMadeStreams, DecodeAsTheFormatSays) {
    const StreamRow& row = GetParam();
    ExpectBoth(row.stream, row.nCapacity, row.nResult, Text(row.strOutput), row.nConsumed,
               row.bAtFileEnd ? 0 : 3);
}

std::vector<StreamRow> HandMadeRows() {
    return {
        // Code 257 alone, 9 bits least significant first.
        {"EndCodeAlone", {1, 1}, 16, 1, "", 2},
        // Codes 65, 258 (the entry being made) and 257.
        {"LiteralThenNextCode", {0x41, 0x04, 0x06, 0x04}, 16, 1, "AAA", 4},
        {"NextCodeAfterOtherLiteral", Codes9({65, 66, 259, kEnd}), 16, 1, "ABBB", 5},
        // A, B, AB (258), ABA (260, being made from AB + A).
        {"ChainedStrings", Codes9({65, 66, 258, 260, kEnd}), 16, 1, "ABABABA", 6},
        // 258 made by the code equal to it is (65, 65), and is used again.
        {"EntryMadeByNextCodeIsKept", Codes9({65, 258, 258, kEnd}), 16, 1, "AAAAA", 5},
        {"DefinedCodeAfterThreeLiterals", Codes9({65, 66, 67, 259, kEnd}), 16, 1, "ABCBC", 6},

        {"EmptyFile", {}, 16, 1, "", 0, true},
        {"FileEndsInsideFirstCode", {0x41}, 16, 1, "", 1, true},
        {"FileEndsInsideSecondCode", {0x41, 0x00}, 16, 1, "A", 2, true},
        {"FileEndsAfterWholeCodes", Codes9({65, 66, 258}), 16, 1, "ABAB", 4, true},

        {"CodeAboveNextCode", Codes9({65, 259, kEnd}), 16, 0, "A", 3},
        {"CodeFarAboveNextCode", Codes9({65, 511, kEnd}), 16, 0, "A", 3},
        {"StartsWithClearCode", Codes9({kClear, 65, kEnd}), 16, 0, "", 2},
        {"StartsWithMadeCode", Codes9({258, kEnd}), 16, 0, "", 2},
        {"TwoClearCodesInARow", Codes9({65, kClear, kClear, 66, kEnd}), 16, 0, "A", 4},
        // The third code makes (65, 65) a second time; its byte is written.
        {"DuplicatePair", Codes9({65, 65, 65, kEnd}), 16, 0, "AAA", 4},
        // 258 is made as (65, 65) by the code equal to the next code.
        {"DuplicateOfEntryMadeByNextCode", Codes9({65, 258, 65, 65, kEnd}), 16, 0, "AAAAA", 5},

        {"ClearMidStreamKeepsBitPosition", Codes9({65, kClear, 66, kEnd}), 16, 1, "AB", 5},
        // After the clear, 259 is no longer defined.
        {"ClearForgetsEntries", Codes9({65, 66, kClear, 67, 259, kEnd}), 16, 0, "ABC", 6},
        // The literal after a clear makes no entry: 258 is then the code
        // being made (B + B), not (A, B).
        {"BlockStartMakesNoEntry", Codes9({65, kClear, 66, 258, kEnd}), 16, 1, "ABBB", 6},

        {"OutputFitsExactly", {0x41, 0x04, 0x06, 0x04}, 3, 1, "AAA", 4},
        {"OverflowInsideNextCodeString", {0x41, 0x04, 0x06, 0x04}, 2, 0, "AA", 3},
        {"OverflowOnLiteral", Codes9({65, 66, kEnd}), 1, 0, "A", 3},
        {"OverflowOnFirstLiteral", Codes9({65, kEnd}), 0, 0, "", 2},
        {"ZeroCapacityEndCodeOnly", {1, 1}, 0, 1, "", 2},
        {"OverflowInsideDefinedString", Codes9({65, 66, 258, 258, kEnd}), 5, 0, "ABABA", 5},
        {"OverflowInsideLongNextCodeString", Codes9({65, 66, 258, 260, kEnd}), 5, 0, "ABABA", 5},
    };
}

INSTANTIATE_TEST_SUITE_P(Decoder, HandMadeStreams, testing::ValuesIn(HandMadeRows()),
                         [](const auto& info) { return std::string(info.param.pszName); });

// ---------------------------------------------------------------------------
// Code widths and the self-reset: streams packed at the widths the format
// gives decode back to their literals only if the decoder widens and starts
// again after exactly the right entries.

TEST(CodeWidths, CodeAfterEntry511IsTenBitsWide) {
    const Bytes lits = DistinctPairLiterals(256, 1);
    CCodeWriter w;
    for (std::size_t j = 0; j < lits.size(); ++j)
        w.Put(lits[j], LiteralBlockWidth(j));
    w.Put(kEnd, 10);
    ExpectBoth(w.GetBytes(), 4096, 1, lits, w.GetBytes().size());
}

// A whole block of literals grows through every width, makes entry 4095 and
// starts again by itself: the next code is 9 bits and makes no entry, so 258
// right after it is the code being made (X + X).
class SelfReset : public testing::TestWithParam<bool> {};

TEST_P(SelfReset, AfterEntry4095NextCodeIsNineBitsAndStartsABlock) {
    const bool bLastIsNextCode = GetParam();
    Bytes lits = DistinctPairLiterals(kFullBlockCodes, 7);
    CCodeWriter w;
    Bytes expected;
    for (std::size_t j = 0; j < lits.size(); ++j) {
        if (j + 1 == lits.size() && bLastIsNextCode) {
            // Code 4095 while 4095 is the entry being made.
            w.Put(4095, 12);
            expected.push_back(lits[j - 1]);
            expected.push_back(lits[j - 1]);
        } else {
            w.Put(lits[j], LiteralBlockWidth(j));
            expected.push_back(lits[j]);
        }
    }
    const auto x = static_cast<unsigned char>(expected.back() + 1);
    w.Put(x, 9).Put(258, 9).Put(kEnd, 9);
    expected.insert(expected.end(), {x, x, x});

    ExpectBoth(w.GetBytes(), 16384, 1, expected, w.GetBytes().size());
    ExpectSameAsReference(w.GetBytes(), expected.size() - 2);
}

INSTANTIATE_TEST_SUITE_P(Decoder, SelfReset, testing::Bool(),
                         [](const auto& info) { return info.param ? "Code4095" : "Literal"; });

TEST(CodeWidths, ClearCodeAtTenBitsReturnsToNine) {
    const Bytes lits = DistinctPairLiterals(256, 3);
    CCodeWriter w;
    for (std::size_t j = 0; j < lits.size(); ++j)
        w.Put(lits[j], LiteralBlockWidth(j));
    w.Put(kClear, 10).Put(65, 9).Put(258, 9).Put(kEnd, 9);
    Bytes expected = lits;
    expected.insert(expected.end(), {65, 65, 65});
    ExpectBoth(w.GetBytes(), 4096, 1, expected, w.GetBytes().size());
}

// ---------------------------------------------------------------------------
// The encoder: exact streams, then round trips through both decoders.

TEST(Encoder, WritesTheSmallestStreamsBitExactly) {
    EXPECT_EQ(EncodeLzw({}), (Bytes{1, 1}));
    EXPECT_EQ(EncodeLzw(Text("A")), (Bytes{0x41, 0x02, 0x02}));
    EXPECT_EQ(EncodeLzw(Text("AAA")), (Bytes{0x41, 0x04, 0x06, 0x04}));
    EXPECT_EQ(EncodeLzw(Text("ABABABA")), Codes9({65, 66, 258, 260, kEnd}));
}

// Bytes with no pair repeated encode as one literal each, so the stream shows
// the encoder's widths: every width in order, then 9 bits again after entry
// 4095.
TEST(Encoder, WidensAndStartsAgainWhereTheDecoderDoes) {
    const Bytes data = DistinctPairLiterals(kFullBlockCodes + 5, 9);
    CCodeWriter w;
    for (std::size_t j = 0; j < data.size(); ++j)
        w.Put(data[j], j < kFullBlockCodes ? LiteralBlockWidth(j) : 9);
    w.Put(kEnd, 9);
    EXPECT_TRUE(EncodeLzw(data) == w.GetBytes());
}

// The encoder keeps its dictionary between calls: nothing of one stream may
// reach the next, however the earlier one ended.
TEST(Encoder, SameStreamWhateverWasEncodedBefore) {
    const Bytes data = Text("ABABABABCABCABCAAAA");
    const Bytes fresh = EncodeLzw(data);
    Bytes onOtherThread;
    std::thread([&] { onOtherThread = EncodeLzw(data); }).join();
    EXPECT_TRUE(fresh == onOtherThread);
    for (const Bytes& before :
         {Text("ABABABABCABC"), Bytes(7'000, 'A'), DistinctPairLiterals(kFullBlockCodes + 5, 9),
          DistinctPairLiterals(kFullBlockCodes, 9)}) {
        (void)EncodeLzw(before);
        EXPECT_TRUE(EncodeLzw(data) == fresh) << before.size();
    }
}

Bytes RandomBytes(std::size_t n, unsigned nSeed, unsigned nAlphabet = 256) {
    std::mt19937 rng(nSeed);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<unsigned char>(rng() % nAlphabet);
    return out;
}

Bytes Runs(std::size_t n, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    Bytes out;
    while (out.size() < n) {
        const auto b = static_cast<unsigned char>(rng() % 4);
        out.insert(out.end(), std::min<std::size_t>(1 + rng() % 300, n - out.size()), b);
    }
    return out;
}

struct RoundTripRow {
    const char* pszName;
    Bytes data;
};

class RoundTrip : public testing::TestWithParam<RoundTripRow> {};

TEST_P(RoundTrip, BothDecodersRestoreTheBytesAndStopAtTheStreamEnd) {
    const Bytes& data = GetParam().data;
    const Bytes stream = EncodeLzw(data);
    // The end code's last bit lies in the stream's last byte.
    ExpectBoth(stream, data.size(), 1, data, stream.size());
}
INSTANTIATE_TEST_SUITE_P(
    Encoder, RoundTrip,
    testing::Values(RoundTripRow{"Empty", {}}, RoundTripRow{"OneByte", {200}},
                    RoundTripRow{"TwoEqualBytes", {7, 7}},
                    RoundTripRow{"AllZeroShort", Bytes(1000, 0)},
                    // Long enough to make entry 4095 from runs of one byte.
                    RoundTripRow{"AllZeroPastFirstReset", Bytes(7'500'000, 0)},
                    RoundTripRow{"RandomCrossesEveryWidth", RandomBytes(3000, 1)},
                    RoundTripRow{"RandomManyResets", RandomBytes(200'000, 2)},
                    RoundTripRow{"RandomSmallAlphabet", RandomBytes(300'000, 3, 3)},
                    RoundTripRow{"Runs", Runs(400'000, 4)},
                    RoundTripRow{"BlockOfDistinctPairs",
                                 DistinctPairLiterals(kFullBlockCodes + 5, 9)}),
    [](const auto& info) { return std::string(info.param.pszName); });

// ---------------------------------------------------------------------------
// Streams one after another: the dictionary outlives a decode, the pairs of
// one stream must not.

// The bytes A B A B ... make the pairs (A, B) and (B, A) early in a block; a
// stream that stops there, in any way, leaves them behind.
TEST(StreamsInSequence, PairsOfAnEarlierStreamAreForgotten) {
    const Bytes pairsAB = Codes9({65, 66, 65});
    const Bytes endsMidBlock = Codes9({65, 66, kEnd});
    const Bytes failsOnDuplicate = Codes9({65, 66, 65, 66, 65, kEnd});
    const Bytes overflows = Codes9({65, 66, 65, 66, kEnd});
    for (const Bytes* pFirst : {&endsMidBlock, &failsOnDuplicate, &overflows, &pairsAB}) {
        SCOPED_TRACE(pFirst - &endsMidBlock);
        (void)Decode(*pFirst, pFirst == &overflows ? 3 : 16, EDecoder::codec);
        // Makes (A, B) and (B, A) again: fine in a fresh dictionary.
        ExpectBoth(Codes9({65, 66, 65, kEnd}), 16, 1, Text("ABA"), 5);
    }
}

TEST(StreamsInSequence, BlocksOpeningWithTheSameLiteral) {
    // Every block opens with A; the block's first code makes no pair.
    ExpectBoth(Codes9({65, kClear, 65, kClear, 65, 258, kEnd}), 16, 1, Text("AAAAA"), 8);
    // A block made of one literal, then the end code at the next block's
    // start.
    ExpectBoth(Codes9({65, kClear, kEnd}), 16, 1, Text("A"), 4);
}

// More blocks than a pair set's generations can tell apart: each block makes
// its own pair, and every pair comes back 255 blocks later.
TEST(StreamsInSequence, PairsComeBackAfterManyBlocks) {
    CCodeWriter w;
    Bytes expected;
    for (std::uint32_t i = 0; i < 3 * 255; ++i) {
        const std::uint32_t x = i % 255, y = (x * 7 + 1) % 256;
        w.Put9({x, y, kClear});
        expected.insert(expected.end(),
                        {static_cast<unsigned char>(x), static_cast<unsigned char>(y)});
    }
    w.Put9({65, kEnd});
    expected.push_back(65);
    ExpectBoth(w.GetBytes(), expected.size(), 1, expected, w.GetBytes().size());
}

TEST(StreamsInSequence, SameResultOnAnotherThread) {
    const Bytes data = RandomBytes(50'000, 31, 7);
    const Bytes stream = EncodeLzw(data);
    Bytes bad = stream;
    bad[bad.size() / 2] ^= 0x10;
    const CDecoded here = Decode(bad, data.size(), EDecoder::codec);
    CDecoded there;
    std::thread([&] { there = Decode(bad, data.size(), EDecoder::codec); }).join();
    EXPECT_EQ(here.nResult, there.nResult);
    EXPECT_TRUE(here.output == there.output);
    EXPECT_EQ(here.nConsumed, there.nConsumed);
    ExpectSameAsReference(bad, data.size());
}

// ---------------------------------------------------------------------------
// Damaged streams: the codec must fail, stop and write exactly as the
// reference does, and never outside the buffer.

TEST(DamagedStreams, CodecMatchesReference) {
    std::mt19937 rng(11);
    const Bytes sources[] = {RandomBytes(6000, 21), Runs(20000, 22), RandomBytes(9000, 23, 5),
                             Bytes(40000, 9)};
    for (const Bytes& data : sources) {
        const Bytes good = EncodeLzw(data);
        for (int nCase = 0; nCase < 40; ++nCase) {
            Bytes bad = good;
            const int nFlips = 1 + static_cast<int>(rng() % 4);
            for (int i = 0; i < nFlips; ++i)
                bad[rng() % bad.size()] ^= static_cast<unsigned char>(1u << (rng() % 8));
            if (nCase % 5 == 0)
                bad.resize(rng() % bad.size());
            const std::size_t nCapacity =
                nCase % 3 == 0 ? data.size() / (1 + rng() % 4) : data.size();
            SCOPED_TRACE(nCase);
            ExpectSameAsReference(bad, nCapacity, nCase % 5 == 0 ? 0 : 3);
        }
    }
}

// In a block of literals, code k makes again the pair that codes 0 and 1
// made. Short codes are taken several to a load, so the stop is tried at each
// place among them, at three widths, and with the output ending near it.
TEST(DamagedStreams, RepeatedPairStopsWhereverItFalls) {
    const Bytes lits = DistinctPairLiterals(800, 5);
    std::vector<std::size_t> places;
    for (std::size_t k = 3; k < 40; ++k)
        places.push_back(k);
    for (std::size_t k : {250, 253, 254, 255, 256, 257, 260, 764, 765, 766, 767, 768})
        places.push_back(k);
    for (std::size_t k : places) {
        Bytes codes(lits.begin(), lits.begin() + static_cast<std::ptrdiff_t>(k) + 5);
        codes[k - 1] = lits[0];
        codes[k] = lits[1];
        CCodeWriter w;
        for (std::size_t j = 0; j < codes.size(); ++j)
            w.Put(codes[j], LiteralBlockWidth(j));
        w.Put(kEnd, LiteralBlockWidth(codes.size()));
        SCOPED_TRACE(k);
        EXPECT_EQ(Decode(w.GetBytes(), 4096, EDecoder::reference).nResult, 0);
        for (std::size_t nCapacity : {std::size_t{4096}, k - 1, k, k + 1, k + 9})
            ExpectSameAsReference(w.GetBytes(), nCapacity);
    }
}

TEST(DamagedStreams, RandomBytesNeverWriteOutsideTheBuffer) {
    std::mt19937 rng(12);
    for (int nCase = 0; nCase < 200; ++nCase) {
        Bytes junk = RandomBytes(1 + rng() % 3000, 100 + nCase);
        // Mostly small codes, so decoding goes on for a while.
        if (nCase % 2 == 0)
            for (std::size_t i = 1; i < junk.size(); i += 2)
                junk[i] &= 0x01;
        SCOPED_TRACE(nCase);
        ExpectSameAsReference(junk, rng() % 5000);
    }
}

} // namespace
