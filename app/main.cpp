// verlumo: the viewer. The data files and templates are read from the
// current directory.
#include "app/databaseapp.h"

#include <QApplication>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The command line as typed: Qt removes its own options from argv, and
    // the last argument must decide about "tm" whatever it is.
    const std::vector<std::string> args(argv, argv + argc);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(CDatabaseApp::kAppName));
    CDatabaseApp theApp;
    theApp.InitInstance(args);
    return 0;
}
