#include "viewer/databaseapp.h"

#include "app/rememberedposition.h"
#include "platform/singleinstance.h"
#include "viewer/maindialog.h"
#include "viewer/terminationsignals.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdio>

namespace {
CDatabaseApp* g_pApp = nullptr;
} // namespace

CDatabaseApp* AfxGetApp() {
    return g_pApp;
}

CDatabaseApp::CDatabaseApp() {
    m_fileErrors.m_strTitle = kAppName;
    m_fileErrors.m_sink = [](const std::string& strTitle, const std::string& strText) {
        if (!qApp || QGuiApplication::platformName() == QLatin1String("offscreen")) {
            std::fprintf(stderr, "%s: %s\n", strTitle.c_str(), strText.c_str());
            return;
        }
        QWidget* pWindow = QApplication::activeWindow();
        QMessageBox::warning(pWindow, QString::fromUtf8(strTitle), QString::fromUtf8(strText));
        // Not every window manager gives the keyboard back when the box goes.
        if (pWindow)
            pWindow->activateWindow();
    };
    g_pApp = this;
}

CDatabaseApp::~CDatabaseApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

void CDatabaseApp::ReportUnopenedFiles() {
    std::vector<std::pair<std::string, int>> files;
    for (const CUnopened& file : UnopenedFiles(m_strDataDir))
        files.emplace_back(file.strPath, file.nError);
    m_fileErrors.ReportUnopened(files);
}

bool CDatabaseApp::InitInstance(const std::vector<std::string>& args) {
    // Ended by the session or Ctrl+C: closed as Esc closes it, so the
    // position below is still stored. In place before anything that takes
    // time: a signal during the start waits in the handler's pipe until the
    // main dialog's loop runs, or, arriving while a warning box is open,
    // closes the box and keeps the main dialog from opening at all.
    CTerminationSignals termination([this] { OnCloseRequest(); });
    m_bCloseRequested = false;

    // One viewer at a time: a second start ends here, before any file or
    // the remembered position is touched.
    CSingleInstance guard;
    if (!guard.Acquire())
        return false;

    m_cmdInfo.ParseCommandLine(args);

    // Each file may fail to open; reading it later raises the error
    // that reaches the user.
    OpenDataFiles();
    ReportUnopenedFiles();

    std::int32_t nFirstItem = -1;
    ReadRememberedPosition(nFirstItem);

    {
        CMainDialog dlg(&nFirstItem, nullptr, this);
        m_pMainWnd = &dlg;
        if (!m_bCloseRequested)
            dlg.DoModal();
        m_pMainWnd = nullptr;

        // On every run past the guard, changed or not.
        StoreRememberedPosition(nFirstItem);
        Close();
    }

    guard.Release();
    return false;
}

void CDatabaseApp::OnCloseRequest() {
    // A dialog opened over the main one goes first, as a user would close it
    // before the window under it.
    for (int n = 0; n < 16; ++n) {
        QWidget* pModal = QApplication::activeModalWidget();
        if (!pModal || pModal == m_pMainWnd || !pModal->close())
            break;
    }
    m_bCloseRequested = true;
    if (m_pMainWnd)
        m_pMainWnd->close();
}
