#pragma once

#include "app/appcommandlineinfo.h"
#include "data/databasefiles.h"
#include "platform/fileerrorreport.h"

#include <string>
#include <vector>

class CMainDialog;

// The application object: owns the five open data files (the base class,
// in the order of its members) and the parsed command line for the whole
// run. InitInstance is the whole life of the program. Constructing one makes
// it the running application that AfxGetApp returns.
class CDatabaseApp : public CDatabaseFiles {
public:
    static constexpr const char* kAppName = "Verlumo";

    CDatabaseApp();
    ~CDatabaseApp();
    CDatabaseApp(const CDatabaseApp&) = delete;
    CDatabaseApp& operator=(const CDatabaseApp&) = delete;

    // Runs the viewer: guard, command line, files, remembered position, the
    // main dialog, and back. args are the process's arguments as given,
    // before Qt takes its own out. Always false: nothing runs afterwards.
    bool InitInstance(const std::vector<std::string>& args);

    // Opens the data files from m_strDataDir in the fixed order.
    void OpenDataFiles() { Open(m_strDataDir); }
    // One warning naming every data file and template that cannot be opened
    // and why, so a start in the wrong directory is told at once.
    void ReportUnopenedFiles();
    // A file of the database by its fixed name.
    std::string DataPath(const char* pszName) const { return PathIn(m_strDataDir, pszName); }

    CAppCommandLineInfo m_cmdInfo;
    // Where the data files and the templates are; empty for the current
    // directory, which is where the viewer reads them.
    std::string m_strDataDir;
    // The boundary of every window message: a warning box by default (a line
    // on stderr on the offscreen platform, where no user could close a box).
    CFileErrorReport m_fileErrors;
    CMainDialog* m_pMainWnd = nullptr;

private:
    // SIGTERM or SIGINT, on the event loop: closes what is open, and the
    // main dialog, or keeps it from opening when it is not there yet.
    void OnCloseRequest();
    bool m_bCloseRequested = false;
};

// The running application object; null while there is none.
CDatabaseApp* AfxGetApp();
