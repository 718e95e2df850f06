#include "data/recordfile.h"
#include "data/stringpoolfile.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Bytes(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>('a' + i % 26);
    return s;
}

struct RecordCase {
    std::size_t nFileBytes;
    std::int32_t nRecord;
    bool bWhole;
};

void PrintTo(const RecordCase& c, std::ostream* os) {
    *os << c.nFileBytes << " bytes, record " << c.nRecord;
}

class ReadRecordTest : public testing::TestWithParam<RecordCase> {};

TEST_P(ReadRecordTest, WholeRecordsOnly) {
    const RecordCase& c = GetParam();
    CTempDir dir;
    const std::string data = Bytes(c.nFileBytes);
    dir.WriteFile("r.dat", data);
    CRecordFile file(12);
    ASSERT_TRUE(file.Open(dir.File("r.dat")));
    char buf[12] = {};
    EXPECT_EQ(file.ReadRecord(c.nRecord, buf), c.bWhole);
    const std::size_t nStart = static_cast<std::size_t>(c.nRecord) * 12;
    if (nStart < data.size()) {
        // A short read leaves what it did read in the buffer.
        const std::size_t n = std::min<std::size_t>(12, data.size() - nStart);
        EXPECT_EQ(std::string(buf, n), data.substr(nStart, n));
    }
}

INSTANTIATE_TEST_SUITE_P(RecordFiles, ReadRecordTest,
                         testing::Values(RecordCase{36, 0, true}, RecordCase{36, 2, true},
                                         RecordCase{36, 3, false}, RecordCase{40, 3, false},
                                         RecordCase{0, 0, false}, RecordCase{40, 1000, false}));

TEST(CRecordFile, CursorIsTheCallersAndCountIgnoresFragments) {
    CTempDir dir;
    dir.WriteFile("r.dat", Bytes(40));
    CRecordFile file(12);
    EXPECT_EQ(file.m_nCursor, 0);
    ASSERT_TRUE(file.Open(dir.File("r.dat")));
    file.m_nCursor = 7;
    char buf[12];
    file.ReadRecord(1, buf);
    EXPECT_EQ(file.m_nCursor, 7);
    EXPECT_EQ(file.GetRecordCount(), 3);
}

TEST(CRecordFile, NegativeRecordRaisesAndFarRecordIsFalse) {
    CTempDir dir;
    dir.WriteFile("r.dat", Bytes(36));
    CRecordFile file(156);
    ASSERT_TRUE(file.Open(dir.File("r.dat")));
    char buf[156];
    EXPECT_THROW(file.ReadRecord(-1, buf), CFileException);
    // Byte positions past 2^31 - 1 are never addressed.
    EXPECT_FALSE(file.ReadRecord(INT32_MAX / 156, buf));
    EXPECT_FALSE(file.ReadRecord(INT32_MAX, buf));
    CRecordFile closed(12);
    EXPECT_THROW(closed.ReadRecord(0, buf), CFileException);
}

TEST(CStringPoolFile, StringsEndAtNulOrEndOfFile) {
    CTempDir dir;
    dir.WriteFile("s.dat", std::string("AB\0CD", 5));
    CStringPoolFile pool;
    ASSERT_TRUE(pool.Open(dir.File("s.dat")));
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "AB"}, {1, "B"}, {2, ""}, {3, "CD"}, {4, "D"}, {5, ""}, {6, ""}, {INT32_MAX, ""}};
    for (const auto& [nOffset, pszExpected] : cases) {
        std::string s = "stale";
        pool.ReadString(nOffset, s);
        EXPECT_EQ(s, pszExpected) << nOffset;
    }
    std::string s;
    EXPECT_THROW(pool.ReadString(-1, s), CFileException);
}

TEST(CStringPoolFile, HighBytesAndLongStringsComeBackUnchanged) {
    CTempDir dir;
    std::string pool = "\xD2\xF3-154\xCC";
    pool += '\0';
    // Longer than any read chunk or buffer, within the string bound.
    const std::string strLong(CStringPoolFile::kMaxStringBytes, '\xE0');
    pool += strLong;
    dir.WriteFile("s.dat", pool);
    CStringPoolFile file;
    ASSERT_TRUE(file.Open(dir.File("s.dat")));
    std::string s;
    file.ReadString(0, s);
    EXPECT_EQ(s, "\xD2\xF3-154\xCC");
    file.ReadString(8, s);
    EXPECT_EQ(s, strLong);
}

// The view comes from the cache when the string ends in the block it starts
// in, else from the copy; either way it is what ReadString gives, including
// strings across block ends, at the end of the file and at the bound.
TEST(CStringPoolFile, ViewAgreesWithReadEverywhere) {
    CTempDir dir;
    std::string pool;
    for (int i = 0; pool.size() < 3 * 4096; ++i) {
        pool +=
            std::string(static_cast<std::size_t>(i * 37 % 300), static_cast<char>('A' + i % 26));
        pool += '\0';
    }
    pool += std::string(CStringPoolFile::kMaxStringBytes + 10, '\xE0'); // cut at the bound
    pool += '\0';
    pool += "tail without NUL";
    dir.WriteFile("s.dat", pool);
    CStringPoolFile file;
    ASSERT_TRUE(file.Open(dir.File("s.dat")));
    std::string strRead, strSpill;
    for (std::size_t n = 0; n < pool.size() + 2;
         n += (n < 3 * 4096 || n + 40 > pool.size()) ? 1 : 997) {
        const auto nOffset = static_cast<std::int32_t>(n);
        file.ReadString(nOffset, strRead);
        strSpill = "stale";
        ASSERT_EQ(file.ViewString(nOffset, strSpill), strRead) << n;
    }
    EXPECT_THROW(file.ViewString(-1, strSpill), CFileException);
}

} // namespace
