#include "tools/dbrender.h"

#include "app/databaseapp.h"
#include "mainwnd/maindialog.h"
#include "tools/dbrenderdialogs.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <iostream>
#include <memory>

int RenderMainWindow(const RenderRequest& request) {
    // Always offscreen, whatever display the caller has.
    static char szName[] = "verlumo-db";
    static char szPlatform[] = "-platform";
    static char szOffscreen[] = "offscreen";
    static char* argv[] = {szName, szPlatform, szOffscreen, nullptr};
    int argc = 3;
    std::unique_ptr<QApplication> pQtApp;
    if (!qApp)
        pQtApp = std::make_unique<QApplication>(argc, argv);

    CDatabaseApp app;
    app.m_fileErrors.m_sink = [](const std::string& strTitle, const std::string& strText) {
        std::cerr << strTitle << ": " << strText << '\n';
    };
    app.m_strDataDir = request.strDir;
    app.OpenDataFiles();

    std::int32_t nFirstItem = request.nSelect;
    int nExit = 0;
    {
        CMainDialog dlg(&nFirstItem, nullptr, &app);
        dlg.Create();
        // The card the selection timer would show 300 ms later, at once.
        if (dlg.IsTimerPending(dlg.m_nTimerID))
            dlg.SendTimerMessage(dlg.m_nTimerID);
        QApplication::processEvents();
        QImage image;
        if (request.bExtra) {
            image = RenderExtraDataDialog(dlg);
            if (image.isNull()) {
                std::cerr << "verlumo-db render: the additional data dialog opens only on a "
                             "type with a record\n";
                nExit = 2;
            }
        } else if (request.bSearch) {
            image = RenderSearchDialog(dlg, request.strSearch);
        } else {
            image = dlg.grab().toImage();
        }
        if (nExit == 0 && !image.save(QString::fromStdString(request.strOutput), "PNG")) {
            std::cerr << "verlumo-db render: cannot write " << request.strOutput << '\n';
            nExit = 2;
        }
        dlg.hide();
    }
    app.Close();
    return nExit;
}
