#include "pictures/lzwcodec.h"
#include "pictures/lzwencoder.h"
#include "pictures/pictureheader.h"
#include "pictures/pictureseries.h"
#include "platform/dibsection.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& b, std::size_t nAt, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[nAt + i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t Get32(const Bytes& b, std::size_t nAt) {
    return std::uint32_t{b[nAt]} | std::uint32_t{b[nAt + 1]} << 8 |
           std::uint32_t{b[nAt + 2]} << 16 | std::uint32_t{b[nAt + 3]} << 24;
}

// The 40 header bytes, laid out by hand from the record format.
struct HeaderFields {
    std::uint32_t nSize = 40;
    std::int32_t nWidth = 4;
    std::int32_t nHeight = 2;
    std::uint16_t nPlanes = 1;
    std::uint16_t nBitCount = 8;
    std::uint32_t nCompression = 0;
    std::uint32_t nSizeImage = 0;
    std::int32_t nXPels = 0;
    std::int32_t nYPels = 0;
    std::uint32_t nClrUsed = 0;
    std::uint32_t nClrImportant = 0;
};

Bytes HeaderBytes(const HeaderFields& f) {
    Bytes b(40);
    Put32(b, 0, f.nSize);
    Put32(b, 4, static_cast<std::uint32_t>(f.nWidth));
    Put32(b, 8, static_cast<std::uint32_t>(f.nHeight));
    b[12] = static_cast<unsigned char>(f.nPlanes);
    b[13] = static_cast<unsigned char>(f.nPlanes >> 8);
    b[14] = static_cast<unsigned char>(f.nBitCount);
    b[15] = static_cast<unsigned char>(f.nBitCount >> 8);
    Put32(b, 16, f.nCompression);
    Put32(b, 20, f.nSizeImage);
    Put32(b, 24, static_cast<std::uint32_t>(f.nXPels));
    Put32(b, 28, static_cast<std::uint32_t>(f.nYPels));
    Put32(b, 32, f.nClrUsed);
    Put32(b, 36, f.nClrImportant);
    return b;
}

// n bytes that differ from their neighbours, to stand for tables and streams.
Bytes Pattern(std::size_t n, unsigned nSeed = 0) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<unsigned char>(i * 7 + nSeed * 13 + 1);
    return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A file of the given bytes, open, standing at nPos.
class CTestFile {
public:
    explicit CTestFile(const Bytes& bytes, std::uint64_t nPos = 0) {
        m_dir.WriteFile("Pictures.dat", std::string(bytes.begin(), bytes.end()));
        EXPECT_TRUE(m_file.Open(m_dir.File("Pictures.dat")));
        m_file.Seek(static_cast<std::int64_t>(nPos), CFile::begin);
    }
    CFile& Get() { return m_file; }

private:
    CTempDir m_dir;
    CFile m_file;
};

CBitmapInfo Info(std::int32_t nWidth, std::int32_t nHeight, int nBitCount, std::size_t nColours,
                 std::uint16_t nPlanes = 1, std::uint32_t nCompression = 0) {
    CBitmapInfo info;
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;
    info.bmiHeader.biPlanes = nPlanes;
    info.bmiHeader.biBitCount = static_cast<std::uint16_t>(nBitCount);
    info.bmiHeader.biCompression = nCompression;
    info.bmiColors.resize(nColours);
    return info;
}

std::vector<RGBQUAD> Palette(std::size_t n) {
    std::vector<RGBQUAD> table(n);
    for (std::size_t i = 0; i < n; ++i)
        table[i] = RGBQUAD{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i * 3), 0};
    return table;
}

// ---------------------------------------------------------------------------
// Reading the header and colour table.

struct TableRow {
    const char* pszName;
    std::uint16_t nBitCount;
    std::uint32_t nClrUsed;
    int nTableBytes; // -1: no usable block
};

class ColourTable : public testing::TestWithParam<TableRow> {};

TEST_P(ColourTable, LengthFollowsDepthAndClrUsed) {
    const TableRow& row = GetParam();
    HeaderFields f;
    f.nBitCount = row.nBitCount;
    f.nClrUsed = row.nClrUsed;
    f.nSizeImage = 0xDEADBEEF;
    const Bytes table = Pattern(1024 + 8, row.nBitCount);
    CTestFile file(Concat({Pattern(3), HeaderBytes(f), table}), 3);

    std::unique_ptr<CBitmapInfo> pBlock;
    EXPECT_EQ(ReadPictureHeader(file.Get(), pBlock), row.nTableBytes);
    if (row.nTableBytes < 0) {
        EXPECT_EQ(pBlock, nullptr);
        return;
    }
    ASSERT_NE(pBlock, nullptr);
    EXPECT_EQ(file.Get().GetPosition(), 3u + 40u + static_cast<unsigned>(row.nTableBytes));
    ASSERT_EQ(pBlock->bmiColors.size() * 4, static_cast<std::size_t>(row.nTableBytes));
    for (std::size_t i = 0; i < pBlock->bmiColors.size(); ++i) {
        const RGBQUAD expected{table[4 * i], table[4 * i + 1], table[4 * i + 2], table[4 * i + 3]};
        ASSERT_EQ(pBlock->bmiColors[i], expected) << i;
    }
    EXPECT_EQ(pBlock->bmiHeader.biSizeImage, 0u);
    EXPECT_EQ(pBlock->bmiHeader.biClrUsed, row.nClrUsed);
}

INSTANTIATE_TEST_SUITE_P(Header, ColourTable,
                         testing::Values(TableRow{"TwentyFourBitsIgnoreClrUsed", 24, 7, 0},
                                         TableRow{"TwentyFourBitsClrUsedZero", 24, 0, 0},
                                         TableRow{"EightBitsClrUsedZero", 8, 0, 1024},
                                         TableRow{"EightBitsClrUsed16", 8, 16, 64},
                                         TableRow{"EightBitsClrUsed256", 8, 256, 1024},
                                         TableRow{"FourBitsClrUsedZero", 4, 0, 64},
                                         TableRow{"OneBitClrUsedZero", 1, 0, 8},
                                         // Read as the format says; CDibSection refuses it later.
                                         TableRow{"OneBitClrUsed200", 1, 200, 800},
                                         TableRow{"SixteenBitsClrUsed3", 16, 3, 12},
                                         TableRow{"ClrUsed257", 8, 257, -1},
                                         TableRow{"ClrUsedHuge", 8, 0xFFFFFFFF, -1},
                                         TableRow{"SixteenBitsClrUsedZero", 16, 0, -1},
                                         TableRow{"ThirtyTwoBitsClrUsedZero", 32, 0, -1},
                                         TableRow{"AbsurdDepth", 65535, 0, -1}),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(Header, FieldsAreLittleEndianAndBlockHasSizeImageZero) {
    HeaderFields f;
    f.nSize = 0x11223344;
    f.nWidth = -2;
    f.nHeight = 0x01020304;
    f.nPlanes = 0x0506;
    f.nBitCount = 24;
    f.nCompression = 0x0708090A;
    f.nSizeImage = 0x12345678;
    f.nXPels = 0x0B0C0D0E;
    f.nYPels = -7;
    f.nClrUsed = 5;
    f.nClrImportant = 0xCAFEBABE;
    CTestFile file(HeaderBytes(f));
    std::unique_ptr<CBitmapInfo> pBlock;
    ASSERT_EQ(ReadPictureHeader(file.Get(), pBlock), 0);
    const BITMAPINFOHEADER& h = pBlock->bmiHeader;
    EXPECT_EQ(h.biSize, 0x11223344u);
    EXPECT_EQ(h.biWidth, -2);
    EXPECT_EQ(h.biHeight, 0x01020304);
    EXPECT_EQ(h.biPlanes, 0x0506);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0x0708090Au);
    EXPECT_EQ(h.biSizeImage, 0u);
    EXPECT_EQ(h.biXPelsPerMeter, 0x0B0C0D0E);
    EXPECT_EQ(h.biYPelsPerMeter, -7);
    EXPECT_EQ(h.biClrUsed, 5u);
    EXPECT_EQ(h.biClrImportant, 0xCAFEBABEu);
}

struct TruncatedRow {
    const char* pszName;
    std::size_t nFileBytes;
};

class TruncatedHeader : public testing::TestWithParam<TruncatedRow> {};

TEST_P(TruncatedHeader, GivesNoBlock) {
    HeaderFields f; // 8 bits, biClrUsed 0: a 1024-byte table
    const Bytes whole = Concat({HeaderBytes(f), Pattern(1024)});
    CTestFile file(Bytes(whole.begin(), whole.begin() + GetParam().nFileBytes));
    std::unique_ptr<CBitmapInfo> pBlock = std::make_unique<CBitmapInfo>();
    EXPECT_EQ(ReadPictureHeader(file.Get(), pBlock), -1);
    EXPECT_EQ(pBlock, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Header, TruncatedHeader,
                         testing::Values(TruncatedRow{"EmptyFile", 0}, TruncatedRow{"OneByte", 1},
                                         TruncatedRow{"EndsInsideHeader", 39},
                                         TruncatedRow{"NoTable", 40},
                                         TruncatedRow{"EndsInsideTable", 40 + 1023}),
                         [](const auto& info) { return std::string(info.param.pszName); });

// ---------------------------------------------------------------------------
// The DIB section.

struct DibRow {
    const char* pszName;
    std::int32_t nWidth;
    std::int32_t nHeight;
    int nBitCount;
    std::size_t nColours;
    std::size_t nStride; // 0: refused
    std::uint16_t nPlanes = 1;
    std::uint32_t nCompression = 0;
};

class DibCreate : public testing::TestWithParam<DibRow> {};

TEST_P(DibCreate, LayoutOrRefusal) {
    const DibRow& row = GetParam();
    const auto pDib = CDibSection::Create(
        Info(row.nWidth, row.nHeight, row.nBitCount, row.nColours, row.nPlanes, row.nCompression));
    if (row.nStride == 0) {
        EXPECT_EQ(pDib, nullptr);
        return;
    }
    ASSERT_NE(pDib, nullptr);
    EXPECT_EQ(pDib->GetStride(), row.nStride);
    EXPECT_EQ(pDib->GetSize(), row.nStride * static_cast<std::size_t>(row.nHeight));
    EXPECT_EQ(pDib->GetColourTable().size(), row.nColours);
    for (std::size_t i = 0; i < pDib->GetSize(); ++i)
        ASSERT_EQ(pDib->GetBits()[i], 0) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Dib, DibCreate,
    testing::Values(
        DibRow{"OneBitOnePixel", 1, 1, 1, 2, 4}, DibRow{"OneBit32", 32, 2, 1, 2, 4},
        DibRow{"OneBit33", 33, 2, 1, 2, 8}, DibRow{"FourBits9", 9, 3, 4, 16, 8},
        DibRow{"EightBits5", 5, 3, 8, 256, 8}, DibRow{"EightBitsShortTable", 8, 1, 8, 3, 8},
        DibRow{"TwentyFourBits1", 1, 1, 24, 0, 4}, DibRow{"TwentyFourBits5", 5, 2, 24, 0, 16},
        DibRow{"LargestSide", 16384, 1, 8, 0, 16384}, DibRow{"WidthZero", 0, 1, 8, 0, 0},
        DibRow{"WidthNegative", -4, 1, 8, 0, 0}, DibRow{"WidthTooLarge", 16385, 1, 8, 0, 0},
        DibRow{"HeightZero", 4, 0, 8, 0, 0}, DibRow{"TopDownHeight", 4, -4, 8, 0, 0},
        DibRow{"HeightTooLarge", 1, 16385, 8, 0, 0},
        DibRow{"PixelsOver256MiB", 16384, 16384, 24, 0, 0}, DibRow{"PlanesZero", 4, 4, 8, 0, 0, 0},
        DibRow{"PlanesTwo", 4, 4, 8, 0, 0, 2}, DibRow{"Compressed", 4, 4, 8, 0, 0, 1, 1},
        DibRow{"DepthZero", 4, 4, 0, 0, 0}, DibRow{"DepthTwo", 4, 4, 2, 0, 0},
        DibRow{"DepthSixteen", 4, 4, 16, 0, 0}, DibRow{"DepthThirtyTwo", 4, 4, 32, 0, 0},
        DibRow{"OneBitThreeColours", 4, 4, 1, 3, 0}, DibRow{"FourBits17Colours", 4, 4, 4, 17, 0},
        DibRow{"TwentyFourBits257Colours", 4, 4, 24, 257, 0}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST(Dib, PaletteDepthsPutTheLeftmostPixelInTheHighBitsAndRowsBottomUp) {
    // 1 bit, 10 x 2: top row 1000000001, bottom row 0100000000.
    CBitmapInfo info = Info(10, 2, 1, 2);
    info.bmiColors[1] = RGBQUAD{0xFF, 0xFF, 0xFF, 0};
    auto pOne = CDibSection::Create(info);
    ASSERT_NE(pOne, nullptr);
    pOne->GetBits()[0] = 0x40; // bottom row, stored first
    pOne->GetBits()[4] = 0x80; // top row
    pOne->GetBits()[5] = 0x40; // its pixel 9
    EXPECT_EQ(pOne->GetPixelRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(pOne->GetPixelRgb(9, 0), 0xFFFFFFu);
    EXPECT_EQ(pOne->GetPixelRgb(8, 0), 0u);
    EXPECT_EQ(pOne->GetPixelRgb(1, 1), 0xFFFFFFu);
    EXPECT_EQ(pOne->GetPixelRgb(0, 1), 0u);

    // 4 bits, 3 x 1: the high nibble is the left pixel.
    CBitmapInfo info4 = Info(3, 1, 4, 16);
    info4.bmiColors[0xA] = RGBQUAD{1, 2, 3, 0};
    info4.bmiColors[0x5] = RGBQUAD{4, 5, 6, 0};
    auto pFour = CDibSection::Create(info4);
    ASSERT_NE(pFour, nullptr);
    pFour->GetBits()[0] = 0xA5;
    pFour->GetBits()[1] = 0x50;
    EXPECT_EQ(pFour->GetPixelRgb(0, 0), 0x030201u);
    EXPECT_EQ(pFour->GetPixelRgb(1, 0), 0x060504u);
    EXPECT_EQ(pFour->GetPixelRgb(2, 0), 0x060504u);
}

TEST(Dib, ColoursComeFromTheTableOrAreBlack) {
    CBitmapInfo info = Info(3, 1, 4, 2);
    info.bmiColors[0] = RGBQUAD{0x10, 0x20, 0x30, 0x99};
    info.bmiColors[1] = RGBQUAD{0x01, 0x02, 0x03, 0};
    auto pDib = CDibSection::Create(info);
    ASSERT_NE(pDib, nullptr);
    pDib->GetBits()[0] = 0x1F; // pixel 0 = 1, pixel 1 = 15 (beyond the table)
    pDib->GetBits()[1] = 0x00; // pixel 2 = 0
    EXPECT_EQ(pDib->GetPixelRgb(0, 0), 0x030201u);
    EXPECT_EQ(pDib->GetPixelRgb(1, 0), 0u);
    EXPECT_EQ(pDib->GetPixelRgb(2, 0), 0x302010u);
    EXPECT_EQ(pDib->GetPixelRgb(3, 0), 0u);
    EXPECT_EQ(pDib->GetPixelRgb(-1, 0), 0u);
    EXPECT_EQ(pDib->GetPixelRgb(0, 1), 0u);

    auto pEight = CDibSection::Create(Info(2, 1, 8, 1));
    ASSERT_NE(pEight, nullptr);
    pEight->GetBits()[1] = 200;
    EXPECT_EQ(pEight->GetPixelRgb(1, 0), 0u);
}

TEST(Dib, TwentyFourBitsAreBlueGreenRed) {
    auto pDib = CDibSection::Create(Info(2, 2, 24, 0));
    ASSERT_NE(pDib, nullptr);
    unsigned char* p = pDib->GetBits();
    // Bottom row at 0 (stride 8), top row at 8; second pixel of the top row.
    p[8 + 3] = 0x11;
    p[8 + 4] = 0x22;
    p[8 + 5] = 0x33;
    EXPECT_EQ(pDib->GetPixelRgb(1, 0), 0x332211u);
    EXPECT_EQ(pDib->GetPixelRgb(1, 1), 0u);
}

// ---------------------------------------------------------------------------
// Whole records: written, read, decoded, walked.

Bytes RandomPixels(std::int32_t nWidth, std::int32_t nHeight, int nBitCount, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    Bytes b(CDibSection::StrideFor(nWidth, nBitCount) * static_cast<std::size_t>(nHeight));
    // A few colours in patches, like a drawing, with noise in some rows.
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = (i / 37) % 3 == 0 ? static_cast<unsigned char>(rng())
                                 : static_cast<unsigned char>((i / 101) * 0x25);
    return b;
}

struct PictureRow {
    const char* pszName;
    std::int32_t nWidth;
    std::int32_t nHeight;
    int nBitCount;
    std::size_t nColours;
};

class PictureRecord : public testing::TestWithParam<PictureRow> {};

TEST_P(PictureRecord, WritesReadsAndDecodesToTheSamePixels) {
    const PictureRow& row = GetParam();
    const Bytes pixels = RandomPixels(row.nWidth, row.nHeight, row.nBitCount, 77);
    const std::vector<RGBQUAD> table = Palette(row.nColours);
    const Bytes record = WritePictureRecord(row.nWidth, row.nHeight, row.nBitCount, table, pixels);

    ASSERT_GE(record.size(), 40 + 4 * row.nColours + 2);
    EXPECT_EQ(record,
              Concat({HeaderBytes(HeaderFields{40, row.nWidth, row.nHeight, 1,
                                               static_cast<std::uint16_t>(row.nBitCount), 0,
                                               static_cast<std::uint32_t>(record.size()), 0, 0,
                                               static_cast<std::uint32_t>(row.nColours), 0}),
                      Bytes(record.begin() + 40, record.end())}));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const unsigned char* p = record.data() + 40 + 4 * i;
        ASSERT_EQ((RGBQUAD{p[0], p[1], p[2], p[3]}), table[i]);
    }

    CTestFile file(Concat({Pattern(9), record, Pattern(50)}), 9);
    std::unique_ptr<CBitmapInfo> pBlock;
    ASSERT_EQ(ReadPictureHeader(file.Get(), pBlock), static_cast<int>(4 * row.nColours));
    EXPECT_EQ(pBlock->bmiHeader.biSizeImage, 0u);
    const auto pDib = CDibSection::Create(*pBlock);
    ASSERT_NE(pDib, nullptr);
    ASSERT_EQ(pDib->GetSize(), pixels.size());
    EXPECT_EQ(DecodePictureBits(file.Get(), pDib->GetBits(), pDib->GetSize()), 1);
    EXPECT_TRUE(Bytes(pDib->GetBits(), pDib->GetBits() + pDib->GetSize()) == pixels);
    // Where walking by biSizeImage would go.
    EXPECT_EQ(file.Get().GetPosition(), 9 + Get32(record, 20));
}

INSTANTIATE_TEST_SUITE_P(
    Record, PictureRecord,
    testing::Values(
        PictureRow{"OneBit1x1", 1, 1, 1, 2}, PictureRow{"OneBit7x3", 7, 3, 1, 2},
        PictureRow{"OneBit33x5", 33, 5, 1, 1}, PictureRow{"OneBit640x9", 640, 9, 1, 2},
        PictureRow{"FourBits1x1", 1, 1, 4, 16}, PictureRow{"FourBits3x7", 3, 7, 4, 5},
        PictureRow{"FourBits9x9", 9, 9, 4, 16}, PictureRow{"EightBits1x1", 1, 1, 8, 256},
        PictureRow{"EightBits5x3", 5, 3, 8, 16}, PictureRow{"EightBitsPreview", 240, 160, 8, 256},
        PictureRow{"EightBits641x481", 641, 481, 8, 256},
        PictureRow{"TwentyFourBits1x1", 1, 1, 24, 0}, PictureRow{"TwentyFourBits5x3", 5, 3, 24, 0},
        PictureRow{"TwentyFourBits333x77", 333, 77, 24, 0}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST(Record, SeriesBackToBackDecodesWhereTheWalkGoes) {
    const PictureRow series[] = {{"", 240, 160, 8, 256},
                                 {"", 97, 13, 24, 0},
                                 {"", 31, 40, 1, 2},
                                 {"", 700, 500, 8, 200},
                                 {"", 1, 1, 4, 3}};
    Bytes file = Pattern(17);
    std::vector<std::uint64_t> starts;
    std::vector<Bytes> pixels;
    for (std::size_t i = 0; i < std::size(series); ++i) {
        const PictureRow& r = series[i];
        pixels.push_back(RandomPixels(r.nWidth, r.nHeight, r.nBitCount, 100 + i));
        starts.push_back(file.size());
        const Bytes rec = WritePictureRecord(r.nWidth, r.nHeight, r.nBitCount, Palette(r.nColours),
                                             pixels.back());
        file.insert(file.end(), rec.begin(), rec.end());
    }
    starts.push_back(file.size());

    CTestFile f(file);
    // The viewer's walk: header only, then skip by biSizeImage.
    f.Get().Seek(17, CFile::begin);
    for (std::size_t i = 0; i < std::size(series); ++i) {
        ASSERT_EQ(f.Get().GetPosition(), starts[i]);
        unsigned char header[40];
        ASSERT_EQ(f.Get().Read(header, 40), 40u);
        f.Get().Seek(Get32(Bytes(header, header + 40), 20) - 40, CFile::current);
    }
    EXPECT_EQ(f.Get().GetPosition(), starts.back());

    // Decoding in order leaves the file on the next record each time.
    f.Get().Seek(17, CFile::begin);
    for (std::size_t i = 0; i < std::size(series); ++i) {
        std::unique_ptr<CBitmapInfo> pBlock;
        ASSERT_GE(ReadPictureHeader(f.Get(), pBlock), 0);
        const auto pDib = CDibSection::Create(*pBlock);
        ASSERT_NE(pDib, nullptr);
        EXPECT_EQ(DecodePictureBits(f.Get(), pDib->GetBits(), pDib->GetSize()), 1);
        EXPECT_TRUE(Bytes(pDib->GetBits(), pDib->GetBits() + pDib->GetSize()) == pixels[i]);
        EXPECT_EQ(f.Get().GetPosition(), starts[i + 1]) << i;
    }
}

// A record whose header and stream are written by hand.
Bytes HandRecord(std::int32_t nWidth, std::int32_t nHeight, const Bytes& stream) {
    HeaderFields f;
    f.nWidth = nWidth;
    f.nHeight = nHeight;
    f.nClrUsed = 2;
    f.nSizeImage = static_cast<std::uint32_t>(40 + 8 + stream.size());
    return Concat({HeaderBytes(f), Pattern(8), stream});
}

// 9-bit codes, least significant bit first.
Bytes Codes9(std::initializer_list<std::uint32_t> codes) {
    Bytes out;
    std::uint32_t nBit = 0;
    for (std::uint32_t nCode : codes)
        for (int i = 0; i < 9; ++i, ++nBit) {
            if (nBit % 8 == 0)
                out.push_back(0);
            if (nCode >> i & 1)
                out.back() |= static_cast<unsigned char>(1u << (nBit % 8));
        }
    return out;
}

TEST(Record, BrokenStreamKeepsWhatWasDecodedAndZeroForTheRest) {
    // Codes 1, 2, 3, then 300 while 260 is the next code.
    CTestFile file(HandRecord(4, 2, Codes9({1, 2, 3, 300, 257})));
    std::unique_ptr<CBitmapInfo> pBlock;
    ASSERT_EQ(ReadPictureHeader(file.Get(), pBlock), 8);
    const auto pDib = CDibSection::Create(*pBlock);
    ASSERT_NE(pDib, nullptr);
    EXPECT_EQ(DecodePictureBits(file.Get(), pDib->GetBits(), pDib->GetSize()), 0);
    EXPECT_EQ(Bytes(pDib->GetBits(), pDib->GetBits() + pDib->GetSize()),
              (Bytes{1, 2, 3, 0, 0, 0, 0, 0}));
}

// The viewer decodes each step into the DIB of the step before: every
// picture must come out exactly as a fresh one would, whatever came before
// it (larger, another depth, or fully decoded where this stream breaks off).
TEST(Record, ReusedDibShowsEachPictureAsAFreshOne) {
    const Bytes big = RandomPixels(700, 500, 8, 5);
    const Bytes bigRecord = WritePictureRecord(700, 500, 8, Palette(200), big);
    const Bytes colour = RandomPixels(97, 13, 24, 6);
    const Bytes colourRecord = WritePictureRecord(97, 13, 24, {}, colour);
    const Bytes broken = HandRecord(4, 2, Codes9({1, 2, 3, 300, 257}));
    Bytes refused = HandRecord(4, 2, Codes9({1, 257}));
    refused[14] = 7; // biBitCount
    const Bytes sequence[] = {bigRecord, broken, colourRecord, refused, bigRecord, broken};
    Bytes file;
    std::vector<std::uint64_t> starts;
    for (const Bytes& record : sequence) {
        starts.push_back(file.size());
        file.insert(file.end(), record.begin(), record.end());
    }
    CTestFile reused(file), fresh(file);
    std::unique_ptr<CDibSection> pDib;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        reused.Get().Seek(static_cast<std::int64_t>(starts[i]), CFile::begin);
        fresh.Get().Seek(static_cast<std::int64_t>(starts[i]), CFile::begin);
        pDib = ReadPicture(reused.Get(), std::move(pDib));
        const std::unique_ptr<CDibSection> pFresh = ReadPicture(fresh.Get());
        ASSERT_EQ(pDib == nullptr, pFresh == nullptr) << i;
        if (!pFresh)
            continue;
        EXPECT_EQ(pDib->GetWidth(), pFresh->GetWidth()) << i;
        EXPECT_EQ(pDib->GetHeight(), pFresh->GetHeight()) << i;
        EXPECT_EQ(pDib->GetBitCount(), pFresh->GetBitCount()) << i;
        EXPECT_EQ(pDib->GetStride(), pFresh->GetStride()) << i;
        EXPECT_EQ(pDib->GetColourTable(), pFresh->GetColourTable()) << i;
        EXPECT_TRUE(Bytes(pDib->GetBits(), pDib->GetBits() + pDib->GetSize()) ==
                    Bytes(pFresh->GetBits(), pFresh->GetBits() + pFresh->GetSize()))
            << i;
        EXPECT_EQ(reused.Get().GetPosition(), fresh.Get().GetPosition()) << i;
    }
}

TEST(Record, StreamLongerThanThePixelsStopsAtTheirEnd) {
    // 4 x 1 pixels, but the stream holds ten bytes.
    CTestFile file(HandRecord(4, 1, Codes9({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 257})));
    std::unique_ptr<CBitmapInfo> pBlock;
    ASSERT_EQ(ReadPictureHeader(file.Get(), pBlock), 8);
    const auto pDib = CDibSection::Create(*pBlock);
    ASSERT_NE(pDib, nullptr);
    ASSERT_EQ(pDib->GetSize(), 4u);
    EXPECT_EQ(DecodePictureBits(file.Get(), pDib->GetBits(), pDib->GetSize()), 0);
    EXPECT_EQ(Bytes(pDib->GetBits(), pDib->GetBits() + 4), (Bytes{1, 2, 3, 4}));
}

struct BadWriteRow {
    const char* pszName;
    std::int32_t nWidth;
    std::int32_t nHeight;
    int nBitCount;
    std::size_t nColours;
    std::ptrdiff_t nPixelDelta; // pixel array length minus the right one
};

class WriteRecordRefuses : public testing::TestWithParam<BadWriteRow> {};

TEST_P(WriteRecordRefuses, WhatCouldNotBeShown) {
    const BadWriteRow& row = GetParam();
    const std::size_t nRight =
        row.nWidth > 0 && row.nHeight > 0 && row.nWidth <= 16384 && row.nHeight <= 16384
            ? CDibSection::StrideFor(row.nWidth, row.nBitCount) *
                  static_cast<std::size_t>(row.nHeight)
            : 16;
    const Bytes pixels(
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(nRight) + row.nPixelDelta));
    EXPECT_THROW(
        WritePictureRecord(row.nWidth, row.nHeight, row.nBitCount, Palette(row.nColours), pixels),
        std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(Record, WriteRecordRefuses,
                         testing::Values(BadWriteRow{"DepthSixteen", 4, 4, 16, 0, 0},
                                         BadWriteRow{"DepthTwo", 4, 4, 2, 4, 0},
                                         BadWriteRow{"WidthZero", 0, 4, 8, 2, 0},
                                         BadWriteRow{"HeightNegative", 4, -4, 8, 2, 0},
                                         BadWriteRow{"TooWide", 16385, 1, 8, 2, 0},
                                         BadWriteRow{"PixelsShort", 5, 3, 8, 2, -1},
                                         BadWriteRow{"PixelsLong", 5, 3, 8, 2, 1},
                                         // Without a table biClrUsed 0 would mean 256 entries.
                                         BadWriteRow{"PaletteWithoutTable", 4, 4, 8, 0, 0},
                                         BadWriteRow{"TableTooLong", 4, 4, 4, 17, 0},
                                         BadWriteRow{"TableAtTwentyFourBits", 4, 4, 24, 2, 0}),
                         [](const auto& info) { return std::string(info.param.pszName); });

} // namespace
