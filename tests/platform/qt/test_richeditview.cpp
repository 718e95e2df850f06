// The rich edit control's Qt view.
#include "platform/cp1251.h"
#include "platform/qt/richeditview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QTextCharFormat FormatAt(const QTextDocument* pDoc, int nPos) {
    QTextCursor cursor(const_cast<QTextDocument*>(pDoc));
    cursor.setPosition(nPos + 1);
    return cursor.charFormat();
}

TEST(RichEditView, ShowsTheTextAndItsFormats) {
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}"
                 "{\\f1\\fcharset204 Times New Roman;}}{\\colortbl;\\red0\\green0\\blue255;}"
                 "\\f0\\fs20{\\b\\'d4\\'e8\\'f0\\'ec\\'e0:}\\par{\\f1\\fs28\\i\\ul\\cf1 x}y\\par "
                 "{\\strike z}}");
    CRichEditView view(ctl);
    const QTextDocument* pDoc = view.document();
    EXPECT_EQ(pDoc->toPlainText(), QStringLiteral("Фирма:\nxy\nz"));
    EXPECT_EQ(pDoc->blockCount(), 3);

    const QTextCharFormat bold = FormatAt(pDoc, 0);
    EXPECT_EQ(bold.fontWeight(), QFont::Bold);
    EXPECT_EQ(bold.fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(bold.fontPointSize(), 10.0);
    EXPECT_EQ(bold.foreground().color(), view.palette().color(QPalette::Text));

    const QTextCharFormat x = FormatAt(pDoc, 7);
    EXPECT_TRUE(x.fontItalic());
    EXPECT_TRUE(x.fontUnderline());
    EXPECT_DOUBLE_EQ(x.fontPointSize(), 14.0);
    EXPECT_EQ(x.fontFamilies().toStringList().value(0), QStringLiteral("Times New Roman"));
    EXPECT_EQ(x.foreground().color(), QColor(0, 0, 255));
    EXPECT_FALSE(FormatAt(pDoc, 8).fontItalic());
    EXPECT_TRUE(FormatAt(pDoc, 10).fontStrikeOut());
}

TEST(RichEditView, ChangesOfTheControlAreDrawnOncePerBurst) {
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1 a:\\par b:}");
    CRichEditView view(ctl);
    for (int i = 0; i < 50; ++i) {
        ctl.SetSel(2, 2);
        ctl.ReplaceSel("1");
    }
    EXPECT_TRUE(view.IsRefreshPending());
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a:\nb:"));
    QApplication::processEvents();
    EXPECT_FALSE(view.IsRefreshPending());
    EXPECT_EQ(view.toPlainText(),
              QStringLiteral("a:") + QString(50, QLatin1Char('1')) + QStringLiteral("\nb:"));
}

TEST(RichEditView, LineEndsSplitOverRunsAndLoneBreaks) {
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1 a\\par b}");
    // A value with a lone LF, and a line end whose LF is in another format.
    ctl.SetSel(1, 1);
    ctl.ReplaceSel("\n");
    ctl.SetSel(3, 4);
    CCharFormat cf;
    cf.m_dwMask = CFM_BOLD;
    cf.m_dwEffects = CFE_BOLD;
    ctl.SetSelectionCharFormat(cf);
    CRichEditView view(ctl);
    EXPECT_EQ(view.document()->blockCount(), 2);
    EXPECT_EQ(view.document()->toRawText(), QStringLiteral("a") + QChar(QChar::LineSeparator) +
                                                QChar(QChar::ParagraphSeparator) +
                                                QStringLiteral("b"));
}

void Type(QWidget* pWidget, const QString& strText) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, strText);
    QApplication::sendEvent(pWidget, &press);
}

TEST(RichEditView, TypingReachesOnlyAWritableControl) {
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1 ab}");
    CRichEditView view(ctl);
    view.SetReadOnly(true);
    Type(&view, QStringLiteral("Ж"));
    EXPECT_EQ(ctl.GetText(), "ab");
    view.SetReadOnly(false);
    ctl.SetSel(1, 1);
    Type(&view, QStringLiteral("Ж"));
    EXPECT_EQ(cp1251::ToUtf8(ctl.GetText()), "aЖb");
    EXPECT_FALSE(ctl.IsReadOnly());
}

} // namespace
