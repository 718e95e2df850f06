// The main window when a data file is missing: the failed read is reported,
// and what the user sees stays consistent and usable.
#include "pictures/lzwencoder.h"
#include "platform/dibsection.h"
#include "platform/qt/richeditview.h"
#include "platform/qt/treeview.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "viewer/databaseapp.h"
#include "viewer/maindialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Group "A" (0) with one type (1) that has a preview and two pictures.
class DamagedStart : public testing::Test {
protected:
    void SetUp() override {
        CDbWriter db;
        db.AddString("");
        db.AddTreeNamed(-1, -1, "A");
        db.AddTreeNamed(0, 0, "B");
        const std::vector<RGBQUAD> colours = {{0, 0, 255, 0}};
        const std::vector<unsigned char> pixels(CDibSection::StrideFor(8, 8) * 4, 0);
        const auto record = WritePictureRecord(8, 4, 8, colours, pixels);
        const std::string strRecord(record.begin(), record.end());
        AircraftRecord rec{};
        rec.previewOffset = db.AddPicture(strRecord);
        db.AddPicture(strRecord);
        db.AddPicture(strRecord);
        rec.pictureCount = 2;
        db.AddAircraft(rec);
        db.Write(m_dir.Path());
        m_dir.WriteFile("Static texts.rtf", CardTemplateRtf());
        m_dir.WriteFile("Static texts add.rtf", ExtraTemplateRtf());
        m_app.m_fileErrors.m_sink = [this](const std::string&, const std::string& strText) {
            m_shown.push_back(strText);
        };
        m_app.m_strDataDir = m_dir.Path();
    }
    void Open(const char* pszMissing, std::int32_t nFirstItem) {
        std::remove(m_dir.File(pszMissing).c_str());
        m_app.OpenDataFiles();
        m_nFirstItem = nFirstItem;
        m_pDlg = std::make_unique<CMainDialog>(&m_nFirstItem, nullptr, &m_app);
        m_pDlg->Create();
        if (m_pDlg->IsTimerPending(m_pDlg->m_nTimerID))
            m_pDlg->SendTimerMessage(m_pDlg->m_nTimerID);
        QApplication::processEvents();
    }
    void TearDown() override {
        m_pDlg.reset();
        m_app.Close();
    }

    CTempDir m_dir;
    CDatabaseApp m_app;
    std::vector<std::string> m_shown;
    std::int32_t m_nFirstItem = -1;
    std::unique_ptr<CMainDialog> m_pDlg;
};

// The preview's read fails after the card was written: the count shown goes
// with the button that opens the pictures.
TEST_F(DamagedStart, WithoutPicturesTheCountAgreesWithTheButton) {
    Open("Pictures.dat", 1);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_NE(m_shown[0].find("Pictures.dat"), std::string::npos);
    auto* pCount = qobject_cast<QLineEdit*>(m_pDlg->GetDlgItem(CMainDialog::IDC_PICTURES));
    auto* pImages = qobject_cast<QPushButton*>(m_pDlg->GetDlgItem(CMainDialog::IDC_IMAGES));
    EXPECT_EQ(pCount->text(), QStringLiteral("2"));
    EXPECT_TRUE(pImages->isEnabled());
}

// The tree build stops on its first read: the window is made whole all the
// same, with its icon, the panes at their start and the keyboard on the tree.
TEST_F(DamagedStart, WithoutStringsTheWindowIsWhole) {
    Open("Strings.dat", 1);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_NE(m_shown[0].find("Strings.dat"), std::string::npos);
    EXPECT_FALSE(m_pDlg->windowIcon().isNull());
    for (int nID : {CMainDialog::IDC_GENERAL, CMainDialog::IDC_SPECS, CMainDialog::IDC_SPEEDS})
        EXPECT_EQ(m_pDlg->GetPaneView(nID)->horizontalScrollBar()->value(), 0) << nID;
    EXPECT_EQ(m_pDlg->focusWidget(), m_pDlg->GetTreeView());
}

} // namespace
