// The search loads only the five names of each candidate. These tests hold
// that to the card's full Load on generated databases and on damaged records.
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/cp1251.h"
#include "platform/treectrl.h"
#include "search/findword.h"
#include "search/searchwalk.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "tools/dbgenerate.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Every record: the five names as Load makes them, nothing else left behind,
// and the same result for the same record.
void ExpectSameNames(CDatabaseFiles& files, std::int32_t nRecords) {
    CAircraftText full(&files), names(&files);
    for (std::int32_t n = 0; n < nRecords; ++n) {
        const bool bFull = full.Load(n);
        ASSERT_EQ(names.LoadNames(n), bFull) << n;
        for (int nSlot = 1; nSlot <= 5; ++nSlot)
            ASSERT_EQ(names.GetText(nSlot), full.GetText(nSlot)) << n << " slot " << nSlot;
        for (int nSlot = 6; nSlot <= CAircraftText::kSlotCount; ++nSlot)
            ASSERT_EQ(names.GetText(nSlot), "") << n << " slot " << nSlot;
    }
}

// The walk as it was: every candidate through the full Load, its five
// names tested one by one.
HTREEITEM FindWithFullLoad(const CTypeTree& tree, CAircraftText& match, const std::string& strFind,
                           bool bWholeWord, HTREEITEM hFrom) {
    const std::string strUpper = cp1251::ToUpper(strFind);
    for (HTREEITEM h = tree.GetNextTreeItem(hFrom); h; h = tree.GetNextTreeItem(h)) {
        const std::int32_t nRecord = tree.m_ctlTree.GetItemData(h);
        if (nRecord < 0 || !match.Load(nRecord))
            continue;
        for (int nSlot = 1; nSlot <= 5; ++nSlot)
            if (FindWord(match.GetText(nSlot), strUpper, bWholeWord) >= 0)
                return h;
    }
    return 0;
}

struct GeneratedCase {
    std::int32_t nTypes, nItems, nDepth;
    std::uint64_t nSeed;
};

class GeneratedDatabaseTest : public testing::TestWithParam<GeneratedCase> {};

TEST_P(GeneratedDatabaseTest, NamesAndHitsMatchTheFullLoad) {
    const GeneratedCase& c = GetParam();
    CTempDir dir;
    GenerateOptions options;
    options.nTypes = c.nTypes;
    options.nItems = c.nItems;
    options.nDepth = c.nDepth;
    options.nSeed = c.nSeed;
    GenerateDatabase(options, dir.Path(), nullptr);

    CDatabaseFiles files;
    files.Open(dir.Path());
    ExpectSameNames(files, c.nTypes + 2); // two past the end: both fail alike

    CTreeCtrl ctl;
    CTypeTree tree(ctl, files, nullptr);
    tree.Build();
    CAircraftText full(&files), names(&files);
    // Texts of every kind: a firm, a country, a model's prefix, a role, a
    // name, "-" (a missing name), digits, a word part, and nothing there.
    const std::vector<std::string> texts = {"Туполева", "сша",  "Ил-",   "учебный",
                                            "crusty",   "-",    "17",    "ОКБ",
                                            "вариант",  "Ту-1", "Hip-3", "Нет такого"};
    const std::vector<std::int32_t> froms = {-1, 0, 1, c.nItems / 3, c.nItems - 2};
    for (const std::string& strText : texts)
        for (const bool bWholeWord : {false, true})
            for (const std::int32_t nFrom : froms) {
                const std::string strFind = cp1251::FromUtf8(strText).value();
                const HTREEITEM hFrom = tree.GetItemAtPosition(nFrom);
                const HTREEITEM hExpected =
                    FindWithFullLoad(tree, full, strFind, bWholeWord, hFrom);
                EXPECT_EQ(FindNextMatch(tree, names, strFind, bWholeWord, kStartFromCurrent, hFrom),
                          hExpected)
                    << strText << (bWholeWord ? " whole word" : "") << " from " << nFrom;
                // The tool's search over the records alone finds the same.
                CTreeCtrl ctlNone;
                CTypeTree records(ctlNone, files, nullptr);
                const RecordMatch found =
                    FindMatchInRecords(records, names, strFind, bWholeWord, nFrom);
                EXPECT_TRUE(found.bStartInTree);
                EXPECT_EQ(found.nFound, tree.GetItemPosition(hExpected))
                    << strText << (bWholeWord ? " whole word" : "") << " from " << nFrom;
            }
}

INSTANTIATE_TEST_SUITE_P(Sizes, GeneratedDatabaseTest,
                         testing::Values(GeneratedCase{500, 800, 3, 1},
                                         GeneratedCase{2000, 2500, 4, 7},
                                         GeneratedCase{300, 1000, 1, 42}));

// Records the generator never writes: references before and past the pool,
// a string running into the end of the pool, an empty string, a record cut
// short and one missing.
TEST(LoadNames, DamagedRecordsMatchTheFullLoad) {
    CTempDir dir;
    CDbWriter db;
    const std::int32_t nFirm = db.AddString(cp1251::FromUtf8("Сухой").value());
    const std::int32_t nEmpty = db.AddString("");
    AircraftRecord rec{};
    rec.firm = nFirm;
    rec.country = -5;
    rec.model = nEmpty;
    rec.type = 1 << 30;
    rec.name = nFirm + 2; // inside a string
    rec.text = nFirm;
    rec.year = 1970;
    db.AddAircraft(rec);
    rec.firm = static_cast<std::int32_t>(db.m_pool.size()); // exactly at the end
    db.AddAircraft(rec);
    db.AddPoolBytes("ABC"); // no NUL: runs into the end of the file
    rec.name = rec.firm;
    db.AddAircraft(rec);
    db.AppendAircraftBytes(std::string(100, '\x01')); // a fragment, not a record
    db.Write(dir.Path());

    CDatabaseFiles files;
    files.Open(dir.Path());
    ExpectSameNames(files, 5);
    CAircraftText names(&files);
    ASSERT_TRUE(names.LoadNames(2));
    EXPECT_EQ(names.GetText(5), "ABC");
    EXPECT_EQ(names.GetText(2), "-");
    EXPECT_FALSE(names.LoadNames(3));
}

} // namespace
