#pragma once

#include "platform/qt/treeview.h"
#include "support/tempdir.h"
#include "viewer/databaseapp.h"
#include "viewer/maindialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// The database of the GUI tests, in pre-order (position: caption, item data):
//   0 Самолёты (group)        1 Ту-154 (record 0, 4 pictures)
//   2 Ил-62 (record 1, none)  3 Як-42 (record 1)
//   4 Вертолёты (group)       5 Ми-24 (record 3, has a child)
//   6 Ми-24В (record 0)       7 Ми-8 (record 2, picture count -3)
//   8 Планеры (group)         9 Бланик (record 1)
// with the card template of tests/support. Files can be left out by name.
void WriteGuiDatabase(const CTempDir& dir, const std::string& strLeaveOut = "");
// UTF-8 to code page 1251, and to Qt.
std::string W(const std::string& strUtf8);
inline QString Q(const char* pszUtf8) {
    return QString::fromUtf8(pszUtf8);
}

// Every button's caption fits it, with room for the frame or the mark of
// a radio or check box.
inline void ExpectCaptionsFit(const QWidget& dlg) {
    for (const QAbstractButton* pButton : dlg.findChildren<QAbstractButton*>()) {
        const int nMark = pButton->inherits("QPushButton") ? 8 : 20;
        EXPECT_LT(pButton->fontMetrics().horizontalAdvance(pButton->text()),
                  pButton->width() - nMark)
            << pButton->objectName().toStdString();
    }
}

// A main dialog of type TDialog on the files in m_dir, with warnings
// collected instead of shown.
template <class TDialog = CMainDialog> class CDialogTest : public testing::Test {
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

    void OpenDialog(std::int32_t nFirstItem = -1) {
        m_app.OpenDataFiles();
        m_nFirstItem = nFirstItem;
        m_pDlg = std::make_unique<TDialog>(&m_nFirstItem, nullptr, &m_app);
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
    QPushButton* Button(int nID) const {
        return qobject_cast<QPushButton*>(m_pDlg->GetDlgItem(nID));
    }

    CTempDir m_dir;
    CDatabaseApp m_app;
    std::vector<std::string> m_warnings;
    std::int32_t m_nFirstItem = -1;
    std::unique_ptr<TDialog> m_pDlg;
};
