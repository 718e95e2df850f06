// The additional data dialog on the offscreen platform: opened on a card,
// checked by what its panes hold and show, closed by mouse and keyboard.
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/le.h"
#include "platform/cp1251.h"
#include "platform/qt/richeditview.h"
#include "support/dbwriter.h"
#include "support/templates.h"
#include "tools/render/dbrenderdialogs.h"
#include "viewer/extradatadialog.h"
#include "viewer/guidb.h"

#include <QDir>
#include <QTest>
#include <utility>

namespace {

// Every int32 field holds 1000 + its offset and every real its offset + 0.5,
// so a shown value tells which field it came from.
AircraftRecord TaggedRecord(std::int32_t nFirstStrip, std::int32_t nStripCount) {
    unsigned char bytes[AircraftRecord::kSize];
    for (int nOffset = 0; nOffset < AircraftRecord::kSize; nOffset += 4)
        le::PutInt32(bytes + nOffset, 1000 + nOffset);
    for (int nOffset : {128, 132, 136, 140, 144, 148, 152})
        le::PutFloat32(bytes + nOffset, static_cast<float>(nOffset) + 0.5f);
    AircraftRecord rec = AircraftRecord::FromBytes(bytes);
    rec.firm = rec.country = rec.text = rec.model = rec.name = rec.type = -1;
    rec.pictureCount = 0;
    rec.firstStrip = nFirstStrip;
    rec.stripCount = nStripCount;
    return rec;
}

// Record 0 has two strip rows (one with a 0), record 1 none. The tree, for
// the main window: 0 group "Самолёты", 1 type of record 0.
void WriteExtraDatabase(const CTempDir& dir) {
    CDbWriter db;
    db.AddString("");
    db.AddStrip(1, 2, 3);
    db.AddStrip(1000, 0, 250);
    db.AddStrip(2000, 500, -5);
    db.AddAircraft(TaggedRecord(1, 2));
    db.AddAircraft(TaggedRecord(1, 0));
    db.AddTreeNamed(-1, -1, W("Самолёты"));
    db.AddTreeNamed(0, 0, W("Ту-154"));
    db.Write(dir.Path());
    dir.WriteFile(CDatabaseFiles::kExtraTemplateName, ExtraTemplateRtf());
}

std::string Text(const CRichEditCtrl& ctl) {
    return cp1251::ToUtf8(ctl.GetText());
}

class ExtraDataDialogTest : public testing::Test {
protected:
    void SetUp() override {
        m_report.m_sink = [this](const std::string& strTitle, const std::string& strText) {
            m_warnings.push_back(strTitle + ": " + strText);
        };
        WriteExtraDatabase(m_dir);
        m_files.Open(m_dir.Path());
    }
    void TearDown() override {
        m_pDlg.reset();
        m_files.Close();
    }

    // The dialog as button 1007 opens it on the card of record nRecord,
    // shown without a modal loop so the test can drive it.
    CExtraDataDialog& Open(std::int32_t nRecord, const std::string& strDir) {
        m_card.Load(nRecord);
        m_pDlg = std::make_unique<CExtraDataDialog>(m_card, m_files, strDir);
        m_pDlg->m_pMessages = &m_report;
        m_pDlg->show();
        return *m_pDlg;
    }
    CExtraDataDialog& Open(std::int32_t nRecord = 0) { return Open(nRecord, m_dir.Path()); }

    CRichEditView* View(int nID) const { return m_pDlg->GetPaneView(nID); }
    QPushButton* ExitButton() const {
        return dynamic_cast<QPushButton*>(m_pDlg->GetDlgItem(CExtraDataDialog::IDOK));
    }

    CTempDir m_dir;
    CDatabaseFiles m_files;
    CAircraftText m_card{&m_files};
    std::unique_ptr<CExtraDataDialog> m_pDlg;
    CFileErrorReport m_report;           // the application's messages
    std::vector<std::string> m_warnings; // "title: text"
};

// ---------------------------------------------------------------------------
// Template 129

TEST_F(ExtraDataDialogTest, FixedFrameAndDefaultButton) {
    Open();
    EXPECT_EQ(m_pDlg->size(), QSize(455, 570));
    EXPECT_EQ(m_pDlg->minimumSize(), m_pDlg->maximumSize());
    EXPECT_TRUE(ExitButton()->isDefault());
    ExpectCaptionsFit(*m_pDlg);
    // A long strip table scrolls.
    EXPECT_EQ(View(1008)->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

// ---------------------------------------------------------------------------
// What the panes hold and show

// What the panes hold is FillExtraPanes' (tests/extra); here each pane is in
// its own view and shown from the first picture on, a line end being a paragraph.
TEST_F(ExtraDataDialogTest, EachViewShowsItsPaneAtOnce) {
    Open();
    const std::pair<int, const char*> panes[] = {
        {1008, "Лётные данные"}, {1001, "Скорости"}, {1003, "ТТХ"}};
    for (const auto& [nID, pszHeading] : panes) {
        const std::string strText = Text(View(nID)->GetRichEditCtrl());
        EXPECT_EQ(strText.rfind(pszHeading, 0), 0u) << nID;
        EXPECT_FALSE(View(nID)->IsRefreshPending()) << nID;
        EXPECT_EQ(View(nID)->toPlainText(),
                  QString::fromStdString(strText).replace(Q("\r\n"), Q("\n")))
            << nID;
    }
    EXPECT_TRUE(m_warnings.empty());
}

// The same dialog object opened again: the template anew, each value once.
TEST_F(ExtraDataDialogTest, TemplateIsStreamedAnewAtEveryOpening) {
    Open();
    QTest::keyClick(ExitButton(), Qt::Key_Escape);
    m_dir.WriteFile(CDatabaseFiles::kExtraTemplateName,
                    PlainRtf(W("Шапка\r\nСкорости\r\nА:\r\nТТХ\r\nБ:")));
    m_pDlg->show();
    EXPECT_EQ(Text(m_pDlg->m_ctlStrips), "Шапка\r\n1000\t-\t250\r\n2000\t500\t-5\r\n");
    EXPECT_EQ(Text(m_pDlg->m_ctlSpeeds), "Скорости\r\nА: 1028\r\n");
    EXPECT_EQ(Text(m_pDlg->m_ctlSpecs), "ТТХ\r\nБ: 140.50");
}

TEST_F(ExtraDataDialogTest, TemplateFromTheCurrentDirectoryByDefault) {
    CTempDir cwd;
    cwd.WriteFile(CDatabaseFiles::kExtraTemplateName,
                  PlainRtf(W("Здесь\r\nСкорости\r\nА:\r\nТТХ\r\nБ:")));
    const QString strOld = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(cwd.Path())));
    m_card.Load(1);
    CExtraDataDialog dlg(m_card, m_files);
    dlg.m_pMessages = &m_report;
    dlg.show();
    QDir::setCurrent(strOld);
    EXPECT_EQ(Text(dlg.m_ctlStrips), "Здесь\r\n");
    EXPECT_EQ(Text(dlg.m_ctlSpeeds), "Скорости\r\nА: 1028\r\n");
    EXPECT_TRUE(m_warnings.empty());
}

TEST_F(ExtraDataDialogTest, MissingTemplateWarnsOncePerOpeningAndStillShowsTheRows) {
    CTempDir empty;
    Open(0, empty.Path());
    ASSERT_EQ(m_warnings.size(), 1u);
    EXPECT_EQ(m_warnings[0].rfind("Verlumo: ", 0), 0u) << m_warnings[0];
    EXPECT_NE(m_warnings[0].find("\"Static texts add.rtf\""), std::string::npos) << m_warnings[0];
    EXPECT_EQ(Text(m_pDlg->m_ctlStrips), "\r\n1000\t-\t250\r\n2000\t500\t-5");
    EXPECT_TRUE(m_pDlg->isVisible());
    QTest::keyClick(ExitButton(), Qt::Key_Escape);
    m_pDlg->show();
    EXPECT_EQ(m_warnings.size(), 2u);
}

// ---------------------------------------------------------------------------
// Closing

TEST_F(ExtraDataDialogTest, FocusStartsOnExitAndEnterCloses) {
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    ASSERT_EQ(QApplication::focusWidget(), ExitButton());
    // The only tab stop keeps the focus.
    QTest::keyClick(ExitButton(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ExitButton());
    QTest::keyClick(ExitButton(), Qt::Key_Return);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
}

TEST_F(ExtraDataDialogTest, EscapeClosesAlsoFromAPane) {
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    QTest::mouseClick(View(1001)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(QApplication::focusWidget(), View(1001));
    QTest::keyClick(View(1001), Qt::Key_Escape);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Rejected);
}

// ---------------------------------------------------------------------------
// verlumo-db render --extra

class ExtraDataRender : public CDialogTest<> {
protected:
    void SetUp() override {
        CDialogTest::SetUp();
        WriteExtraDatabase(m_dir);
        m_dir.WriteFile(CDatabaseFiles::kCardTemplateName, CardTemplateRtf());
    }
};

TEST_F(ExtraDataRender, DialogOverTheMainWindow) {
    OpenDialog(1);
    FireTimer();
    const QImage imgMain = m_pDlg->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(imgMain.size(), QSize(686, 427));
    const QImage image = RenderExtraDataDialog(*m_pDlg);
    // 570 pixels high, centred on 427, with a frame: it reaches 72 above
    // and below the main window.
    ASSERT_EQ(image.size(), QSize(686, 572));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(0, 72), imgMain.pixel(0, 0));
    EXPECT_EQ(image.pixel(685, 498), imgMain.pixel(685, 426));
    EXPECT_NE(image.pixel(114, 300), imgMain.pixel(114, 228)); // the frame
    EXPECT_EQ(qAlpha(image.pixel(300, 0)), 255);
    EXPECT_TRUE(m_warnings.empty());
}

} // namespace
