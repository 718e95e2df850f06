#include "data/aircraftrecord.h"
#include "data/recordfile.h"
#include "data/stringpoolfile.h"
#include "data/striprecord.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <string>

namespace {

constexpr std::size_t kMax = CStringPoolFile::kMaxStringBytes;

struct PoolCase {
    const char* pszName;
    std::string pool;
    std::size_t nExpected; // bytes read from offset 1
    bool bWhole;
};

void PrintTo(const PoolCase& c, std::ostream* os) {
    *os << c.pszName;
}

class PoolBound : public testing::TestWithParam<PoolCase> {};

TEST_P(PoolBound, AStringIsCutAtTheBound) {
    const PoolCase& c = GetParam();
    CTempDir dir;
    dir.WriteFile("Strings.dat", c.pool);
    CStringPoolFile pool;
    ASSERT_TRUE(pool.Open(dir.File("Strings.dat")));
    std::string s = "old";
    EXPECT_EQ(pool.ReadString(1, s), c.bWhole);
    EXPECT_EQ(s, c.pool.substr(1, c.nExpected));
}

INSTANTIATE_TEST_SUITE_P(
    Strings, PoolBound,
    testing::Values(
        PoolCase{"short", std::string("\0abc\0d", 6), 3, true},
        PoolCase{"to_the_end", std::string("\0abc", 4), 3, true},
        PoolCase{"one_below_bound", '\0' + std::string(kMax - 1, 'x') + '\0', kMax - 1, true},
        PoolCase{"at_bound_then_nul", '\0' + std::string(kMax, 'x') + '\0', kMax, true},
        PoolCase{"at_bound_then_end", '\0' + std::string(kMax, 'x'), kMax, true},
        PoolCase{"beyond_bound", '\0' + std::string(kMax, 'x') + "y", kMax, false},
        PoolCase{"two_megabytes_without_nul", '\0' + std::string(2 << 20, 'x'), kMax, false}),
    [](const testing::TestParamInfo<PoolCase>& info) { return info.param.pszName; });

TEST(PoolBound, AMissingPoolNamesItsFile) {
    CTempDir dir;
    CStringPoolFile pool;
    ASSERT_FALSE(pool.Open(dir.File("Strings.dat")));
    std::string s;
    try {
        pool.ReadString(0, s);
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(std::string(e.what()), dir.File("Strings.dat") + ": missing or cannot be read");
    }
}

struct StripCase {
    std::int32_t nFirst, nCount, nRowsInFile;
    std::size_t nExpected;
};

void PrintTo(const StripCase& c, std::ostream* os) {
    *os << c.nFirst << "+" << c.nCount << " of " << c.nRowsInFile;
}

class StripBound : public testing::TestWithParam<StripCase> {};

TEST_P(StripBound, RowsFollowTheFileAndTheBound) {
    const StripCase& c = GetParam();
    CTempDir dir;
    CDbWriter db;
    for (std::int32_t i = 0; i < c.nRowsInFile; ++i)
        db.AddStrip(i, -i, 7);
    db.Write(dir.Path());
    CRecordFile strips(StripRecord::kSize);
    ASSERT_TRUE(strips.Open(dir.File("FlightStrips.dat")));
    AircraftRecord rec{};
    rec.firstStrip = c.nFirst;
    rec.stripCount = c.nCount;
    const std::vector<StripRecord> rows = ReadStripRows(strips, rec);
    ASSERT_EQ(rows.size(), c.nExpected);
    EXPECT_LE(rows.capacity(), c.nExpected + 1); // nothing asked for beyond the rows read
    for (std::size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(rows[i].values[0], c.nFirst + static_cast<std::int32_t>(i));
}

INSTANTIATE_TEST_SUITE_P(Strips, StripBound,
                         testing::Values(StripCase{0, 3, 5, 3}, StripCase{2, 10, 5, 3},
                                         StripCase{1, INT32_MAX, 4, 3}, StripCase{7, 2, 5, 0},
                                         StripCase{0, 70000, 70000, kMaxStripRows},
                                         StripCase{5, 70000, 70000, kMaxStripRows}));

} // namespace
