// The main dialog on the offscreen platform, driven by keys, clicks and
// timer messages, checked by its state and, for the preview, by pixels.
#include "platform/cp1251.h"
#include "platform/qt/richeditview.h"
#include "viewer/guidb.h"

#include <QLineEdit>
#include <QTest>

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

class MainDialogTest : public CDialogTest<CTestDialog> {
protected:
    void Start(std::int32_t nFirstItem = -1, const std::string& strLeaveOut = "") {
        WriteGuiDatabase(m_dir, strLeaveOut);
        OpenDialog(nFirstItem);
    }
    std::string Pane(const CRichEditCtrl& ctl) const { return cp1251::ToUtf8(ctl.GetText()); }
    QString PictureCount() const {
        return qobject_cast<QLineEdit*>(m_pDlg->GetDlgItem(CMainDialog::IDC_PICTURES))->text();
    }
};

// ---------------------------------------------------------------------------
// Template 102.

TEST_F(MainDialogTest, DialogFrameAndButtons) {
    Start();
    EXPECT_EQ(m_pDlg->size(), QSize(686, 427));
    EXPECT_TRUE(Button(CMainDialog::IDOK)->isDefault());
    EXPECT_FALSE(m_pDlg->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(m_pDlg->windowIcon().isNull());
    EXPECT_EQ(m_pDlg->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    ExpectCaptionsFit(*m_pDlg);
}

// Every control is a tab stop in the template's order, the card buttons once
// a card is shown.
TEST_F(MainDialogTest, FocusStartsOnTheTreeAndTabFollowsTheTemplate) {
    Start(1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    ASSERT_EQ(QApplication::focusWidget(), Tree());
    FireTimer();
    std::vector<QString> order;
    for (int i = 0; i < 11; ++i) {
        order.push_back(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const std::vector<QString> want = {Q("1002"), Q("1007"), Q("1004"), Q("1011"),
                                       Q("1"),    Q("1000"), Q("1001"), Q("1003"),
                                       Q("1005"), Q("1006"), Q("1002")};
    EXPECT_EQ(order, want);
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
    // No card: F2 and F3 do nothing.
    QTest::keyClick(Tree(), Qt::Key_F2);
    QTest::keyClick(Tree(), Qt::Key_F3);
    EXPECT_EQ(m_pDlg->m_nImages + m_pDlg->m_nAdditional, 0);
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

TEST_P(ShownCardRules, ButtonsKeysAndCountFollowTheCard) {
    Start();
    // Another card first, so every row must change something back.
    ShowCard(GetParam().nPosition == 1 ? 7 : 1);
    ShowCard(GetParam().nPosition);
    EXPECT_EQ(PictureCount(), QString::fromUtf8(GetParam().pszCount));
    EXPECT_EQ(Button(CMainDialog::IDC_IMAGES)->isEnabled(), GetParam().bImages);
    EXPECT_EQ(Button(CMainDialog::IDC_ADDITIONAL)->isEnabled(), GetParam().bAdditional);
    EXPECT_FALSE(m_pDlg->m_bPreview);
    for (const CRichEditCtrl* p :
         {&m_pDlg->m_ctlGeneral, &m_pDlg->m_ctlSpecs, &m_pDlg->m_ctlSpeeds})
        EXPECT_TRUE(p->IsReadOnly());
    // F2 and F3 in the tree act only where the buttons would.
    QTest::keyClick(Tree(), Qt::Key_F2);
    QTest::keyClick(Tree(), Qt::Key_F3);
    EXPECT_EQ(m_pDlg->m_nImages, GetParam().bImages ? 1 : 0);
    EXPECT_EQ(m_pDlg->m_nAdditional, GetParam().bAdditional ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Items, ShownCardRules,
                         testing::Values(CRuleRow{1, "4", true, true},
                                         CRuleRow{2, "0", false, true},
                                         CRuleRow{5, "1", true, true},
                                         CRuleRow{7, "-3", false, true}, // a negative count
                                         CRuleRow{4, "0", false, false}  // a group
                                         ));

// A group empties the values, and their blue goes with them.
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
    EXPECT_EQ(m_nFirstItem, row.nSelect);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MainDialogClosing,
    testing::Values(CCloseRow{EClose::exitButton, -1, false},
                    CCloseRow{EClose::closeBox, -1, false}, CCloseRow{EClose::exitButton, 5, true},
                    CCloseRow{EClose::closeBox, 5, false}, CCloseRow{EClose::escape, 5, true},
                    CCloseRow{EClose::enterInTree, 5, true},
                    CCloseRow{EClose::enterInTree, 9, false}, CCloseRow{EClose::escape, 0, false}));

TEST_F(MainDialogTest, EmptyTreeStoresMinusOne) {
    WriteGuiDatabase(m_dir);
    m_dir.WriteFile("Tree.dat", "");
    OpenDialog(0);
    EXPECT_EQ(m_pDlg->m_ctlTree.GetCount(), 0u);
    QTest::keyClick(Tree(), Qt::Key_Down);
    QTest::keyClick(Tree(), Qt::Key_Return);
    EXPECT_EQ(m_nFirstItem, -1);
}

// ---------------------------------------------------------------------------
// Errors of the data files.

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
