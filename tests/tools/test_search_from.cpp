#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "tools/dbsearch.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

// search --from refuses a position past the records before building the
// tree and one past where the build stops after it; both say the same.
class SearchFromTest : public testing::Test {
protected:
    void SetUp() override {
        CDbWriter w;
        AircraftRecord rec{};
        for (std::int32_t* p : {&rec.firm, &rec.country, &rec.text, &rec.model, &rec.type})
            *p = -1;
        rec.name = w.AddString("An-2");
        rec.firstStrip = -1;
        w.AddAircraft(rec);
        w.AddTreeNamed(-1, -1, "Группа");
        w.AddTreeNamed(0, 0, "Ан-2");
        w.AddTreeNamed(-1, 0, "Ан-2 снова");
        w.AddTreeNamed(7, 0, "вне порядка"); // the build stops here: 3 items
        w.AddTreeNamed(-1, 0, "за ним");
        w.Write(m_dir.Path());
    }

    int Search(std::int32_t nFrom) {
        m_out.str("");
        m_err.str("");
        return SearchDatabase(m_dir.Path(), "an", false, nFrom, m_out, m_err);
    }

    std::string NotInTree(std::int32_t n) const {
        return "verlumo-db search: position " + std::to_string(n) + " is not in the tree of " +
               m_dir.Path() + "\n";
    }

    CTempDir m_dir;
    std::ostringstream m_out, m_err;
};

TEST_F(SearchFromTest, PositionsInTheTreeSearchOnBehindThem) {
    EXPECT_EQ(Search(0), 0);
    EXPECT_EQ(m_out.str(), "1\n");
    EXPECT_EQ(Search(1), 0);
    EXPECT_EQ(m_out.str(), "2\n");
    EXPECT_EQ(Search(2), 1); // the last item: nothing behind it
    EXPECT_EQ(m_out.str(), "Строка не найдена\n");
    EXPECT_EQ(m_err.str(), "");
}

TEST_F(SearchFromTest, PositionsPastTheBuildOrPastTheRecordsAreRefusedAlike) {
    for (const std::int32_t n : {3, 4, 5, 1000000, INT32_MAX, -2, INT32_MIN}) {
        EXPECT_EQ(Search(n), 2) << n;
        EXPECT_EQ(m_out.str(), "") << n;
        EXPECT_EQ(m_err.str(), NotInTree(n));
    }
}

} // namespace
