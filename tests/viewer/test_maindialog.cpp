// The main dialog on the offscreen platform, driven by keys, clicks and
// timer messages, checked by its state and, for the preview, by pixels.
#include "platform/cp1251.h"
#include "platform/qt/richeditview.h"
#include "platform/qt/treeview.h"
#include "viewer/databaseapp.h"
#include "viewer/guidb.h"
#include "viewer/maindialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

class CTestDialog : public CMainDialog {
public:
    using CMainDialog::CMainDialog;

    void ShowItem(std::int32_t nItem) override {
        m_shown.push_back(nItem);
        CMainDialog::ShowItem(nItem);
    }
    void OnImages() override { ++m_nImages; }
    void OnAdditionalData() override { ++m_nAdditional; }

    std::vector<std::int32_t> m_shown;
    int m_nImages = 0;
    int m_nAdditional = 0;
};

class MainDialogTest : public testing::Test {
protected:
    void SetUp() override {
        m_app.m_strDataDir = m_dir.Path();
        m_app.m_fileErrors.m_sink = [this](const std::string&, const std::string& strText) {
            m_warnings.push_back(strText);
        };
    }
    void TearDown() override {
        m_pDlg.reset();
        m_app.Close();
    }

    void Start(std::int32_t nFirstItem = -1, const std::string& strLeaveOut = "",
               bool bTopMost = false) {
        WriteGuiDatabase(m_dir, strLeaveOut);
        m_app.m_cmdInfo.m_bTopMost = bTopMost;
        m_app.OpenDataFiles();
        m_nFirstItem = nFirstItem;
        m_pDlg = std::make_unique<CTestDialog>(&m_nFirstItem, nullptr, &m_app);
        m_pDlg->Create();
        QApplication::processEvents();
    }

    CTreeView* Tree() const { return m_pDlg->GetTreeView(); }
    HTREEITEM Item(std::int32_t nPosition) const {
        return m_pDlg->GetTypeTree().GetItemAtPosition(nPosition);
    }
    void Select(std::int32_t nPosition) { Tree()->SelectItem(Item(nPosition)); }
    // What the selection timer does when it fires.
    void FireTimer() {
        ASSERT_TRUE(m_pDlg->IsTimerPending(m_pDlg->m_nTimerID));
        m_pDlg->SendTimerMessage(m_pDlg->m_nTimerID);
        QApplication::processEvents();
    }
    void ShowCard(std::int32_t nPosition) {
        Select(nPosition);
        FireTimer();
    }
    std::string Pane(const CRichEditCtrl& ctl) const { return cp1251::ToUtf8(ctl.GetText()); }
    QPushButton* Button(int nID) const {
        return qobject_cast<QPushButton*>(m_pDlg->GetDlgItem(nID));
    }
    QString PictureCount() const {
        return qobject_cast<QLineEdit*>(m_pDlg->GetDlgItem(CMainDialog::IDC_PICTURES))->text();
    }

    CTempDir m_dir;
    CDatabaseApp m_app;
    std::vector<std::string> m_warnings;
    std::int32_t m_nFirstItem = -1;
    std::unique_ptr<CTestDialog> m_pDlg;
};

// ---------------------------------------------------------------------------
// Template 102.

struct CControlRow {
    int nID;
    const char* pszClass;
    const char* pszText;
    QRect rcPixels; // dialog units through base units 6 x 13
};

class MainDialogLayout : public MainDialogTest, public testing::WithParamInterface<CControlRow> {};

TEST_P(MainDialogLayout, ControlStandsWhereTheTemplateSays) {
    Start();
    const CControlRow& row = GetParam();
    QWidget* pWidget = m_pDlg->GetDlgItem(row.nID);
    ASSERT_NE(pWidget, nullptr) << row.nID;
    EXPECT_TRUE(pWidget->inherits(row.pszClass)) << pWidget->metaObject()->className();
    EXPECT_EQ(pWidget->geometry(), row.rcPixels);
    if (auto* pButton = qobject_cast<QPushButton*>(pWidget)) {
        EXPECT_EQ(pButton->text(), QString::fromUtf8(row.pszText));
        // Every caption fits its button with room for the frame.
        EXPECT_LT(pButton->fontMetrics().horizontalAdvance(pButton->text()), pButton->width() - 8);
    }
    EXPECT_TRUE(pWidget->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(pWidget->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Template102, MainDialogLayout,
    testing::Values(
        CControlRow{1002, "QTreeView", "", QRect(11, 11, 215, 405)},
        CControlRow{1007, "QPushButton", "Дополнительные данные...", QRect(251, 393, 153, 23)},
        CControlRow{1004, "QPushButton", "Изображения...", QRect(473, 393, 107, 23)},
        CControlRow{1011, "QPushButton", "Поиск по основным данным", QRect(234, 189, 215, 23)},
        CControlRow{1, "QPushButton", "Выход", QRect(600, 393, 75, 23)},
        CControlRow{1000, "QTextEdit", "", QRect(234, 11, 215, 171)},
        CControlRow{1001, "QTextEdit", "", QRect(234, 221, 186, 164)},
        CControlRow{1003, "QTextEdit", "", QRect(461, 11, 215, 200)},
        // 240 x 160 inside a one-pixel border.
        CControlRow{1005, "QWidget", "", QRect(432, 221, 242, 162)},
        CControlRow{1006, "QLineEdit", "", QRect(432, 393, 38, 23)}),
    [](const testing::TestParamInfo<CControlRow>& info) {
        return "Control" + std::to_string(info.param.nID);
    });

TEST_F(MainDialogTest, DialogFrameAndButtons) {
    Start();
    EXPECT_EQ(m_pDlg->size(), QSize(686, 427));
    EXPECT_EQ(m_pDlg->windowTitle(),
              QStringLiteral("Фирма \"КОРВ\". База данных по типам воздушных судов"));
    EXPECT_TRUE(Button(CMainDialog::IDOK)->isDefault());
    EXPECT_FALSE(m_pDlg->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(m_pDlg->windowIcon().isNull());
    EXPECT_EQ(m_pDlg->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    EXPECT_EQ(m_pDlg->font().pointSize(), 8);
}

TEST_F(MainDialogTest, FocusStartsOnTheTreeAndTabFollowsTheTemplate) {
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    ASSERT_EQ(QApplication::focusWidget(), Tree());
    std::vector<QString> order;
    for (int i = 0; i < 10; ++i) {
        order.push_back(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const std::vector<QString> want = {QStringLiteral("1002"), QStringLiteral("1011"),
                                       QStringLiteral("1"),    QStringLiteral("1000"),
                                       QStringLiteral("1001"), QStringLiteral("1003"),
                                       QStringLiteral("1005"), QStringLiteral("1006"),
                                       QStringLiteral("1002"), QStringLiteral("1011")};
    // 1007 and 1004 are disabled until a card is shown, so Tab passes them.
    EXPECT_EQ(order, want);
}

TEST_F(MainDialogTest, TabOrderWithTheCardButtonsEnabled) {
    Start(1);
    FireTimer();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    Tree()->setFocus();
    std::vector<QString> order;
    for (int i = 0; i < 4; ++i) {
        order.push_back(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<QString>{QStringLiteral("1002"), QStringLiteral("1007"),
                                           QStringLiteral("1004"), QStringLiteral("1011")}));
}

TEST_F(MainDialogTest, PreviewAreaIsExactlyTheGreyRectangle) {
    Start();
    const QImage image = m_pDlg->GetDlgItem(CMainDialog::IDC_PREVIEW)
                             ->grab()
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(242, 162));
    const QRgb grey = qRgb(194, 194, 194);
    int nGrey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == grey)
                ++nGrey;
    EXPECT_EQ(nGrey, 240 * 160);
    EXPECT_EQ(image.pixel(1, 1), grey);
    EXPECT_EQ(image.pixel(240, 160), grey);
    EXPECT_NE(image.pixel(0, 0), grey);
    EXPECT_NE(image.pixel(241, 161), grey);
}

// ---------------------------------------------------------------------------
// Start, selection and the timer.

TEST_F(MainDialogTest, WithoutARememberedItemNothingIsSelected) {
    Start(-1);
    EXPECT_EQ(m_pDlg->m_hSelectedItem, 0u);
    EXPECT_EQ(m_pDlg->m_ctlTree.GetSelectedItem(), 0u);
    EXPECT_FALSE(m_pDlg->IsTimerPending(1));
    EXPECT_FALSE(Button(CMainDialog::IDC_IMAGES)->isEnabled());
    EXPECT_FALSE(Button(CMainDialog::IDC_ADDITIONAL)->isEnabled());
    EXPECT_TRUE(Button(CMainDialog::IDC_SEARCH)->isEnabled());
    EXPECT_EQ(PictureCount(), QStringLiteral("0"));
    // Captions only, each pane its section; read-only.
    EXPECT_EQ(Pane(m_pDlg->m_ctlGeneral).rfind("Фирма:\r\nСтрана:\r\n", 0), 0u);
    EXPECT_EQ(Pane(m_pDlg->m_ctlSpecs).rfind("ТТХ\r\n", 0), 0u);
    EXPECT_EQ(Pane(m_pDlg->m_ctlSpeeds).rfind("Скорости\r\n", 0), 0u);
    for (const CRichEditCtrl* p :
         {&m_pDlg->m_ctlGeneral, &m_pDlg->m_ctlSpecs, &m_pDlg->m_ctlSpeeds})
        EXPECT_TRUE(p->IsReadOnly());
    // Only the first top-level item is open.
    EXPECT_TRUE(Tree()->isExpanded(Tree()->IndexOf(Item(0))));
    EXPECT_FALSE(Tree()->isExpanded(Tree()->IndexOf(Item(4))));
    EXPECT_FALSE(Tree()->isExpanded(Tree()->IndexOf(Item(8))));
    EXPECT_TRUE(m_warnings.empty());
}

TEST_F(MainDialogTest, RememberedItemIsSelectedAndShownOneTimerLater) {
    Start(7);
    EXPECT_EQ(m_pDlg->m_hSelectedItem, Item(7));
    EXPECT_EQ(Tree()->currentIndex(), Tree()->IndexOf(Item(7)));
    EXPECT_TRUE(Tree()->isExpanded(Tree()->IndexOf(Item(4))));
    EXPECT_TRUE(m_pDlg->IsTimerPending(1));
    EXPECT_TRUE(m_pDlg->m_shown.empty());
    // The real timer, not a shortcut to it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_pDlg->m_shown.empty(); }, 5000));
    EXPECT_EQ(m_pDlg->m_shown, std::vector<std::int32_t>{2});
    EXPECT_FALSE(m_pDlg->IsTimerPending(1));
    EXPECT_NE(Pane(m_pDlg->m_ctlGeneral).find("Фирма: ОКБ Миля\r\n"), std::string::npos);
}

TEST_F(MainDialogTest, RememberedPositionBeyondTheTreeSelectsNothing) {
    Start(10);
    EXPECT_EQ(m_pDlg->m_hSelectedItem, 0u);
    EXPECT_FALSE(m_pDlg->IsTimerPending(1));
}

TEST_F(MainDialogTest, FiveSelectionChangesLoadOneCard) {
    Start(9); // Бланик: selected at start, the timer is pending
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(Tree(), Qt::Key_Up); // Планеры, Вертолёты, Як-42, Ил-62, Ту-154
    EXPECT_EQ(m_pDlg->m_hSelectedItem, Item(1));
    EXPECT_EQ(m_pDlg->m_nCurrentItem, 0);
    EXPECT_TRUE(m_pDlg->m_shown.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_pDlg->m_shown.empty(); }, 5000));
    // The timer fires once per rest: nothing is pending any more.
    EXPECT_FALSE(m_pDlg->IsTimerPending(1));
    QTest::qWait(50);
    EXPECT_EQ(m_pDlg->m_shown, std::vector<std::int32_t>{0});
    EXPECT_NE(Pane(m_pDlg->m_ctlGeneral).find("Фирма: ОКБ Туполева\r\n"), std::string::npos);
}

TEST_F(MainDialogTest, ForeignTimerChangesNothing) {
    Start(1);
    const std::string strBefore = Pane(m_pDlg->m_ctlGeneral);
    for (unsigned nID : {0u, 2u, 300u, 0xFFFFFFFFu})
        m_pDlg->SendTimerMessage(nID);
    EXPECT_TRUE(m_pDlg->m_shown.empty());
    EXPECT_TRUE(m_pDlg->IsTimerPending(1));
    EXPECT_EQ(Pane(m_pDlg->m_ctlGeneral), strBefore);
    EXPECT_FALSE(Button(CMainDialog::IDC_IMAGES)->isEnabled());
    EXPECT_TRUE(m_pDlg->m_ctlGeneral.IsReadOnly());
    FireTimer();
    EXPECT_EQ(m_pDlg->m_shown, std::vector<std::int32_t>{0});
}

struct CRuleRow {
    std::int32_t nPosition;
    const char* pszCount;
    bool bImages, bAdditional;
};

void PrintTo(const CRuleRow& row, std::ostream* pOut) {
    *pOut << "position " << row.nPosition;
}

class ShownCardRules : public MainDialogTest, public testing::WithParamInterface<CRuleRow> {};

TEST_P(ShownCardRules, ButtonsAndCountFollowTheCard) {
    Start();
    // Another card first, so every row must change something back.
    ShowCard(GetParam().nPosition == 1 ? 7 : 1);
    ShowCard(GetParam().nPosition);
    EXPECT_EQ(PictureCount(), QString::fromUtf8(GetParam().pszCount));
    EXPECT_EQ(Button(CMainDialog::IDC_IMAGES)->isEnabled(), GetParam().bImages);
    EXPECT_EQ(Button(CMainDialog::IDC_ADDITIONAL)->isEnabled(), GetParam().bAdditional);
    EXPECT_TRUE(Button(CMainDialog::IDC_SEARCH)->isEnabled());
    EXPECT_TRUE(Button(CMainDialog::IDOK)->isEnabled());
    EXPECT_FALSE(m_pDlg->m_bPreview);
    for (const CRichEditCtrl* p :
         {&m_pDlg->m_ctlGeneral, &m_pDlg->m_ctlSpecs, &m_pDlg->m_ctlSpeeds})
        EXPECT_TRUE(p->IsReadOnly());
}

INSTANTIATE_TEST_SUITE_P(
    Items, ShownCardRules,
    testing::Values(CRuleRow{1, "4", true, true}, CRuleRow{2, "0", false, true},
                    CRuleRow{5, "1", true, true}, CRuleRow{7, "-3", false, true},
                    CRuleRow{4, "0", false, false}, CRuleRow{0, "0", false, false}));

TEST_F(MainDialogTest, GroupEmptiesTheValues) {
    Start();
    ShowCard(1);
    ShowCard(0);
    EXPECT_EQ(Pane(m_pDlg->m_ctlGeneral).rfind("Фирма: \r\nСтрана: \r\n", 0), 0u);
    EXPECT_NE(Pane(m_pDlg->m_ctlSpeeds).find("Максимальная, км/ч: \r\n"), std::string::npos);
}

TEST_F(MainDialogTest, ValuesAreDrawnInBlue) {
    Start();
    auto bluePixels = [&] {
        CRichEditView* pView = m_pDlg->GetPaneView(CMainDialog::IDC_GENERAL);
        pView->Refresh();
        const QImage image = pView->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                n += qBlue(p) > 180 && qRed(p) < 90 && qGreen(p) < 90;
            }
        return n;
    };
    EXPECT_EQ(bluePixels(), 0);
    ShowCard(1);
    EXPECT_GT(bluePixels(), 50);
    ShowCard(0);
    EXPECT_EQ(bluePixels(), 0);
}

// ---------------------------------------------------------------------------
// F2 and F3 in the tree.

struct CKeyRow {
    std::int32_t nShown; // position of the shown card, -1 for none
    int nImages, nAdditional;
};

void PrintTo(const CKeyRow& row, std::ostream* pOut) {
    *pOut << "shown " << row.nShown;
}

class TreeFunctionKeys : public MainDialogTest, public testing::WithParamInterface<CKeyRow> {};

TEST_P(TreeFunctionKeys, ActOnlyWhereTheButtonsWould) {
    Start();
    if (GetParam().nShown >= 0)
        ShowCard(GetParam().nShown);
    QTest::keyClick(Tree(), Qt::Key_F2);
    QTest::keyClick(Tree(), Qt::Key_F3);
    EXPECT_EQ(m_pDlg->m_nImages, GetParam().nImages);
    EXPECT_EQ(m_pDlg->m_nAdditional, GetParam().nAdditional);
    EXPECT_EQ(m_pDlg->m_nImages > 0, Button(CMainDialog::IDC_IMAGES)->isEnabled());
    EXPECT_EQ(m_pDlg->m_nAdditional > 0, Button(CMainDialog::IDC_ADDITIONAL)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Cards, TreeFunctionKeys,
                         testing::Values(CKeyRow{-1, 0, 0}, // before any card
                                         CKeyRow{1, 1, 1},  // pictures
                                         CKeyRow{2, 0, 1},  // no pictures
                                         CKeyRow{7, 0, 1},  // a negative count
                                         CKeyRow{4, 0, 0}   // a group
                                         ));

TEST_F(MainDialogTest, FunctionKeysFollowTheShownCardNotThePendingSelection) {
    Start();
    ShowCard(1);
    Select(4); // a group, not shown yet
    QTest::keyClick(Tree(), Qt::Key_F3);
    EXPECT_EQ(m_pDlg->m_nAdditional, 1);
    FireTimer();
    QTest::keyClick(Tree(), Qt::Key_F3);
    QTest::keyClick(Tree(), Qt::Key_F1);
    EXPECT_EQ(m_pDlg->m_nAdditional, 1);
    EXPECT_EQ(m_pDlg->m_nImages, 0);
}

// ---------------------------------------------------------------------------
// Closing.

enum class EClose { exitButton, escape, closeBox, enterInTree };

struct CCloseRow {
    EClose eHow;
    std::int32_t nSelect; // -1: nothing selected
    bool bCollapseSelected;
    std::int32_t nWant;
};

void PrintTo(const CCloseRow& row, std::ostream* pOut) {
    *pOut << "way " << static_cast<int>(row.eHow) << ", position " << row.nSelect
          << (row.bCollapseSelected ? ", collapsed" : "");
}

class MainDialogClosing : public MainDialogTest, public testing::WithParamInterface<CCloseRow> {};

TEST_P(MainDialogClosing, StoresThePreOrderPosition) {
    const CCloseRow& row = GetParam();
    Start();
    if (row.nSelect >= 0) {
        Select(row.nSelect);
        Tree()->Expand(Item(row.nSelect), row.bCollapseSelected ? TVE_COLLAPSE : TVE_EXPAND);
    }
    m_nFirstItem = 1234;
    switch (row.eHow) {
    case EClose::exitButton:
        QTest::mouseClick(Button(CMainDialog::IDOK), Qt::LeftButton);
        break;
    case EClose::escape:
        QTest::keyClick(Tree(), Qt::Key_Escape);
        break;
    case EClose::closeBox:
        m_pDlg->close();
        break;
    case EClose::enterInTree:
        QTest::keyClick(Tree(), Qt::Key_Return);
        break;
    }
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_nFirstItem, row.nWant);
}

INSTANTIATE_TEST_SUITE_P(Ways, MainDialogClosing,
                         testing::Values(CCloseRow{EClose::exitButton, -1, false, -1},
                                         CCloseRow{EClose::escape, -1, false, -1},
                                         CCloseRow{EClose::closeBox, -1, false, -1},
                                         CCloseRow{EClose::enterInTree, -1, false, -1},
                                         CCloseRow{EClose::exitButton, 5, false, 5},
                                         CCloseRow{EClose::exitButton, 5, true, 5},
                                         CCloseRow{EClose::escape, 5, true, 5},
                                         CCloseRow{EClose::closeBox, 5, false, 5},
                                         CCloseRow{EClose::enterInTree, 5, true, 5},
                                         CCloseRow{EClose::enterInTree, 9, false, 9},
                                         CCloseRow{EClose::escape, 0, false, 0}));

TEST_F(MainDialogTest, CollapsingTheBranchOfTheSelectionSelectsTheBranch) {
    Start(6); // Ми-24В under Ми-24 under Вертолёты
    Tree()->collapse(Tree()->IndexOf(Item(4)));
    EXPECT_EQ(m_pDlg->m_hSelectedItem, Item(4));
    QTest::mouseClick(Button(CMainDialog::IDOK), Qt::LeftButton);
    EXPECT_EQ(m_nFirstItem, 4);
}

TEST_F(MainDialogTest, EmptyTreeStoresMinusOne) {
    WriteGuiDatabase(m_dir);
    m_dir.WriteFile("Tree.dat", "");
    m_app.OpenDataFiles();
    m_nFirstItem = 0;
    CTestDialog dlg(&m_nFirstItem, nullptr, &m_app);
    dlg.Create();
    EXPECT_EQ(dlg.m_ctlTree.GetCount(), 0u);
    QTest::keyClick(dlg.GetTreeView(), Qt::Key_Down);
    QTest::keyClick(dlg.GetTreeView(), Qt::Key_Return);
    EXPECT_EQ(m_nFirstItem, -1);
}

// ---------------------------------------------------------------------------
// "tm", and errors of the data files.

TEST_F(MainDialogTest, TopMostFlagKeepsTheWindowAbove) {
    Start(-1, "", true);
    EXPECT_TRUE(m_pDlg->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(m_pDlg->size(), QSize(686, 427));
    EXPECT_TRUE(m_pDlg->isVisible());
}

TEST_F(MainDialogTest, MissingTemplateLeavesThePanesEmptyWithOneWarning) {
    Start(1, "Static texts.rtf");
    ASSERT_EQ(m_warnings.size(), 1u);
    EXPECT_NE(m_warnings[0].find("Static texts.rtf"), std::string::npos);
    EXPECT_EQ(m_pDlg->m_ctlGeneral.GetTextLength(), 0);
    EXPECT_EQ(m_pDlg->m_ctlSpecs.GetTextLength(), 0);
    // The start went on: tree, selection, card state.
    EXPECT_EQ(m_pDlg->m_ctlTree.GetCount(), 10u);
    FireTimer();
    EXPECT_EQ(m_pDlg->m_ctlSpeeds.GetTextLength(), 0);
    EXPECT_EQ(PictureCount(), QStringLiteral("4"));
    EXPECT_EQ(m_warnings.size(), 1u);
}

TEST_F(MainDialogTest, UnreadableRecordsWarnOnceAndSkipTheRestOfTheMessage) {
    Start(1, "AircraftItems.dat");
    EXPECT_TRUE(m_warnings.empty());
    const std::string strBefore = Pane(m_pDlg->m_ctlGeneral);
    FireTimer();
    ASSERT_EQ(m_warnings.size(), 1u);
    EXPECT_NE(m_warnings[0].find("AircraftItems.dat"), std::string::npos);
    EXPECT_EQ(Pane(m_pDlg->m_ctlGeneral), strBefore);
    EXPECT_EQ(PictureCount(), QStringLiteral("0"));
    EXPECT_FALSE(Button(CMainDialog::IDC_ADDITIONAL)->isEnabled());
    // The panes never stay writable.
    for (const CRichEditCtrl* p :
         {&m_pDlg->m_ctlGeneral, &m_pDlg->m_ctlSpecs, &m_pDlg->m_ctlSpeeds})
        EXPECT_TRUE(p->IsReadOnly());
    ShowCard(2);
    EXPECT_EQ(m_warnings.size(), 1u);
    // A group reads no record: its card shows.
    ShowCard(0);
    EXPECT_EQ(Pane(m_pDlg->m_ctlGeneral).rfind("Фирма: \r\n", 0), 0u);
    EXPECT_TRUE(m_pDlg->isVisible());
}

TEST_F(MainDialogTest, MissingStringPoolEndsTheStartWithOneWarning) {
    Start(1, "Strings.dat");
    ASSERT_EQ(m_warnings.size(), 1u);
    EXPECT_NE(m_warnings[0].find("Strings.dat"), std::string::npos);
    EXPECT_EQ(m_pDlg->m_ctlTree.GetCount(), 0u);
    EXPECT_TRUE(m_pDlg->isVisible());
    QTest::mouseClick(Button(CMainDialog::IDOK), Qt::LeftButton);
    EXPECT_EQ(m_nFirstItem, -1);
}

} // namespace
