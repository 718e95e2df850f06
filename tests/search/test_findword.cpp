#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "platform/cp1251.h"
#include "search/findword.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

// Test text is written in UTF-8; the search works on cp1251.
std::string W(std::string_view strUtf8) {
    return cp1251::FromUtf8(strUtf8).value();
}

struct FindRow {
    const char* pszName;
    const char* pszText;    // the field as loaded, UTF-8
    const char* pszPattern; // as typed; upper-cased once, as the dialog does
    bool bWholeWord;
    int nExpected;
};

void PrintTo(const FindRow& row, std::ostream* os) {
    *os << row.pszName;
}

class FindWordTest : public testing::TestWithParam<FindRow> {};

TEST_P(FindWordTest, Position) {
    const FindRow& row = GetParam();
    EXPECT_EQ(FindWord(W(row.pszText), cp1251::ToUpper(W(row.pszPattern)), row.bWholeWord),
              row.nExpected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FindWordTest,
    testing::Values(
        // Letter case: the pattern once, the text character by character.
        FindRow{"LowerPatternFindsCapitals", "ЖК-12", "жк", false, 0},
        FindRow{"LowerTextMatchesToo", "самолёт жк", "ЖК", false, 8},
        FindRow{"ByteFF", "ЯЯ", "я", false, 0},
        // Whole words: a minus or a blank ends a word, "_" and digits do not.
        FindRow{"MinusEndsTheWord", "ЖК-12", "ЖК", true, 0},
        FindRow{"LetterBehind", "ЖКА", "ЖК", true, -1},
        FindRow{"LetterBehindWithoutOption", "ЖКА", "ЖК", false, 0},
        FindRow{"UnderscoreBehind", "ЖК_2", "ЖК", true, -1},
        FindRow{"UnderscoreBefore", "X_ЖК", "ЖК", true, -1},
        FindRow{"DigitBefore", "2ЖК", "ЖК", true, -1},
        FindRow{"CyrillicLetterBefore", "МиГ-29", "иг", true, -1},
        FindRow{"WholeText", "AN", "an", true, 0}, FindRow{"Brackets", "(AN)", "AN", true, 1},
        FindRow{"NumeroSignIsNoLetter", "№5", "5", true, 1},
        FindRow{"WordAtTheEnd", "Ан 24", "24", true, 3},
        // Only the first occurrence is judged.
        FindRow{"FirstOccurrenceInsideAWord", "ABC AB", "AB", true, -1},
        FindRow{"FirstOccurrenceWithoutOption", "ABC AB", "AB", false, 0},
        FindRow{"FirstOccurrenceIsAWord", "AB ABC", "AB", true, 0},
        // Overlapping prefixes must not skip a start position.
        FindRow{"OverlapAAB", "AAAB", "AAB", false, 1},
        FindRow{"OverlapABAC", "ABABAC", "ABAC", false, 2},
        FindRow{"OverlapWholeWord", "ANANAS AN", "ANAS", true, -1},
        // Lengths.
        FindRow{"EmptyPattern", "ЖК", "", false, -1},
        FindRow{"EmptyPatternWholeWord", "", "", true, -1},
        FindRow{"PatternLongerThanText", "ЖК", "ЖКА", false, -1},
        FindRow{"SameLength", "Ил-76", "ил-76", true, 0}, FindRow{"Dash", "-", "-", true, 0}),
    [](const testing::TestParamInfo<FindRow>& info) { return std::string(info.param.pszName); });

// The letters of code page 1251 beyond the Russian alphabet fold as the
// Russian locale's CharUpperA folds them, in the text and in the pattern.
TEST(FindWordCase, Cp1251LettersFoldBothWays) {
    const std::pair<const char*, const char*> kPairs[] = {
        {"ё", "Ё"}, {"ї", "Ї"}, {"і", "І"}, {"є", "Є"}, {"ў", "Ў"}, {"ґ", "Ґ"},
        {"ђ", "Ђ"}, {"ѓ", "Ѓ"}, {"љ", "Љ"}, {"њ", "Њ"}, {"ќ", "Ќ"}, {"ћ", "Ћ"},
        {"џ", "Џ"}, {"ј", "Ј"}, {"ѕ", "Ѕ"}, {"а", "А"}, {"я", "Я"}, {"z", "Z"}};
    for (const auto& [pszLower, pszUpper] : kPairs) {
        const std::string strLower = W(pszLower), strUpper = W(pszUpper);
        const std::string strPattern = cp1251::ToUpper(strLower);
        EXPECT_EQ(strPattern, strUpper) << pszLower;
        EXPECT_EQ(FindWord("x " + strLower + " x", strPattern, true), 2) << pszLower;
        EXPECT_EQ(FindWord("x " + strUpper + " x", cp1251::ToUpper(strUpper), true), 2) << pszUpper;
        // A letter of either case is part of the word around it.
        EXPECT_EQ(FindWord("X" + strLower, "X", true), -1) << pszLower;
        EXPECT_EQ(FindWord("X" + strUpper, "X", true), -1) << pszUpper;
    }
}

TEST(FindWordCase, CharactersWithoutCapitalsStay) {
    // The micro sign has no capital in the code page; Ukrainian letters fold.
    EXPECT_EQ(FindWord(W("5 µm"), cp1251::ToUpper(W("µm")), true), 2);
    EXPECT_EQ(FindWord(W("Київ"), cp1251::ToUpper(W("київ")), true), 0);
    EXPECT_EQ(FindWord(W("ёлка"), W("ЕЛКА"), false), -1); // Ё is not Е
}

TEST(FindWordSize, LongFieldIsLinear) {
    // A scan of every start position would compare about 10^11 bytes here.
    const std::string strText(1 << 20, 'A');
    const std::string strPattern = std::string((1 << 19) - 1, 'A') + "B";
    EXPECT_EQ(FindWord(strText, strPattern, false), -1);
    EXPECT_EQ(FindWord(strText + "B", strPattern, false), (1 << 20) - (1 << 19) + 1);
}

// ---------------------------------------------------------------------------

struct MatchRow {
    const char* pszName;
    int nSlot; // where the text stands: 1-6 a string, 23 the year, 24 a count
    const char* pszField;
    const char* pszPattern;
    bool bWholeWord;
    bool bExpected;
};

void PrintTo(const MatchRow& row, std::ostream* os) {
    *os << row.pszName;
}

// Records written, then read back through one CAircraftText.
class RecordFixture {
protected:
    bool Matches(std::int32_t nRecord, std::string_view strPattern, bool bWholeWord) {
        if (!m_files.m_fileAircraft.IsOpen()) {
            m_db.Write(m_dir.Path());
            m_files.Open(m_dir.Path());
        }
        return MatchesRecord(m_match, nRecord, cp1251::ToUpper(strPattern), bWholeWord);
    }

    CTempDir m_dir;
    CDbWriter m_db;
    CDatabaseFiles m_files;
    CAircraftText m_match{&m_files};
};

// One type whose names are all "Ту" but for the field of the row.
class MatchesRecordTest : public RecordFixture, public testing::TestWithParam<MatchRow> {};

TEST_P(MatchesRecordTest, Slots) {
    const MatchRow& row = GetParam();
    const std::int32_t nTu = m_db.AddString(W("Ту"));
    AircraftRecord rec{};
    std::int32_t* const pStrings[] = {&rec.firm, &rec.country, &rec.model,
                                      &rec.type, &rec.name,    &rec.text};
    for (std::int32_t* p : pStrings)
        *p = nTu;
    rec.text = -1;
    if (row.nSlot <= 6)
        *pStrings[row.nSlot - 1] = m_db.AddString(W(row.pszField));
    else
        (row.nSlot == 23 ? rec.year : rec.value24) = std::atoi(row.pszField);
    m_db.AddAircraft(rec);
    EXPECT_EQ(Matches(0, W(row.pszPattern), row.bWholeWord), row.bExpected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MatchesRecordTest,
    testing::Values(MatchRow{"Firm", 1, "ОКБ Сухого", "сухого", true, true},
                    MatchRow{"Country", 2, "СССР", "ссср", true, true},
                    MatchRow{"Model", 3, "Су-27", "су", true, true},
                    MatchRow{"Type", 4, "истребитель", "ИСТРЕБ", false, true},
                    MatchRow{"Name", 5, "Flanker", "flanker", true, true},
                    MatchRow{"FreeTextIsNotSearched", 6, "Flanker", "flanker", false, false},
                    MatchRow{"YearIsNotSearched", 23, "1985", "1985", false, false},
                    MatchRow{"AdditionalSlotIsNotSearched", 24, "1985", "1985", false, false},
                    MatchRow{"WholeWordFailsInTheOnlySlot", 3, "Су-27К", "27", true, false},
                    // The card shows an empty name as "-", and so does the test.
                    MatchRow{"DashMatchesAnEmptyName", 5, "", "-", true, true}),
    [](const testing::TestParamInfo<MatchRow>& info) { return std::string(info.param.pszName); });

class MatchesRecordEach : public RecordFixture, public testing::Test {};

TEST_F(MatchesRecordEach, EverySlotIsJudgedOnItsOwn) {
    AircraftRecord rec{};
    rec.firm = m_db.AddString("ANT"); // the first occurrence in slot 1 is no word
    rec.country = rec.model = rec.name = rec.text = -1;
    rec.type = m_db.AddString("AN 2"); // slot 4 has it as a word
    m_db.AddAircraft(rec);
    rec.type = m_db.AddString("ANTEY");
    m_db.AddAircraft(rec);
    EXPECT_TRUE(Matches(0, "AN", true));
    EXPECT_FALSE(Matches(1, "AN", true));
}

// A type the card cannot show is found by nothing, not even by "-" for the
// names it lacks: a record cut short, one past the end, and one whose pool
// is missing.
TEST_F(MatchesRecordEach, UnreadableTypesNeverMatch) {
    AircraftRecord rec{};
    rec.firm = rec.country = rec.model = rec.type = rec.text = -1;
    rec.name = m_db.AddString("Candid");
    m_db.AddAircraft(rec);
    m_db.AppendAircraftBytes(std::string(20, '\0'));
    EXPECT_TRUE(Matches(0, "-", true));
    EXPECT_FALSE(Matches(1, "-", true));
    EXPECT_FALSE(Matches(2, "-", true));
    m_files.m_fileStrings.Close();
    EXPECT_THROW(Matches(0, "-", true), CFileException);
}

} // namespace
