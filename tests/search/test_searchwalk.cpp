#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/cp1251.h"
#include "platform/treectrl.h"
#include "search/searchwalk.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "tools/dbsearch.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string W(std::string_view strUtf8) {
    return cp1251::FromUtf8(strUtf8).value();
}

// The five name fields of a type, UTF-8; "" is an empty string in the pool.
struct Names {
    const char* pszFirm;
    const char* pszCountry;
    const char* pszModel;
    const char* pszType;
    const char* pszName;
};

AircraftRecord TypeRecord(CDbWriter& db, const Names& names) {
    AircraftRecord rec{};
    rec.firm = db.AddString(W(names.pszFirm));
    rec.country = db.AddString(W(names.pszCountry));
    rec.model = db.AddString(W(names.pszModel));
    rec.type = db.AddString(W(names.pszType));
    rec.name = db.AddString(W(names.pszName));
    rec.text = db.AddString(W("ЖК ЖК-12 Ил")); // free text, never searched
    return rec;
}

// Tree, in pre-order (positions 0 to 7):
//   0 "ЖК группа" (group)
//   1   Ту-154       record 0
//   2   "Транспортные" (group, -7)
//   3     ЖК-12      record 1 (no name)
//   4     Ан-2       record 2
//   5 Ил-76          record 3
//   6 Бе-200         record 4
//   7 Призрак        record 99, not in the file
void WriteSampleDatabase(const std::string& strDir) {
    CDbWriter db;
    db.AddAircraft(TypeRecord(db, {"Туполев", "СССР", "Ту-154", "пассажирский", "ЖКА"}));
    db.AddAircraft(TypeRecord(db, {"ОКБ", "СССР", "ЖК-12", "учебный", ""}));
    db.AddAircraft(TypeRecord(db, {"Антонов", "СССР", "Ан-2", "многоцелевой", "ЖК_2"}));
    db.AddAircraft(TypeRecord(db, {"Ильюшин", "СССР", "Ил-76", "транспортный", "Candid"}));
    db.AddAircraft(TypeRecord(db, {"ТАНТК", "Россия", "Бе-200", "амфибия", "жк"}));
    db.AddTreeNamed(-1, -1, W("ЖК группа"));
    db.AddTreeNamed(0, 0, W("Ту-154"));
    db.AddTreeNamed(0, -7, W("Транспортные"));
    db.AddTreeNamed(2, 1, W("ЖК-12"));
    db.AddTreeNamed(2, 2, W("Ан-2"));
    db.AddTreeNamed(-1, 3, W("Ил-76"));
    db.AddTreeNamed(-1, 4, W("Бе-200"));
    db.AddTreeNamed(-1, 99, W("Призрак"));
    db.Write(strDir);
}

class SearchWalkTest : public testing::Test {
protected:
    void Open() {
        m_files.Open(m_dir.Path());
        m_tree.Build();
    }

    // Position of the hit, -1 for none. nSelected -1 is nothing selected.
    int Find(const char* pszText, bool bWholeWord, std::int32_t nStartFrom,
             std::int32_t nSelected = -1) {
        CAircraftText match(&m_files);
        const HTREEITEM hHit = FindNextMatch(m_tree, match, W(pszText), bWholeWord, nStartFrom,
                                             m_tree.GetItemAtPosition(nSelected));
        return m_tree.GetItemPosition(hHit);
    }

    CTempDir m_dir;
    CDatabaseFiles m_files;
    CTreeCtrl m_ctl;
    CTypeTree m_tree{m_ctl, m_files, nullptr};
};

struct WalkRow {
    const char* pszName;
    const char* pszText;
    bool bWholeWord;
    std::int32_t nStartFrom;
    std::int32_t nSelected;
    int nExpected;
};

void PrintTo(const WalkRow& row, std::ostream* os) {
    *os << row.pszName;
}

class SearchWalkRows : public SearchWalkTest, public testing::WithParamInterface<WalkRow> {};

TEST_P(SearchWalkRows, Hit) {
    WriteSampleDatabase(m_dir.Path());
    Open();
    const WalkRow& row = GetParam();
    EXPECT_EQ(Find(row.pszText, row.bWholeWord, row.nStartFrom, row.nSelected), row.nExpected);
}

constexpr std::int32_t kCurrent = kStartFromCurrent;
constexpr std::int32_t kBeginning = kStartFromBeginning;

INSTANTIATE_TEST_SUITE_P(
    Rows, SearchWalkRows,
    testing::Values(
        // From the start: the first match in tree order.
        WalkRow{"LowerCaseFindsTheFirstInTreeOrder", "жк", false, kBeginning, -1, 1},
        WalkRow{"WholeWordSkipsLongerWords", "ЖК", true, kBeginning, -1, 3},
        WalkRow{"FromTheStartIgnoresTheSelection", "жк", true, kBeginning, 6, 3},
        WalkRow{"LatinName", "candid", true, kBeginning, -1, 5},
        WalkRow{"DashFindsAMissingName", "-", true, kBeginning, -1, 3},
        WalkRow{"DashInsideAModelWithoutWholeWord", "-", false, kBeginning, -1, 1},
        // From the current item: behind it, never it, no wrap-around.
        WalkRow{"BehindTheCurrentItem", "ЖК", true, kCurrent, 3, 6},
        WalkRow{"CurrentItemIsNeverReported", "ЖК-12", true, kCurrent, 3, -1},
        WalkRow{"EarlierMatchIsNotFound", "Ту-154", true, kCurrent, 1, -1},
        WalkRow{"NothingAfterTheLast", "жк", false, kCurrent, 6, -1},
        WalkRow{"FromAGroupIntoItsChildren", "учебный", true, kCurrent, 2, 3},
        WalkRow{"NothingSelectedCoversTheTree", "Туполев", true, kCurrent, -1, 1},
        // Groups are never reported, whatever their caption.
        WalkRow{"GroupCaptionIsNotSearched", "группа", false, kBeginning, -1, -1},
        WalkRow{"GroupWithOwnNegativeData", "Транспортные", false, kBeginning, -1, -1},
        // Only the five name fields count.
        WalkRow{"FreeTextIsNotSearched", "ЖК ЖК-12 Ил", false, kBeginning, -1, -1},
        WalkRow{"TreeCaptionIsNotSearched", "Призрак", false, kBeginning, -1, -1},
        // An empty text finds nothing, in either direction.
        WalkRow{"EmptyFromTheStart", "", false, kBeginning, -1, -1},
        WalkRow{"EmptyFromTheCurrent", "", true, kCurrent, 1, -1}),
    [](const testing::TestParamInfo<WalkRow>& info) { return std::string(info.param.pszName); });

TEST_F(SearchWalkTest, NothingSelectedStartsAtTheFirstTopLevelItem) {
    CDbWriter db;
    db.AddAircraft(TypeRecord(db, {"Ильюшин", "СССР", "Ил-76", "транспортный", ""}));
    db.AddTreeNamed(-1, 0, W("Ил-76"));
    db.AddTreeNamed(-1, -1, W("Прочие"));
    db.Write(m_dir.Path());
    Open();
    EXPECT_EQ(Find("ил-76", true, kCurrent, -1), 0);
    EXPECT_EQ(Find("ил-76", true, kCurrent, 0), -1);
}

TEST_F(SearchWalkTest, UnreadableRecordIsPassedOver) {
    // Record 1 is cut short and record 7 does not exist: both are passed over
    // and the walk goes on to the next type.
    CDbWriter db;
    db.AddAircraft(TypeRecord(db, {"Ильюшин", "СССР", "Ил-76", "транспортный", "Candid"}));
    db.AppendAircraftBytes(std::string(100, '\0'));
    db.AddTreeNamed(-1, 0, W("Ил-76"));
    db.AddTreeNamed(-1, 1, W("Обрывок"));
    db.AddTreeNamed(-1, 7, W("Нет записи"));
    db.AddTreeNamed(-1, 0, W("Ил-76 ещё раз"));
    db.Write(m_dir.Path());
    Open();
    EXPECT_EQ(Find("Candid", true, kCurrent, 0), 3);
    EXPECT_EQ(Find("Candid", true, kCurrent, 3), -1);
}

// Types that stand under several groups: a record found not to match is not
// tested again, one that matches is found wherever it stands next.
TEST_F(SearchWalkTest, RepeatedTypesAreFoundWhereverTheyStand) {
    CDbWriter db;
    db.AddAircraft(TypeRecord(db, {"Ильюшин", "СССР", "Ил-76", "транспортный", "Candid"}));
    db.AddAircraft(TypeRecord(db, {"Антонов", "СССР", "Ан-2", "многоцелевой", ""}));
    db.AddAircraft(TypeRecord(db, {"Бериев", "СССР", "Бе-200", "амфибия", ""}));
    for (const std::int32_t nRecord : {1, 0, 1, 0, 1, 1, 2, 1})
        db.AddTreeNamed(-1, nRecord, W("x"));
    db.Write(m_dir.Path());
    Open();
    EXPECT_EQ(Find("Candid", true, kCurrent, 0), 1);
    EXPECT_EQ(Find("Candid", true, kCurrent, 1), 3);
    EXPECT_EQ(Find("Candid", true, kCurrent, 3), -1);
    EXPECT_EQ(Find("Бериев", true, kBeginning, -1), 6);
    EXPECT_EQ(Find("Антонов", true, kCurrent, 6), 7);
    EXPECT_EQ(Find("СССР", true, kCurrent, 7), -1);
}

TEST_F(SearchWalkTest, MissingDataFilesFindNothingWithoutThrowing) {
    CDbWriter db;
    db.AddAircraft(TypeRecord(db, {"Ильюшин", "СССР", "Ил-76", "транспортный", "Candid"}));
    db.AddTree(-1, 0, -1); // no caption, so the tree builds without the pool
    db.Write(m_dir.Path());
    for (const char* pszFile : {"Strings.dat", "AircraftItems.dat"}) {
        std::remove(m_dir.File(pszFile).c_str());
        CDatabaseFiles files;
        files.Open(m_dir.Path());
        CTreeCtrl ctl;
        CTypeTree tree(ctl, files, nullptr);
        tree.Build();
        ASSERT_EQ(ctl.GetCount(), 1u);
        CAircraftText match(&files);
        HTREEITEM hHit = 1;
        EXPECT_NO_THROW(hHit = FindNextMatch(tree, match, "CANDID", false, kBeginning, 0))
            << pszFile;
        EXPECT_EQ(hHit, 0u) << pszFile;
    }
}

// The search over the records alone stops where the build stops: at the
// item bound and at the caption bound, as the viewer's tree would.
TEST_F(SearchWalkTest, RecordSearchEndsWhereTheBuildEnds) {
    CDbWriter db;
    db.AddAircraft(TypeRecord(db, {"Ильюшин", "СССР", "Ил-76", "транспортный", "Candid"}));
    db.AddAircraft(TypeRecord(db, {"Антонов", "СССР", "Ан-2", "многоцелевой", "Colt"}));
    db.AddTreeNamed(-1, 0, W("Ил-76"));   // 0, caption 5 bytes
    db.AddTreeNamed(-1, 0, W("Ил-76"));   // 1, 10 bytes in all
    db.AddTreeNamed(-1, 1, W("Ан-2 №3")); // 2, 17 bytes in all
    db.Write(m_dir.Path());
    m_files.Open(m_dir.Path());
    const auto find = [&](const char* pszText, std::int32_t nAfter, std::uint32_t nMaxItems,
                          std::uint64_t nMaxCaptionBytes) {
        CTreeCtrl ctl;
        CTypeTree tree(ctl, m_files, nullptr);
        tree.m_nMaxItems = nMaxItems;
        tree.m_nMaxCaptionBytes = nMaxCaptionBytes;
        CAircraftText match(&m_files);
        const RecordMatch found = FindMatchInRecords(tree, match, W(pszText), true, nAfter);
        // The built tree under the same bounds holds exactly the items walked.
        CTreeCtrl ctlBuilt;
        CTypeTree built(ctlBuilt, m_files, nullptr);
        built.m_nMaxItems = nMaxItems;
        built.m_nMaxCaptionBytes = nMaxCaptionBytes;
        built.Build();
        EXPECT_EQ(found.bStartInTree, nAfter == -1 || built.GetItemAtPosition(nAfter) != 0);
        return found.bStartInTree ? found.nFound : -2;
    };
    EXPECT_EQ(find("Colt", -1, 100, 1000), 2);
    EXPECT_EQ(find("Candid", 0, 100, 1000), 1);
    EXPECT_EQ(find("Colt", -1, 2, 1000), -1); // two items: Ан-2 is not in the tree
    EXPECT_EQ(find("Colt", -1, 100, 16), -1); // its caption passes the bound
    EXPECT_EQ(find("Candid", 0, 100, 9), -1); // the second Ил-76 passes it too
    EXPECT_EQ(find("Candid", 1, 100, 9), -2); // so a search behind it is refused
    EXPECT_EQ(find("Candid", 2, 2, 1000), -2);
    EXPECT_EQ(find("Candid", -2, 100, 1000), -2);
    EXPECT_EQ(find("", 0, 100, 1000), -1); // nothing to find, the start is there
    EXPECT_EQ(find("", 5, 100, 1000), -2);
}

// ---------------------------------------------------------------------------
// verlumo-db search

struct CommandRow {
    const char* pszName;
    const char* pszText; // UTF-8, as the shell passes it
    bool bWholeWord;
    std::optional<std::int32_t> nFrom;
    int nExit;
    const char* pszOut;
    const char* pszErrPart; // "" when stderr stays empty
};

void PrintTo(const CommandRow& row, std::ostream* os) {
    *os << row.pszName;
}

class SearchCommandTest : public testing::TestWithParam<CommandRow> {};

TEST_P(SearchCommandTest, Output) {
    CTempDir dir;
    WriteSampleDatabase(dir.Path());
    const CommandRow& row = GetParam();
    std::ostringstream out, err;
    EXPECT_EQ(SearchDatabase(dir.Path(), row.pszText, row.bWholeWord, row.nFrom, out, err),
              row.nExit);
    EXPECT_EQ(out.str(), row.pszOut);
    if (*row.pszErrPart == '\0')
        EXPECT_EQ(err.str(), "");
    else
        EXPECT_NE(err.str().find(row.pszErrPart), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SearchCommandTest,
    testing::Values(
        CommandRow{"FromTheStartByDefault", "жк", false, std::nullopt, 0, "1\n", ""},
        CommandRow{"WholeWord", "жк", true, std::nullopt, 0, "3\n", ""},
        CommandRow{"FromAPosition", "жк", true, 3, 0, "6\n", ""},
        CommandRow{"FromNothingSelected", "Ту-154", true, -1, 0, "1\n", ""},
        CommandRow{"Miss", "МиГ", false, std::nullopt, 1, "Строка не найдена\n", ""},
        CommandRow{"CurrentIsNotReported", "Бе-200", true, 6, 1, "Строка не найдена\n", ""},
        CommandRow{"EmptyTextMisses", "", false, std::nullopt, 1, "Строка не найдена\n", ""},
        CommandRow{"PositionPastTheTree", "жк", false, 8, 2, "", "position 8"},
        CommandRow{"NegativePosition", "жк", false, -2, 2, "", "position -2"},
        CommandRow{"CharacterOutsideTheCodePage", "飛行機", false, std::nullopt, 2, "", "飛"},
        CommandRow{"InvalidUtf8", "\xC3", false, std::nullopt, 2, "", "1251"}),
    [](const testing::TestParamInfo<CommandRow>& info) { return std::string(info.param.pszName); });

TEST(SearchCommand, EmptyDirectoryMisses) {
    CTempDir dir;
    std::ostringstream out, err;
    EXPECT_EQ(SearchDatabase(dir.Path(), "x", false, std::nullopt, out, err), 1);
    EXPECT_EQ(SearchDatabase(dir.Path(), "x", false, 0, out, err), 2);
}

} // namespace
