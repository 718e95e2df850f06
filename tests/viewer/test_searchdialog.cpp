// The search dialog on the offscreen platform: typed into, clicked and
// keyed like a user would, checked by the tree's selection, the stored
// search text and the messages it gave.
#include "data/databasefiles.h"
#include "mainwnd/typetree.h"
#include "platform/cp1251.h"
#include "platform/qt/treeview.h"
#include "platform/treectrl.h"
#include "search/searchwalk.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/render/dbrenderdialogs.h"
#include "viewer/databaseapp.h"
#include "viewer/maindialog.h"
#include "viewer/searchdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string W(std::string_view strUtf8) {
    return cp1251::FromUtf8(strUtf8).value();
}

QString Q(const char* pszUtf8) {
    return QString::fromUtf8(pszUtf8);
}

// Tree, in pre-order; the names are slot 5, the other fields hold nothing
// that the tests search for:
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
        rec.firm = db.AddString(W("Завод"));
        rec.country = db.AddString(W("СССР"));
        rec.model = db.AddString(W("М"));
        rec.type = db.AddString(W("самолёт"));
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

struct CControlRow {
    int nID;
    const char* pszClass;
    const char* pszText;
    QRect rcPixels; // dialog units through base units 6 x 13
};

void PrintTo(const CControlRow& row, std::ostream* pOut) {
    *pOut << "control " << row.nID;
}

class SearchDialogLayout : public SearchDialogTest,
                           public testing::WithParamInterface<CControlRow> {};

TEST_P(SearchDialogLayout, ControlStandsWhereTheTemplateSays) {
    Open();
    const CControlRow& row = GetParam();
    QWidget* pWidget = m_pDlg->GetDlgItem(row.nID);
    ASSERT_NE(pWidget, nullptr) << row.nID;
    EXPECT_TRUE(pWidget->inherits(row.pszClass)) << pWidget->metaObject()->className();
    EXPECT_EQ(pWidget->geometry(), row.rcPixels);
    if (auto* pButton = dynamic_cast<QAbstractButton*>(pWidget)) {
        EXPECT_EQ(pButton->text(), Q(row.pszText));
        // The caption fits, with room for a radio or check mark where there is one.
        const int nMark = pButton->inherits("QPushButton") ? 8 : 20;
        EXPECT_LT(pButton->fontMetrics().horizontalAdvance(pButton->text()),
                  pButton->width() - nMark);
    }
    EXPECT_TRUE(pWidget->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(pWidget->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Template130, SearchDialogLayout,
    testing::Values(CControlRow{1012, "QLineEdit", "", QRect(92, 11, 254, 23)},
                    CControlRow{1013, "QRadioButton", "от текущего элемента",
                                QRect(38, 59, 138, 16)},
                    CControlRow{1014, "QRadioButton", "от начала базы", QRect(215, 59, 102, 16)},
                    CControlRow{1015, "QCheckBox", "Только целое слово", QRect(114, 91, 128, 16)},
                    CControlRow{1, "QPushButton", "Найти", QRect(65, 115, 75, 23)},
                    CControlRow{2, "QPushButton", "Отменить поиск", QRect(177, 115, 113, 23)}),
    [](const testing::TestParamInfo<CControlRow>& info) {
        return "Control" + std::to_string(info.param.nID);
    });

TEST_F(SearchDialogTest, FrameLabelAndGroupBox) {
    Open();
    EXPECT_EQ(m_pDlg->size(), QSize(356, 150));
    EXPECT_EQ(m_pDlg->minimumSize(), m_pDlg->maximumSize());
    EXPECT_EQ(m_pDlg->windowTitle(), Q("Поиск по полям: фирма, страна, модель, тип, имя"));
    EXPECT_EQ(m_pDlg->font().pointSize(), 8);
    EXPECT_TRUE(FindButton()->isDefault());
    EXPECT_FALSE(Control<QPushButton>(CSearchDialog::IDCANCEL)->isDefault());

    const auto labels = m_pDlg->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), Q("Строка поиска:"));
    EXPECT_EQ(labels[0]->geometry(), QRect(11, 20, 80, 13));
    const auto groups = m_pDlg->findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0]->title(), Q("Начинать поиск"));
    EXPECT_EQ(groups[0]->geometry(), QRect(11, 41, 335, 41));
    // The buttons lie on the frame, above it, so clicks reach them.
    EXPECT_EQ(m_pDlg->childAt(QPoint(45, 67)), m_pDlg->GetDlgItem(CSearchDialog::IDC_FROM_CURRENT));
}

TEST_F(SearchDialogTest, OpensWithTheLastTextFromTheCurrentItemAndWholeWord) {
    m_strSearch = W("Ан-2");
    CSearchDialog dlg(m_tree, m_strSearch);
    // Until it opens, the members are those of the construction.
    EXPECT_EQ(dlg.m_strFind, m_strSearch);
    EXPECT_EQ(dlg.m_nStartFrom, -1);
    EXPECT_EQ(dlg.m_bWholeWord, 0);
    dlg.show();
    EXPECT_EQ(dlg.m_nStartFrom, kStartFromCurrent);
    EXPECT_EQ(dlg.m_bWholeWord, 1);
    auto* pEdit = dynamic_cast<QLineEdit*>(dlg.GetDlgItem(CSearchDialog::IDC_FIND));
    EXPECT_EQ(pEdit->text(), Q("Ан-2"));
    // Selected, so that typing replaces it.
    EXPECT_EQ(pEdit->selectedText(), Q("Ан-2"));
    EXPECT_TRUE(dynamic_cast<QRadioButton*>(dlg.GetDlgItem(1013))->isChecked());
    EXPECT_FALSE(dynamic_cast<QRadioButton*>(dlg.GetDlgItem(1014))->isChecked());
    EXPECT_TRUE(dynamic_cast<QCheckBox*>(dlg.GetDlgItem(1015))->isChecked());
}

TEST_F(SearchDialogTest, FocusStartsInTheEditAndTabFollowsTheTemplate) {
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    ASSERT_EQ(QApplication::focusWidget(), Edit());
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

TEST_F(SearchDialogTest, LowerCaseTextFindsTheTypeAndIsStoredAsTyped) {
    Open();
    Type("жк");
    Find();
    // "ЖКА" is a longer word; "ЖК-12" ends at the minus sign.
    EXPECT_EQ(m_selections, std::vector<std::int32_t>{2});
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(m_strSearch, W("жк"));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
}

TEST_F(SearchDialogTest, HitIsSelectedUnderTheWaitCursorWhichGoesAfterwards) {
    Open();
    Type("ЖК");
    Find();
    ASSERT_EQ(m_selections.size(), 1u);
    EXPECT_TRUE(m_bWaitCursorAtSelection);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SearchDialogTest, WithoutWholeWordTheLongerWordMatches) {
    Open();
    Type("жк");
    QTest::mouseClick(Control<QCheckBox>(CSearchDialog::IDC_WHOLE_WORD), Qt::LeftButton);
    ASSERT_FALSE(Control<QCheckBox>(CSearchDialog::IDC_WHOLE_WORD)->isChecked());
    Find();
    EXPECT_EQ(Selected(), 1);
}

TEST_F(SearchDialogTest, FromTheCurrentItemStartsBehindIt) {
    Select(2);
    Open();
    Type("ЖК");
    Find();
    // Not 2 itself, and not 4 ("ЖК_2": the underscore belongs to the word).
    EXPECT_EQ(Selected(), 6);
}

TEST_F(SearchDialogTest, FromTheStartOfTheBase) {
    Select(6);
    Open();
    Type("ЖК");
    QTest::mouseClick(Control<QRadioButton>(CSearchDialog::IDC_FROM_START), Qt::LeftButton);
    EXPECT_FALSE(Control<QRadioButton>(CSearchDialog::IDC_FROM_CURRENT)->isChecked());
    Find();
    EXPECT_EQ(m_pDlg->m_nStartFrom, kStartFromBeginning);
    EXPECT_EQ(Selected(), 2);
}

TEST_F(SearchDialogTest, MissShowsTheMessageStoresTheTextAndCloses) {
    Select(6);
    Open();
    Type("ЖК");
    Find();
    // Nothing behind the last item, and no wrap-around to the earlier hits.
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].strText, "Строка не найдена");
    EXPECT_EQ(m_messages[0].strTitle, "Verlumo");
    EXPECT_FALSE(m_messages[0].bWaitCursor);
    EXPECT_TRUE(m_selections.empty());
    EXPECT_EQ(Selected(), 6);
    EXPECT_EQ(m_strSearch, W("ЖК"));
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
}

TEST_F(SearchDialogTest, OnlyTheFirstOccurrenceIsJudgedAsAWord) {
    m_report.m_strTitle = "Справочник";
    Open();
    Type("AB");
    Find();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].strTitle, "Справочник");
    EXPECT_TRUE(m_selections.empty());
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

// ---------------------------------------------------------------------------
// Keyboard

TEST_F(SearchDialogTest, EnterInTheEditRunsTheSearch) {
    Open();
    Type("жк");
    QTest::keyClick(Edit(), Qt::Key_Return);
    EXPECT_EQ(Selected(), 2);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
}

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

TEST_F(SearchDialogTest, EscapeClosesWithoutSearching) {
    m_strSearch = W("старое");
    Open();
    Type("ЖК");
    QTest::keyClick(Edit(), Qt::Key_Escape);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Rejected);
    EXPECT_EQ(m_strSearch, W("старое"));
    EXPECT_TRUE(m_selections.empty());
    EXPECT_TRUE(m_messages.empty());
}

// ---------------------------------------------------------------------------
// The main dialog's entry point, modal as OnSearch runs it

TEST_F(SearchDialogTest, RunSearchIsOneModalRun) {
    m_strSearch = W("Ан");
    QString strShown;
    bool bDriven = false;
    QTimer::singleShot(0, [&] {
        auto* pDlg = dynamic_cast<CSearchDialog*>(QApplication::activeModalWidget());
        if (!pDlg)
            return;
        bDriven = true;
        auto* pEdit = dynamic_cast<QLineEdit*>(pDlg->GetDlgItem(CSearchDialog::IDC_FIND));
        strShown = pEdit->text();
        KeyClicks(pEdit, Q("жк-12"));
        QTest::mouseClick(dynamic_cast<QPushButton*>(pDlg->GetDlgItem(CSearchDialog::IDOK)),
                          Qt::LeftButton);
    });
    const int nResult = CSearchDialog::RunSearch(nullptr, m_tree, m_strSearch, &m_report);
    ASSERT_TRUE(bDriven);
    EXPECT_EQ(nResult, QDialog::Accepted);
    EXPECT_EQ(strShown, Q("Ан"));
    EXPECT_EQ(m_strSearch, W("жк-12"));
    EXPECT_EQ(Selected(), 2);
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
// verlumo-db render --search

TEST(SearchDialogRender, DialogOverTheMainWindow) {
    CTempDir dir;
    WriteSearchDatabase(dir);
    dir.WriteFile(CDatabaseFiles::kCardTemplateName, CardTemplateRtf());
    CDatabaseApp app;
    app.m_strDataDir = dir.Path();
    std::vector<std::string> warnings;
    app.m_fileErrors.m_sink = [&](const std::string&, const std::string& strText) {
        warnings.push_back(strText);
    };
    app.OpenDataFiles();
    std::int32_t nFirstItem = 2;
    {
        CMainDialog dlg(&nFirstItem, nullptr, &app);
        dlg.Create();
        dlg.SendTimerMessage(dlg.m_nTimerID);
        dlg.m_strSearch = W("старое");
        const QImage imgMain = dlg.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage image = RenderSearchDialog(dlg, "Ан-2 日");
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
        EXPECT_EQ(dlg.m_strSearch, W("старое"));
        EXPECT_EQ(dlg.GetTypeTree().GetItemPosition(dlg.m_ctlTree.GetSelectedItem()), 2);
    }
    app.Close();
    EXPECT_TRUE(warnings.empty());
}

} // namespace
