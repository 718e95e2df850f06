#include "tools/rowdeflate.h"

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <memory>

namespace {

// The rows back through an independent decoder; false when it refuses them.
bool Inflates(const std::vector<unsigned char>& stream, const std::vector<unsigned char>& rows) {
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> pDecoder(
        libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    std::vector<unsigned char> back(rows.size() + 1);
    std::size_t nBack = 0;
    if (libdeflate_zlib_decompress(pDecoder.get(), stream.data(), stream.size(), back.data(),
                                   back.size(), &nBack) != LIBDEFLATE_SUCCESS)
        return false;
    back.resize(nBack);
    return back == rows;
}

void ExpectRoundTrip(const std::vector<unsigned char>& rows, std::size_t nRowBytes,
                     const char* pszWhat) {
    std::vector<unsigned char> stream = {0xAB}; // what stands before is kept
    ASSERT_TRUE(rowdeflate::Compress(rows.data(), rows.size(), nRowBytes, stream)) << pszWhat;
    ASSERT_EQ(stream[0], 0xAB);
    stream.erase(stream.begin());
    EXPECT_TRUE(Inflates(stream, rows)) << pszWhat;
}

std::uint32_t Noise(std::uint32_t& nState) {
    nState = nState * 1664525u + 1013904223u;
    return nState >> 24;
}

TEST(RowDeflate, RunsAndRowCopiesOfEveryReachRoundTrip) {
    // Rows of one value with a short irregular stretch, repeated in bands:
    // runs longer than a match, runs across row ends, copies of the row above.
    for (const std::size_t nRowBytes : {2u, 5u, 257u, 801u, 4001u}) {
        std::vector<unsigned char> rows;
        std::uint32_t nState = 7;
        for (std::size_t y = 0; y < 300; ++y) {
            const auto nBand = static_cast<unsigned char>(y / 7);
            for (std::size_t x = 0; x < nRowBytes; ++x)
                rows.push_back(x % 97 == 3 && y % 7 == 0 ? static_cast<unsigned char>(Noise(nState))
                                                         : nBand);
        }
        ExpectRoundTrip(rows, nRowBytes, "bands");
    }
}

TEST(RowDeflate, RowsBeyondTheWindowAreCodedWithoutRowCopies) {
    const std::size_t nRowBytes = 40000; // a 24-bit row of 13,333 pixels
    std::vector<unsigned char> rows;
    for (std::size_t y = 0; y < 4; ++y)
        for (std::size_t x = 0; x < nRowBytes; ++x)
            rows.push_back(static_cast<unsigned char>(x / 300 * 3));
    ExpectRoundTrip(rows, nRowBytes, "wide rows");
}

TEST(RowDeflate, FewBytesOfAnyKindRoundTrip) {
    ExpectRoundTrip({0}, 1, "one byte");
    ExpectRoundTrip({1, 2, 3, 4, 5, 6, 7}, 7, "no match at all");
    std::vector<unsigned char> all;
    for (int n = 0; n < 256; ++n)
        all.push_back(static_cast<unsigned char>(n));
    ExpectRoundTrip(all, 16, "every byte value once");
}

// Literal frequencies that halve from value to value make a Huffman tree
// deeper than deflate's 15 bits; the codes must still be limited.
TEST(RowDeflate, SkewedFrequenciesStayWithinTheCodeLengthLimit) {
    std::vector<unsigned char> rows;
    for (std::uint32_t j = 1; j < (1u << 18); ++j) {
        // The ruler sequence: value v every 2^(v+1) bytes, never twice in a row.
        rows.push_back(static_cast<unsigned char>(__builtin_ctz(j)));
        if (j % 3 == 0)
            rows.insert(rows.end(), 16, 255); // enough runs to keep literals a minority
    }
    ExpectRoundTrip(rows, 1001, "skewed");
}

TEST(RowDeflate, HugeRowsAreLeftToAGeneralCoder) {
    const std::vector<unsigned char> rows((std::size_t{16} << 20) + 1, 7);
    std::vector<unsigned char> stream;
    EXPECT_FALSE(rowdeflate::Compress(rows.data(), rows.size(), 4096, stream));
    EXPECT_TRUE(stream.empty());
}

TEST(RowDeflate, NoiseIsLeftToAGeneralCoder) {
    std::vector<unsigned char> rows(200000);
    std::uint32_t nState = 1;
    for (unsigned char& b : rows)
        b = static_cast<unsigned char>(Noise(nState));
    std::vector<unsigned char> stream = {1, 2};
    EXPECT_FALSE(rowdeflate::Compress(rows.data(), rows.size(), 800, stream));
    EXPECT_EQ(stream, (std::vector<unsigned char>{1, 2}));
}

} // namespace
