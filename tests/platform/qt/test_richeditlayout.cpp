// Where the view puts text by the paragraph formats: tab stops, the default
// tab, indents.
#include "platform/cp1251.h"
#include "platform/qt/richeditview.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <string>

namespace {

// The x of the character at nPos of block nBlock, in document coordinates.
double XAt(const QTextDocument* pDoc, int nBlock, int nPos) {
    const QTextBlock block = pDoc->findBlockByNumber(nBlock);
    pDoc->documentLayout()->blockBoundingRect(block); // lays the block out
    const QTextLayout* pLayout = block.layout();
    return pLayout->position().x() + pLayout->lineForTextPosition(nPos).cursorToX(nPos);
}

int IndexOf(const QTextDocument* pDoc, int nBlock, const char* pszUtf8) {
    return static_cast<int>(
        pDoc->findBlockByNumber(nBlock).text().indexOf(QString::fromUtf8(pszUtf8)));
}

// The strip table as the additional data dialog makes it: rows inserted
// before the heading line's end.
TEST(RichEditLayout, StripRowsStandUnderTheirHeadings) {
    CRichEditCtrl ctl;
    ctl.StreamIn(
        "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}"
        "\\pard\\tx1800\\tx3800\\sa40\\f0\\fs20\\b \\'c2\\'fb\\'f1\\'ee\\'f2\\'e0, \\'ec\\tab "
        "\\'d1\\'ea\\'ee\\'f0\\'ee\\'f1\\'f2\\'fc, \\'ea\\'ec/\\'f7\\tab "
        "\\'c4\\'e0\\'eb\\'fc\\'ed\\'ee\\'f1\\'f2\\'fc, \\'ea\\'ec\\b0\\par\\pard\\sb200 x\\par}");
    const long nHeadingEnd = ctl.FindText(0, -1, "\r\n");
    ctl.SetSel(nHeadingEnd, nHeadingEnd);
    ctl.ReplaceSel("\r\n1000\t850\t2400");
    CRichEditView view(ctl);
    view.resize(600, 200);
    const QTextDocument* pDoc = view.document();
    ASSERT_EQ(pDoc->blockCount(), 3);

    const double dPerTwip = view.logicalDpiX() / 1440.0;
    const double xStart = XAt(pDoc, 0, 0);
    EXPECT_NEAR(XAt(pDoc, 0, IndexOf(pDoc, 0, "Скорость")) - xStart, 1800 * dPerTwip, 1.0);
    EXPECT_NEAR(XAt(pDoc, 0, IndexOf(pDoc, 0, "Дальность")) - xStart, 3800 * dPerTwip, 1.0);
    EXPECT_NEAR(XAt(pDoc, 1, IndexOf(pDoc, 1, "850")), XAt(pDoc, 0, IndexOf(pDoc, 0, "Скорость")),
                0.5);
    EXPECT_NEAR(XAt(pDoc, 1, IndexOf(pDoc, 1, "2400")), XAt(pDoc, 0, IndexOf(pDoc, 0, "Дальность")),
                0.5);
    // The paragraph after the table has no stops, and as in rich edit 1.0
    // no space before: the panes are sized for lines without it.
    EXPECT_EQ(pDoc->findBlockByNumber(2).blockFormat().tabPositions().size(), 0);
    EXPECT_EQ(pDoc->findBlockByNumber(2).blockFormat().topMargin(), 0.0);
    EXPECT_EQ(pDoc->findBlockByNumber(0).blockFormat().bottomMargin(), 0.0);
}

TEST(RichEditLayout, DefaultTabsAndIndents) {
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1\\deftab360 a\\tab b\\tab c\\par\\pard\\li720\\fi-360 d\\par}");
    CRichEditView view(ctl);
    const QTextDocument* pDoc = view.document();
    ASSERT_EQ(pDoc->blockCount(), 2);
    const double dPerTwip = view.logicalDpiX() / 1440.0;
    const double xStart = XAt(pDoc, 0, 0);
    // "a" is narrower than a quarter inch: the tabs go to its multiples.
    EXPECT_NEAR(XAt(pDoc, 0, 2) - xStart, 360 * dPerTwip, 1.0);
    EXPECT_NEAR(XAt(pDoc, 0, 4) - xStart, 720 * dPerTwip, 1.0);
    EXPECT_NEAR(XAt(pDoc, 1, 0) - xStart, 360 * dPerTwip, 1.0);
}

// A pane taller and wider than its view opens at its start, not where the
// last refresh left the view's own cursor.
TEST(RichEditLayout, APaneOpensAtItsStart) {
    CRichEditCtrl ctl;
    std::string strText;
    for (int n = 0; n < 100; ++n)
        strText += "line " + std::to_string(n) + std::string(200, 'x') + "\r\n";
    ctl.StreamIn(strText);
    CRichEditView view(ctl);
    view.resize(200, 100);
    view.Refresh();
    view.show();
    QApplication::processEvents();
    EXPECT_GT(view.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
}

} // namespace
