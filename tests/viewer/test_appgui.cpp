// The viewer's whole life: InitInstance in-process, and a second start as
// a process of its own.
#include "app/rememberedposition.h"
#include "platform/singleinstance.h"
#include "support/registryfixture.h"
#include "viewer/guidb.h"

#include <QProcess>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

// Own directories for the registry store and the instance lock, and the
// database as the current directory, as the viewer reads it.
class AppTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        if (const char* psz = std::getenv("XDG_RUNTIME_DIR"))
            m_strOldRuntime = psz;
        ::setenv("XDG_RUNTIME_DIR", m_runtime.Path().c_str(), 1);
        WriteGuiDatabase(m_db);
        m_strOldCwd = std::filesystem::current_path();
        std::filesystem::current_path(m_db.Path());
    }
    void TearDown() override {
        std::filesystem::current_path(m_strOldCwd);
        if (m_strOldRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_strOldRuntime->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        RegistryTest::TearDown();
    }

    CTempDir m_runtime, m_db;
    std::string m_strOldCwd;
    std::optional<std::string> m_strOldRuntime;
};

TEST_F(AppTest, RunReadsAndStoresTheRememberedPosition) {
    StoreRememberedPosition(9);
    HTREEITEM hAtStart = 0;
    bool bTopMost = false;
    QTimer::singleShot(0, [&] {
        auto* pDlg = dynamic_cast<CMainDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        hAtStart = pDlg->m_hSelectedItem;
        bTopMost = pDlg->windowFlags() & Qt::WindowStaysOnTopHint;
        pDlg->GetTreeView()->SelectItem(pDlg->GetTypeTree().GetItemAtPosition(5));
        QTest::mouseClick(qobject_cast<QPushButton*>(pDlg->GetDlgItem(CMainDialog::IDOK)),
                          Qt::LeftButton);
    });
    CDatabaseApp app;
    EXPECT_FALSE(app.InitInstance({"verlumo", "/tm"}));
    EXPECT_EQ(hAtStart, 10u); // position 9
    EXPECT_TRUE(bTopMost);
    std::int32_t nStored = -1;
    ReadRememberedPosition(nStored);
    EXPECT_EQ(nStored, 5);
    EXPECT_FALSE(app.m_fileTree.IsOpen()); // closed after the dialog
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    // The guard was let go: another run may start.
    CSingleInstance next;
    ASSERT_TRUE(next.Acquire());
    EXPECT_TRUE(next.IsHeld());
}

TEST_F(AppTest, TerminationSignalsCloseTheWindowAndStoreThePosition) {
    for (int nSignal : {SIGTERM, SIGINT}) {
        bool bSearchOpened = false;
        QTimer::singleShot(0, [&] {
            auto* pDlg = dynamic_cast<CMainDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(pDlg, nullptr);
            pDlg->GetTreeView()->SelectItem(pDlg->GetTypeTree().GetItemAtPosition(7));
            // The signal comes while the search dialog is open over the window.
            QTimer::singleShot(0, [&, nSignal] {
                bSearchOpened = QApplication::activeModalWidget() != pDlg;
                ::raise(nSignal);
            });
            QTest::mouseClick(qobject_cast<QPushButton*>(pDlg->GetDlgItem(CMainDialog::IDC_SEARCH)),
                              Qt::LeftButton);
        });
        CDatabaseApp app;
        app.InitInstance({"verlumo"});
        EXPECT_TRUE(bSearchOpened);
        std::int32_t nStored = -1;
        ReadRememberedPosition(nStored);
        EXPECT_EQ(nStored, 7) << nSignal;
        StoreRememberedPosition(0);
    }
    // The default actions are back once the window is gone.
    struct sigaction sa {};
    ::sigaction(SIGTERM, nullptr, &sa);
    EXPECT_EQ(sa.sa_handler, SIG_DFL);
}

// A signal while the start still reports a missing file: the warning goes,
// the main dialog never opens, and the position is stored all the same.
TEST_F(AppTest, SignalDuringStartStoresThePosition) {
    WriteStore("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n"
               "\"FirstItem\"=dword:00000004\r\n\r\n");
    std::filesystem::remove(m_db.File("Static texts add.rtf"));
    bool bDialogShown = false;
    // Only if the signal were lost: end the run instead of waiting forever.
    QTimer fallback;
    fallback.setInterval(3000);
    QObject::connect(&fallback, &QTimer::timeout, [&] {
        if (QWidget* pDlg = QApplication::activeModalWidget()) {
            bDialogShown = true;
            pDlg->close();
        }
    });
    fallback.start();
    CDatabaseApp app;
    int nReports = 0;
    app.m_fileErrors.m_sink = [&](const std::string&, const std::string&) {
        ++nReports;
        ::raise(SIGTERM);
    };
    app.InitInstance({"verlumo"});
    EXPECT_EQ(nReports, 1);
    EXPECT_FALSE(bDialogShown);
    // Written back as text: the store ran.
    EXPECT_NE(StoreText().find("\"FirstItem\"=\"4\""), std::string::npos) << StoreText();
}

TEST_F(AppTest, RunWithNothingSelectedStoresMinusOne) {
    QTimer::singleShot(0, [] {
        if (QWidget* pDlg = QApplication::activeModalWidget())
            pDlg->close(); // the close box
    });
    CDatabaseApp app;
    app.InitInstance({"verlumo"});
    ASSERT_TRUE(StoreExists());
    std::int32_t nStored = 0;
    ReadRememberedPosition(nStored);
    EXPECT_EQ(nStored, -1);
}

TEST_F(AppTest, SecondViewerProcessExitsAtOnce) {
    StoreRememberedPosition(3);
    const std::string strHive = m_dir.File(kFile);
    const auto nBefore = std::filesystem::last_write_time(strHive);
    CSingleInstance running;
    ASSERT_TRUE(running.Acquire());
    QProcess viewer;
    viewer.setWorkingDirectory(QString::fromStdString(m_db.Path()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    viewer.setProcessEnvironment(env);
    viewer.start(QStringLiteral(VERLUMO_EXE), {QStringLiteral("-tm")});
    // A viewer that got past the guard would wait for its window to close.
    ASSERT_TRUE(viewer.waitForFinished(20000));
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 0);
    EXPECT_EQ(std::filesystem::last_write_time(strHive), nBefore);
    std::int32_t nStored = -1;
    ReadRememberedPosition(nStored);
    EXPECT_EQ(nStored, 3);
}

} // namespace
