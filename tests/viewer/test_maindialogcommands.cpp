// The main dialog's buttons and keys that open the search and the
// additional data dialogs, driven as a user would on the offscreen platform.
#include "viewer/extradatadialog.h"
#include "viewer/guidb.h"
#include "viewer/searchdialog.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

class MainDialogCommands : public CDialogTest<> {
protected:
    void SetUp() override {
        CDialogTest::SetUp();
        WriteGuiDatabase(m_dir);
        OpenDialog();
    }
    std::int32_t SelectedPosition() {
        return m_pDlg->GetTypeTree().GetItemPosition(m_pDlg->m_hSelectedItem);
    }
    // Runs inModal on the modal dialog that trigger opens; false when none opened.
    template <class T>
    bool WithModal(const std::function<void()>& trigger, const std::function<void(T&)>& inModal) {
        bool bOpened = false;
        QTimer::singleShot(0, [&] {
            if (auto* pModal = dynamic_cast<T*>(QApplication::activeModalWidget())) {
                bOpened = true;
                inModal(*pModal);
            }
        });
        trigger();
        QApplication::processEvents();
        return bOpened;
    }
};

TEST_F(MainDialogCommands, SearchButtonFindsSelectsAndKeepsTheText) {
    const bool bOpened = WithModal<CSearchDialog>(
        [&] { QTest::mouseClick(Button(CMainDialog::IDC_SEARCH), Qt::LeftButton); },
        [](CSearchDialog& dlg) {
            auto* pEdit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(CSearchDialog::IDC_FIND));
            pEdit->setText(Q("миля"));
            QTest::mouseClick(qobject_cast<QPushButton*>(dlg.GetDlgItem(CSearchDialog::IDOK)),
                              Qt::LeftButton);
        });
    ASSERT_TRUE(bOpened);
    // Ми-24 is the first type of "ОКБ Миля" in tree order; its card follows.
    EXPECT_EQ(SelectedPosition(), 5);
    EXPECT_EQ(m_pDlg->m_strSearch, W("миля"));
    EXPECT_TRUE(m_pDlg->IsTimerPending(m_pDlg->m_nTimerID));

    // The next run opens with the last text and goes on behind the hit.
    QString strShown;
    WithModal<CSearchDialog>(
        [&] { QTest::mouseClick(Button(CMainDialog::IDC_SEARCH), Qt::LeftButton); },
        [&](CSearchDialog& dlg) {
            strShown = qobject_cast<QLineEdit*>(dlg.GetDlgItem(CSearchDialog::IDC_FIND))->text();
            QTest::keyClick(&dlg, Qt::Key_Return);
        });
    EXPECT_EQ(strShown, Q("миля"));
    EXPECT_EQ(SelectedPosition(), 7);
}

TEST_F(MainDialogCommands, CancelledSearchChangesNothing) {
    m_pDlg->m_strSearch = W("Ту");
    ShowCard(2);
    ASSERT_TRUE(WithModal<CSearchDialog>(
        [&] { QTest::mouseClick(Button(CMainDialog::IDC_SEARCH), Qt::LeftButton); },
        [](CSearchDialog& dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); }));
    EXPECT_EQ(m_pDlg->m_strSearch, W("Ту"));
    EXPECT_EQ(SelectedPosition(), 2);
}

TEST_F(MainDialogCommands, AdditionalDataOpensOnTheShownTypeByButtonAndF3) {
    ShowCard(1);
    const CAircraftText* pShown = nullptr;
    ASSERT_TRUE(WithModal<CExtraDataDialog>(
        [&] { QTest::mouseClick(Button(CMainDialog::IDC_ADDITIONAL), Qt::LeftButton); },
        [&](CExtraDataDialog& dlg) {
            pShown = dlg.m_pCard;
            QTest::keyClick(&dlg, Qt::Key_Escape);
        }));
    EXPECT_EQ(pShown, &m_pDlg->m_Card);
    EXPECT_FALSE(QApplication::activeModalWidget());

    EXPECT_TRUE(WithModal<CExtraDataDialog>(
        [&] { QTest::keyClick(m_pDlg->GetTreeView(), Qt::Key_F3); },
        [](CExtraDataDialog& dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); }));
    // A group has no record: F3 opens nothing.
    ShowCard(0);
    EXPECT_FALSE(
        WithModal<CExtraDataDialog>([&] { QTest::keyClick(m_pDlg->GetTreeView(), Qt::Key_F3); },
                                    [](CExtraDataDialog& dlg) { dlg.reject(); }));
}

} // namespace
