// The search dialog on the offscreen platform: typed into, clicked and
// keyed like a user would, checked by the tree's selection, the stored
// search text and the messages it gave.
#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/treectrl.h"
#include "search/searchwalk.h"
#include "support/dbwriter.h"
#include "support/templates.h"
#include "tools/render/dbrenderdialogs.h"
#include "viewer/guidb.h"
#include "viewer/searchdialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {

// Tree, in pre-order; only the names (slot 5) are filled:
//   0 "Учебные" (group)
//   1   Як-52   record 0, name "ЖКА"
//   2   Ан-2    record 1, name "ЖК-12"
//   3 "Прочие" (group)
//   4   Бе-12   record 2, name "ЖК_2"
//   5   Ил-14   record 3, name "ABC AB"
//   6   Ту-2    record 1 again
void WriteSearchDatabase(const CTempDir& dir) {
    CDbWriter db;
    db.AddString("");
    for (const char* pszName : {"ЖКА", "ЖК-12", "ЖК_2", "ABC AB"}) {
        AircraftRecord rec{};
        rec.name = db.AddString(W(pszName));
        db.AddAircraft(rec);
    }
    db.AddTreeNamed(-1, -1, W("Учебные"));
    db.AddTreeNamed(0, 0, W("Як-52"));
    db.AddTreeNamed(0, 1, W("Ан-2"));
    db.AddTreeNamed(-1, -1, W("Прочие"));
    db.AddTreeNamed(3, 2, W("Бе-12"));
    db.AddTreeNamed(3, 3, W("Ил-14"));
    db.AddTreeNamed(3, 1, W("Ту-2"));
    db.Write(dir.Path());
}

struct CMessage {
    std::string strTitle;
    std::string strText;
    bool bWaitCursor; // whether the wait cursor was still on when it came
};

// QTest::keyClicks passes Latin-1 only; a user types Cyrillic too. A key
// event carries its character, and the key code of a letter is that of its
// capital, as a keyboard layout gives it.
void KeyClicks(QWidget* pWidget, const QString& str) {
    for (QChar ch : str)
        QTest::sendKeyEvent(QTest::Click, pWidget, static_cast<Qt::Key>(ch.toUpper().unicode()),
                            QString(ch), Qt::NoModifier);
}

bool WaitCursorShown() {
    const QCursor* pCursor = QApplication::overrideCursor();
    return pCursor && pCursor->shape() == Qt::WaitCursor;
}

class SearchDialogTest : public testing::Test {
protected:
    void SetUp() override {
        m_report.m_sink = [this](const std::string& strTitle, const std::string& strText) {
            m_messages.push_back({strTitle, strText, WaitCursorShown()});
        };
        WriteSearchDatabase(m_dir);
        m_files.Open(m_dir.Path());
        m_tree.Build();
        ASSERT_EQ(m_ctlTree.GetCount(), 7u);
        // What the main dialog hears of a selection, and what it would see.
        m_ctlTree.m_onSelChanged = [this](HTREEITEM, HTREEITEM hNew) {
            m_selections.push_back(m_tree.GetItemPosition(hNew));
            m_bWaitCursorAtSelection = WaitCursorShown();
        };
    }
    void TearDown() override {
        m_pDlg.reset();
        m_files.Close();
    }

    // A dialog as the main dialog opens it, shown without a modal loop so
    // the test can drive it.
    CSearchDialog& Open() {
        m_pDlg = std::make_unique<CSearchDialog>(m_tree, m_strSearch);
        m_pDlg->m_pMessages = &m_report;
        m_pDlg->show();
        return *m_pDlg;
    }

    void Select(std::int32_t nPosition) {
        m_ctlTree.SelectItem(m_tree.GetItemAtPosition(nPosition));
        m_selections.clear();
    }
    std::int32_t Selected() const { return m_tree.GetItemPosition(m_ctlTree.GetSelectedItem()); }

    QLineEdit* Edit() const { return Control<QLineEdit>(CSearchDialog::IDC_FIND); }
    QPushButton* FindButton() const { return Control<QPushButton>(CSearchDialog::IDOK); }
    template <class T> T* Control(int nID) const {
        return dynamic_cast<T*>(m_pDlg->GetDlgItem(nID));
    }

    // Types into the edit over whatever it holds.
    void Type(const char* pszUtf8) {
        Edit()->selectAll();
        KeyClicks(Edit(), Q(pszUtf8));
    }
    void Find() { QTest::mouseClick(FindButton(), Qt::LeftButton); }

    CTempDir m_dir;
    CDatabaseFiles m_files;
    CTreeCtrl m_ctlTree;
    CTypeTree m_tree{m_ctlTree, m_files, nullptr};
    std::string m_strSearch; // the main dialog's
    std::unique_ptr<CSearchDialog> m_pDlg;
    std::vector<std::int32_t> m_selections;
    bool m_bWaitCursorAtSelection = false;
    CFileErrorReport m_report; // the application's messages
    std::vector<CMessage> m_messages;
};

// ---------------------------------------------------------------------------
// Template 130

TEST_F(SearchDialogTest, FixedFrameWithTheButtonsAboveTheGroupBox) {
    Open();
    EXPECT_EQ(m_pDlg->size(), QSize(356, 150));
    EXPECT_EQ(m_pDlg->minimumSize(), m_pDlg->maximumSize());
    EXPECT_TRUE(FindButton()->isDefault());
    EXPECT_FALSE(Control<QPushButton>(CSearchDialog::IDCANCEL)->isDefault());
    ExpectCaptionsFit(*m_pDlg);
    // The buttons lie on the frame, above it, so clicks reach them.
    EXPECT_EQ(m_pDlg->childAt(QPoint(45, 67)), m_pDlg->GetDlgItem(CSearchDialog::IDC_FROM_CURRENT));
}

TEST_F(SearchDialogTest, OpensOnTheLastTextAndTabFollowsTheTemplate) {
    m_strSearch = W("Ан-2");
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    ASSERT_EQ(QApplication::focusWidget(), Edit());
    EXPECT_EQ(Edit()->text(), Q("Ан-2"));
    // Selected, so that typing replaces it.
    EXPECT_EQ(Edit()->selectedText(), Q("Ан-2"));
    EXPECT_TRUE(Control<QRadioButton>(CSearchDialog::IDC_FROM_CURRENT)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(CSearchDialog::IDC_FROM_START)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(CSearchDialog::IDC_WHOLE_WORD)->isChecked());
    std::vector<QString> order;
    for (int i = 0; i < 6; ++i) {
        order.push_back(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The radio group is one tab stop, at its checked button.
    EXPECT_EQ(order,
              (std::vector<QString>{Q("1012"), Q("1013"), Q("1015"), Q("1"), Q("2"), Q("1012")}));
}

TEST_F(SearchDialogTest, EditHasNoLengthLimit) {
    Open();
    const QString strLong(40000, QLatin1Char('x'));
    Edit()->selectAll();
    Edit()->insert(strLong);
    EXPECT_EQ(Edit()->text().size(), 40000);
    Find();
    EXPECT_EQ(m_strSearch, std::string(40000, 'x'));
}

// ---------------------------------------------------------------------------
// "Найти"

// The hit is selected under the wait cursor, which goes afterwards.
TEST_F(SearchDialogTest, LowerCaseTextFindsTheTypeAndIsStoredAsTyped) {
    Open();
    Type("жк");
    Find();
    // "ЖКА" is a longer word; "ЖК-12" ends at the minus sign.
    EXPECT_EQ(m_selections, std::vector<std::int32_t>{2});
    EXPECT_EQ(Selected(), 2);
    EXPECT_TRUE(m_bWaitCursorAtSelection);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(m_strSearch, W("жк"));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
}

TEST_F(SearchDialogTest, MissShowsTheMessageStoresTheTextAndCloses) {
    m_report.m_strTitle = "Справочник";
    Select(6);
    Open();
    Type("ЖК");
    Find();
    // Nothing behind the last item, and no wrap-around to the earlier hits.
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].strText, "Строка не найдена");
    EXPECT_EQ(m_messages[0].strTitle, "Справочник");
    EXPECT_FALSE(m_messages[0].bWaitCursor);
    EXPECT_TRUE(m_selections.empty());
    EXPECT_EQ(Selected(), 6);
    EXPECT_EQ(m_strSearch, W("ЖК"));
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
}

TEST_F(SearchDialogTest, EmptyTextIsAMissAndIsStored) {
    m_strSearch = W("Ан");
    Open();
    Edit()->selectAll();
    QTest::keyClick(Edit(), Qt::Key_Delete);
    ASSERT_TRUE(Edit()->text().isEmpty());
    Find();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_strSearch, "");
}

TEST_F(SearchDialogTest, TextOutsideTheCodePageBecomesQuestionMarks) {
    Open();
    Type("ЖК€");
    Edit()->insert(Q("日"));
    Find();
    EXPECT_EQ(m_strSearch, W("ЖК€") + "?");
}

TEST_F(SearchDialogTest, ThroughTheTreeViewTheHitComesIntoView) {
    CTreeView view(m_ctlTree);
    view.resize(200, 60);
    view.Reset();
    view.show();
    // The hit lies in a collapsed group.
    ASSERT_FALSE(m_ctlTree.IsExpanded(m_tree.GetItemAtPosition(3)));
    m_pDlg = std::make_unique<CSearchDialog>(m_tree, m_strSearch);
    m_pDlg->m_pTreeView = &view;
    m_pDlg->m_pMessages = &m_report;
    m_pDlg->show();
    Type("abc");
    Find();
    const HTREEITEM hHit = m_tree.GetItemAtPosition(5);
    EXPECT_EQ(m_ctlTree.GetSelectedItem(), hHit);
    EXPECT_EQ(view.currentIndex(), view.IndexOf(hHit));
    EXPECT_TRUE(view.isExpanded(view.IndexOf(m_tree.GetItemAtPosition(3))));
    EXPECT_TRUE(view.viewport()->rect().intersects(view.GetItemRect(hHit)));
}

// ---------------------------------------------------------------------------
// Keyboard

// Both options take effect: without whole word "ЖКА" matches, and from the
// start reaches what lies before the selection.
TEST_F(SearchDialogTest, OptionsByKeyboardAlone) {
    Select(6);
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    KeyClicks(QApplication::focusWidget(), Q("жк"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), m_pDlg->GetDlgItem(CSearchDialog::IDC_FROM_CURRENT));
    // The arrow moves within the group and checks the button it reaches.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    ASSERT_EQ(QApplication::focusWidget(), m_pDlg->GetDlgItem(CSearchDialog::IDC_FROM_START));
    EXPECT_TRUE(Control<QRadioButton>(CSearchDialog::IDC_FROM_START)->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), m_pDlg->GetDlgItem(CSearchDialog::IDC_WHOLE_WORD));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_FALSE(Control<QCheckBox>(CSearchDialog::IDC_WHOLE_WORD)->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Selected(), 1);
    EXPECT_FALSE(m_pDlg->isVisible());
}

// ---------------------------------------------------------------------------
// Cancelling

TEST_F(SearchDialogTest, CancelChangesNothingAndTheNextDialogShowsTheLastRun) {
    Open();
    Type("ЖК");
    Find();
    ASSERT_EQ(Selected(), 2);

    Open();
    Type("Ил-14");
    QTest::mouseClick(Control<QRadioButton>(CSearchDialog::IDC_FROM_START), Qt::LeftButton);
    QTest::mouseClick(Control<QCheckBox>(CSearchDialog::IDC_WHOLE_WORD), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(CSearchDialog::IDCANCEL), Qt::LeftButton);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Rejected);
    EXPECT_EQ(m_strSearch, W("ЖК"));
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(m_selections, std::vector<std::int32_t>{2});

    Open();
    EXPECT_EQ(Edit()->text(), Q("ЖК"));
    // Whatever the last dialog had, the options start over.
    EXPECT_TRUE(Control<QRadioButton>(CSearchDialog::IDC_FROM_CURRENT)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(CSearchDialog::IDC_WHOLE_WORD)->isChecked());
}

// ---------------------------------------------------------------------------
// verlumo-db render --search

using SearchDialogRender = CDialogTest<>;

TEST_F(SearchDialogRender, DialogOverTheMainWindow) {
    WriteSearchDatabase(m_dir);
    m_dir.WriteFile(CDatabaseFiles::kCardTemplateName, CardTemplateRtf());
    OpenDialog(2);
    FireTimer();
    m_pDlg->m_strSearch = W("старое");
    const QImage imgMain = m_pDlg->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage image = RenderSearchDialog(*m_pDlg, "Ан-2 日");
    // The dialog is smaller than the main window, so the picture is the main window's size.
    ASSERT_EQ(image.size(), imgMain.size());
    const QRect rcDialog((686 - 356) / 2, (427 - 150) / 2, 356, 150);
    // Outside the dialog and its frame: the main window as it is.
    EXPECT_EQ(image.pixel(5, 5), imgMain.pixel(5, 5));
    EXPECT_EQ(image.pixel(680, 420), imgMain.pixel(680, 420));
    // Inside: the dialog, not the main window.
    int nDiffer = 0;
    for (int y = rcDialog.top(); y <= rcDialog.bottom(); y += 3)
        for (int x = rcDialog.left(); x <= rcDialog.right(); x += 3)
            if (image.pixel(x, y) != imgMain.pixel(x, y))
                ++nDiffer;
    EXPECT_GT(nDiffer, 100);
    EXPECT_EQ(m_pDlg->m_strSearch, W("старое"));
    EXPECT_EQ(m_pDlg->GetTypeTree().GetItemPosition(m_pDlg->m_ctlTree.GetSelectedItem()), 2);
    EXPECT_TRUE(m_warnings.empty());
}

} // namespace
