// verlumo: the viewer. The data files and templates are read from the
// current directory.
#include "platform/processheap.h"
#include "platform/qt/qtmessages.h"
#include "viewer/databaseapp.h"

#include <QApplication>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The command line as typed: Qt removes its own options from argv, and
    // the last argument must decide about "tm" whatever it is.
    const std::vector<std::string> args(argv, argv + argc);
    // Qt would abort with advice about reinstalling; a user without a
    // display is better told what to do.
    if (!HasDisplay(argc, argv)) {
        std::cerr << "verlumo: no display: set DISPLAY, or use verlumo-db render for a picture "
                     "of the window\n";
        return 2;
    }
    SetProcessHeap();
    QuietRuntimeDirWarning();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(CDatabaseApp::kAppName));
    // Window messages have their own boundary; this one takes what is thrown
    // before the first or after the last of them.
    try {
        CDatabaseApp theApp;
        theApp.InitInstance(args);
    } catch (const std::exception& e) {
        std::cerr << "verlumo: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
