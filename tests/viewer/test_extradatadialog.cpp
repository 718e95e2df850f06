// The additional data dialog on the offscreen platform: opened on a card,
// checked by what its panes hold and show, closed by mouse and keyboard.
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/le.h"
#include "platform/cp1251.h"
#include "platform/qt/richeditview.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/render/dbrenderdialogs.h"
#include "viewer/databaseapp.h"
#include "viewer/extradatadialog.h"
#include "viewer/maindialog.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
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

// The panes for ExtraTemplateRtf() and a tagged record.
const char* const kHeading = "Лётные данные по высотам\r\nВысота\tСкорость\tДальность";
const char* const kSpeedsPane = "Скорости\r\nКрейсерская: 1028\r\nОтрыва: 1084\r\n"
                                "Минимальная: 1088\r\nПотолок: 1040\r\nРазбег: 1096\r\n"
                                "Пробег: 1092\r\n";
const char* const kSpecsPane = "ТТХ\r\nПлощадь: 140.50\r\nУдлинение: 144.5\r\nНагрузка: 148.5\r\n"
                               "Двигателей: 1064\r\nСтреловидность: 152.5\r\nТяга: 1100\r\n"
                               "Топливо: 1104\r\nПосадочная масса: 1108\r\nПостроено: 1112";

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

// The colour the view draws the last character of the first occurrence in.
QColor ShownColor(CRichEditView* pView, const char* pszUtf8) {
    const QTextCursor cursor = pView->document()->find(Q(pszUtf8));
    if (cursor.isNull())
        return {};
    return cursor.charFormat().foreground().color();
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
    std::string StripsWithRows(const char* pszRows) const {
        return std::string(kHeading) + pszRows + "\r\n";
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

struct CControlRow {
    int nID;
    const char* pszClass;
    QRect rcPixels; // dialog units through base units 6 x 13
};

void PrintTo(const CControlRow& row, std::ostream* pOut) {
    *pOut << "control " << row.nID;
}

class ExtraDataDialogLayout : public ExtraDataDialogTest,
                              public testing::WithParamInterface<CControlRow> {};

TEST_P(ExtraDataDialogLayout, ControlStandsWhereTheTemplateSays) {
    Open();
    const CControlRow& row = GetParam();
    QWidget* pWidget = m_pDlg->GetDlgItem(row.nID);
    ASSERT_NE(pWidget, nullptr) << row.nID;
    EXPECT_TRUE(pWidget->inherits(row.pszClass)) << pWidget->metaObject()->className();
    EXPECT_EQ(pWidget->geometry(), row.rcPixels);
    EXPECT_TRUE(pWidget->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Template129, ExtraDataDialogLayout,
                         testing::Values(CControlRow{1008, "QTextEdit", QRect(11, 11, 434, 106)},
                                         CControlRow{1001, "QTextEdit", QRect(11, 128, 434, 164)},
                                         CControlRow{1003, "QTextEdit", QRect(11, 304, 434, 223)},
                                         CControlRow{1, "QPushButton", QRect(191, 538, 75, 23)}),
                         [](const testing::TestParamInfo<CControlRow>& info) {
                             return "Control" + std::to_string(info.param.nID);
                         });

TEST_F(ExtraDataDialogTest, FrameButtonAndPanes) {
    Open();
    EXPECT_EQ(m_pDlg->size(), QSize(455, 570));
    EXPECT_EQ(m_pDlg->minimumSize(), m_pDlg->maximumSize());
    EXPECT_EQ(m_pDlg->windowTitle(), Q("Дополнительные данные"));
    EXPECT_EQ(m_pDlg->font().pointSize(), 8);
    EXPECT_EQ(ExitButton()->text(), Q("Выход"));
    EXPECT_TRUE(ExitButton()->isDefault());
    EXPECT_TRUE(ExitButton()->focusPolicy() & Qt::TabFocus);
    for (int nID : {1008, 1001, 1003}) {
        // Panes are no tab stops; "Выход" is the only one.
        EXPECT_FALSE(View(nID)->focusPolicy() & Qt::TabFocus) << nID;
        EXPECT_EQ(View(nID)->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded) << nID;
    }
    EXPECT_EQ(View(1008)->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(View(1001)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(View(1003)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

// ---------------------------------------------------------------------------
// What the panes hold and show

TEST_F(ExtraDataDialogTest, PanesAfterOpening) {
    Open();
    EXPECT_EQ(Text(m_pDlg->m_ctlStrips), StripsWithRows("\r\n1000\t-\t250\r\n2000\t500\t-5"));
    EXPECT_EQ(Text(m_pDlg->m_ctlSpeeds), kSpeedsPane);
    EXPECT_EQ(Text(m_pDlg->m_ctlSpecs), kSpecsPane);
    EXPECT_TRUE(m_warnings.empty());
    // The views show the same text from the first picture on, a line end
    // being a paragraph.
    for (int nID : {1008, 1001, 1003}) {
        const QString strWant =
            QString::fromStdString(Text(View(nID)->GetRichEditCtrl())).replace(Q("\r\n"), Q("\n"));
        EXPECT_FALSE(View(nID)->IsRefreshPending()) << nID;
        EXPECT_EQ(View(nID)->toPlainText(), strWant) << nID;
    }
}

TEST_F(ExtraDataDialogTest, StripCountZeroShowsOnlyTheHeading) {
    Open(1);
    EXPECT_EQ(Text(m_pDlg->m_ctlStrips), StripsWithRows(""));
    EXPECT_EQ(Text(m_pDlg->m_ctlSpeeds), kSpeedsPane);
}

TEST_F(ExtraDataDialogTest, RowsAndValuesAreBlueCaptionsAreNot) {
    Open();
    const QColor blue(0, 0, 255);
    EXPECT_EQ(ShownColor(View(1008), "1000"), blue);
    EXPECT_EQ(ShownColor(View(1008), "-5"), blue);
    EXPECT_NE(ShownColor(View(1008), "Лётные"), blue);
    EXPECT_NE(ShownColor(View(1008), "Дальность"), blue);
    EXPECT_EQ(ShownColor(View(1001), "1028"), blue);
    EXPECT_NE(ShownColor(View(1001), "Крейсерская"), blue);
    EXPECT_EQ(ShownColor(View(1003), "1064"), blue);
    EXPECT_NE(ShownColor(View(1003), "Двигателей"), blue);
}

TEST_F(ExtraDataDialogTest, PanesRefuseTyping) {
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    for (int nID : {1008, 1001, 1003}) {
        const std::string strBefore = View(nID)->GetRichEditCtrl().GetText();
        EXPECT_TRUE(View(nID)->GetRichEditCtrl().IsReadOnly()) << nID;
        QTest::mouseClick(View(nID)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_EQ(QApplication::focusWidget(), View(nID));
        QTest::keyClicks(View(nID), QStringLiteral("x1"));
        EXPECT_EQ(View(nID)->GetRichEditCtrl().GetText(), strBefore) << nID;
    }
}

TEST_F(ExtraDataDialogTest, OpeningTwiceShowsTheSameContent) {
    Open();
    const std::string strStrips = m_pDlg->m_ctlStrips.GetText();
    const std::string strSpeeds = m_pDlg->m_ctlSpeeds.GetText();
    const std::string strSpecs = m_pDlg->m_ctlSpecs.GetText();
    // The same dialog object once more: the values are not written twice.
    QTest::mouseClick(ExitButton(), Qt::LeftButton);
    ASSERT_FALSE(m_pDlg->isVisible());
    m_pDlg->show();
    EXPECT_EQ(m_pDlg->m_ctlStrips.GetText(), strStrips);
    EXPECT_EQ(m_pDlg->m_ctlSpeeds.GetText(), strSpeeds);
    EXPECT_EQ(m_pDlg->m_ctlSpecs.GetText(), strSpecs);
    // And a new dialog, as the main dialog makes for each opening.
    Open();
    EXPECT_EQ(m_pDlg->m_ctlStrips.GetText(), strStrips);
    EXPECT_EQ(m_pDlg->m_ctlSpeeds.GetText(), strSpeeds);
    EXPECT_EQ(m_pDlg->m_ctlSpecs.GetText(), strSpecs);
}

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

TEST_F(ExtraDataDialogTest, ExitButtonCloses) {
    Open();
    QTest::mouseClick(ExitButton(), Qt::LeftButton);
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

TEST_F(ExtraDataDialogTest, ModalRunEndsWithEscape) {
    m_card.Load(0);
    CExtraDataDialog dlg(m_card, m_files, m_dir.Path());
    bool bDriven = false;
    std::string strShown;
    QTimer::singleShot(0, [&] {
        if (QApplication::activeModalWidget() != &dlg)
            return;
        bDriven = true;
        strShown = Text(dlg.m_ctlSpecs);
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    ASSERT_TRUE(bDriven);
    EXPECT_EQ(strShown, kSpecsPane);
}

// ---------------------------------------------------------------------------
// verlumo-db render --extra

class ExtraDataRender : public testing::Test {
protected:
    void SetUp() override {
        WriteExtraDatabase(m_dir);
        m_dir.WriteFile(CDatabaseFiles::kCardTemplateName, CardTemplateRtf());
        m_app.m_strDataDir = m_dir.Path();
        m_app.m_fileErrors.m_sink = [this](const std::string&, const std::string& strText) {
            m_warnings.push_back(strText);
        };
        m_app.OpenDataFiles();
    }
    void TearDown() override { m_app.Close(); }

    CTempDir m_dir;
    CDatabaseApp m_app;
    std::vector<std::string> m_warnings;
};

TEST_F(ExtraDataRender, DialogOverTheMainWindow) {
    std::int32_t nFirstItem = 1;
    CMainDialog dlg(&nFirstItem, nullptr, &m_app);
    dlg.Create();
    dlg.SendTimerMessage(dlg.m_nTimerID);
    const QImage imgMain = dlg.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(imgMain.size(), QSize(686, 427));
    const QImage image = RenderExtraDataDialog(dlg);
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

TEST_F(ExtraDataRender, NoDialogOnAGroup) {
    std::int32_t nFirstItem = 0;
    CMainDialog dlg(&nFirstItem, nullptr, &m_app);
    dlg.Create();
    dlg.SendTimerMessage(dlg.m_nTimerID);
    EXPECT_TRUE(RenderExtraDataDialog(dlg).isNull());
}

} // namespace
