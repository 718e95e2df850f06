// Paragraph formats: what the RTF reader keeps and how edits carry them.
#include "platform/richeditctrl.h"
#include "platform/rtfreader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::int32_t> Tabs(const CParaFormat& pf) {
    return {pf.m_rgxTabs.begin(), pf.m_rgxTabs.begin() + static_cast<std::ptrdiff_t>(pf.m_nTabs)};
}

// ---------------------------------------------------------------------------
// The reader

TEST(RtfParagraphs, TabStopsSortedWithoutDuplicatesOfEveryKind) {
    const CRichTextDocument doc =
        ReadRtf("{\\rtf1\\deftab567\\pard\\tx3800\\tx1800\\tx1800\\tqr\\tx500\\tb900 "
                "a\\tab b\\par c}");
    ASSERT_EQ(doc.GetText(), "a\tb\r\nc");
    ASSERT_EQ(doc.GetParagraphCount(), 2u);
    EXPECT_EQ(Tabs(doc.GetParaFormat(0)), (std::vector<std::int32_t>{500, 900, 1800, 3800}));
    // Without \pard the next paragraph keeps them.
    EXPECT_EQ(Tabs(doc.GetParaFormat(1)), Tabs(doc.GetParaFormat(0)));
    EXPECT_EQ(doc.GetDefaultTab(), 567);
    EXPECT_EQ(ReadRtf("{\\rtf1 a}").GetDefaultTab(), kDefaultTabTwips);
}

TEST(RtfParagraphs, EveryPropertyAndPardResets) {
    const CRichTextDocument doc = ReadRtf("{\\rtf1\\qc\\li720\\ri360\\fi-240\\sb100\\sa40\\tx100 "
                                          "a\\par\\qr b\\par\\qj c\\par\\pard d\\par}");
    ASSERT_EQ(doc.GetParagraphCount(), 4u);
    const CParaFormat& a = doc.GetParaFormat(0);
    EXPECT_EQ(a.m_nAlignment, PFA_CENTER);
    EXPECT_EQ(a.m_nLeftIndent, 720);
    EXPECT_EQ(a.m_nRightIndent, 360);
    EXPECT_EQ(a.m_nFirstLineIndent, -240);
    EXPECT_EQ(a.m_nSpaceBefore, 100);
    EXPECT_EQ(a.m_nSpaceAfter, 40);
    EXPECT_EQ(Tabs(a), std::vector<std::int32_t>{100});
    EXPECT_EQ(doc.GetParaFormat(1).m_nAlignment, PFA_RIGHT);
    EXPECT_EQ(doc.GetParaFormat(1).m_nLeftIndent, 720);
    EXPECT_EQ(doc.GetParaFormat(2).m_nAlignment, PFA_JUSTIFY);
    EXPECT_EQ(doc.GetParaFormat(3), CParaFormat{});
}

struct CCloseRow {
    const char* pszName;
    const char* pszRtf;
    const char* pszText;
    std::vector<int> alignments; // one per paragraph
};

void PrintTo(const CCloseRow& row, std::ostream* os) {
    *os << row.pszName;
}

class RtfParagraphMark : public testing::TestWithParam<CCloseRow> {};

TEST_P(RtfParagraphMark, PropertiesGoToTheParagraphTheMarkCloses) {
    const CCloseRow& row = GetParam();
    const CRichTextDocument doc = ReadRtf(row.pszRtf);
    ASSERT_EQ(doc.GetText(), row.pszText);
    std::vector<int> alignments;
    for (std::size_t i = 0; i < doc.GetParagraphCount(); ++i)
        alignments.push_back(doc.GetParaFormat(i).m_nAlignment);
    EXPECT_EQ(alignments, row.alignments);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RtfParagraphMark,
    testing::Values(
        CCloseRow{"SetAfterTheText",
                  "{\\rtf1 a\\qc\\par\\pard b\\par}",
                  "a\r\nb",
                  {PFA_CENTER, PFA_LEFT}},
        CCloseRow{"FinalParIsTheFinalMark", "{\\rtf1\\qr a\\par}", "a", {PFA_RIGHT}},
        CCloseRow{
            "LastParagraphWithoutPar", "{\\rtf1 a\\par\\qr b}", "a\r\nb", {PFA_LEFT, PFA_RIGHT}},
        CCloseRow{"GroupsRestore", "{\\rtf1{\\qc a\\par}b\\par}", "a\r\nb", {PFA_CENTER, PFA_LEFT}},
        CCloseRow{"MarkInsideTheGroupAfterIt", "{\\rtf1{\\qc a}\\par}", "a", {PFA_LEFT}},
        CCloseRow{
            "LineIsAMarkToo", "{\\rtf1\\qc a\\line\\pard b}", "a\r\nb", {PFA_CENTER, PFA_LEFT}},
        CCloseRow{"SkippedDestinationsDoNotCount",
                  "{\\rtf1{\\*\\foo\\qc x\\par}{\\header\\qr y\\par}a\\par}",
                  "a",
                  {PFA_LEFT}}),
    [](const testing::TestParamInfo<CCloseRow>& info) { return std::string(info.param.pszName); });

TEST(RtfParagraphs, AbsurdValuesAreBounded) {
    std::string strRtf = "{\\rtf1\\deftab99999999999\\li99999999999\\ri-99999999\\fi-2147483648"
                         "\\sb-5\\sa2147483647\\tx-100\\tx0\\tx99999999";
    for (int i = 1; i <= 100; ++i)
        strRtf += "\\tx" + std::to_string(i * 10);
    const CRichTextDocument doc = ReadRtf(strRtf + " a\\par}");
    const CParaFormat& pf = doc.GetParaFormat(0);
    EXPECT_EQ(pf.m_nLeftIndent, kMaxParaTwips);
    EXPECT_EQ(pf.m_nRightIndent, -kMaxParaTwips);
    EXPECT_EQ(pf.m_nFirstLineIndent, -kMaxParaTwips);
    EXPECT_EQ(pf.m_nSpaceBefore, 0);
    EXPECT_EQ(pf.m_nSpaceAfter, kMaxParaTwips);
    ASSERT_EQ(pf.m_nTabs, kMaxTabStops);
    // The huge stop came first and keeps its place at the end; the rest are
    // the first that fitted.
    EXPECT_EQ(pf.m_rgxTabs[0], 10);
    EXPECT_EQ(pf.m_rgxTabs[kMaxTabStops - 2], 310);
    EXPECT_EQ(pf.m_rgxTabs[kMaxTabStops - 1], kMaxParaTwips);
    EXPECT_EQ(doc.GetDefaultTab(), kMaxParaTwips);
}

TEST(RtfParagraphs, PlainTextHasDefaultParagraphs) {
    const CRichTextDocument doc = ReadRtf("a\r\nb\nc\r");
    ASSERT_EQ(doc.GetText(), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(doc.GetParagraphCount(), 4u);
    EXPECT_EQ(doc.GetParaFormat(3), CParaFormat{});
}

// ---------------------------------------------------------------------------
// Edits through the control: a paragraph split takes the split one's format,
// a join keeps the first's.

struct CEdit {
    long nStart;
    long nEnd;
    const char* pszText; // "" deletes
};

struct CEditRow {
    const char* pszName;
    std::vector<CEdit> edits;
    const char* pszText;
    std::vector<std::int32_t> stops; // each paragraph's only tab stop
};

void PrintTo(const CEditRow& row, std::ostream* os) {
    *os << row.pszName;
}

class ParagraphEdits : public testing::TestWithParam<CEditRow> {};

TEST_P(ParagraphEdits, SplitTakesTheSplitFormatJoinKeepsTheFirst) {
    const CEditRow& row = GetParam();
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1\\pard\\tx100 aa\\par\\pard\\tx200 bb\\par\\pard\\tx300 cc}");
    ASSERT_EQ(ctl.GetText(), "aa\r\nbb\r\ncc");
    for (const CEdit& edit : row.edits) {
        ctl.SetSel(edit.nStart, edit.nEnd);
        if (*edit.pszText)
            ctl.ReplaceSel(edit.pszText);
        else
            ctl.Clear();
    }
    ASSERT_EQ(ctl.GetText(), row.pszText);
    const CRichTextDocument& doc = ctl.GetDocument();
    std::vector<std::int32_t> stops;
    for (std::size_t i = 0; i < doc.GetParagraphCount(); ++i) {
        const CParaFormat& pf = doc.GetParaFormat(i);
        stops.push_back(pf.m_nTabs == 1 ? pf.m_rgxTabs[0] : -1);
    }
    EXPECT_EQ(stops, row.stops);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParagraphEdits,
    testing::Values(
        CEditRow{"SplitInTheMiddle", {{1, 1, "\r\n"}}, "a\r\na\r\nbb\r\ncc", {100, 100, 200, 300}},
        CEditRow{"RowsBeforeTheLineEnd",
                 {{2, 2, "\r\n1\t2\r\n3\t4"}},
                 "aa\r\n1\t2\r\n3\t4\r\nbb\r\ncc",
                 {100, 100, 100, 200, 300}},
        CEditRow{
            "AtAParagraphStart", {{4, 4, "x\r\n"}}, "aa\r\nx\r\nbb\r\ncc", {100, 200, 200, 300}},
        CEditRow{"AtTheEnd", {{10, 10, "\r\n"}}, "aa\r\nbb\r\ncc\r\n", {100, 200, 300, 300}},
        CEditRow{"JoinKeepsTheFirst", {{2, 4, ""}}, "aabb\r\ncc", {100, 300}},
        CEditRow{"JoinOverThree", {{1, 9, ""}}, "ac", {100}},
        CEditRow{"ReplaceJoinedAndSplit",
                 {{5, 10, "\r\nx\r\n"}},
                 "aa\r\nb\r\nx\r\n",
                 {100, 200, 200, 200}},
        CEditRow{"DeletingTheCarriageReturnJoins", {{6, 7, ""}}, "aa\r\nbb\ncc", {100, 200}},
        CEditRow{"TypingBetweenCrAndLfJoins", {{3, 3, "x"}}, "aa\rx\nbb\r\ncc", {100, 300}},
        CEditRow{"LoneBreaksBecomeALineEnd",
                 {{1, 1, "\n"}, {1, 1, "\r"}},
                 "a\r\na\r\nbb\r\ncc",
                 {100, 100, 200, 300}},
        CEditRow{"ClearAll", {{0, -1, ""}}, "", {100}}),
    [](const testing::TestParamInfo<CEditRow>& info) { return std::string(info.param.pszName); });

TEST(ParagraphEdits, ParagraphAtAPosition) {
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1 a\\par\\par b}");
    const CRichTextDocument& doc = ctl.GetDocument();
    ASSERT_EQ(doc.GetText(), "a\r\n\r\nb");
    std::vector<std::size_t> paragraphs;
    for (std::size_t i = 0; i <= doc.GetLength() + 1; ++i)
        paragraphs.push_back(doc.GetParagraphAt(i));
    // The line end belongs to the paragraph it closes.
    EXPECT_EQ(paragraphs, (std::vector<std::size_t>{0, 0, 0, 1, 1, 2, 2, 2}));
}

TEST(ParagraphEdits, StreamInReplacesTheParagraphs) {
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1\\qc a\\par b\\par c}");
    ctl.StreamIn("{\\rtf1 x}");
    ASSERT_EQ(ctl.GetDocument().GetParagraphCount(), 1u);
    EXPECT_EQ(ctl.GetDocument().GetParaFormat(0), CParaFormat{});
}

} // namespace
