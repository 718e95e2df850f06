#include "tools/render/dbrender.h"

#include "tools/render/dbrenderdialogs.h"
#include "viewer/databaseapp.h"
#include "viewer/maindialog.h"
#include "viewer/picturetoolbar.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <iostream>
#include <memory>

namespace {

// The offscreen screen is 800 x 600; the viewer is drawn as a user with a
// screen large enough for it would see it.
class CRenderedMainDialog : public CMainDialog {
public:
    using CMainDialog::CMainDialog;

protected:
    QRect GetWorkArea() const override { return QRect(0, 0, kMaxWorkArea, kMaxWorkArea); }

private:
    // Larger than any picture a record can describe sensibly, small enough
    // that the image of the two windows stays a few hundred megabytes at most.
    static constexpr int kMaxWorkArea = 8192;
};

// The picture viewer as "Изображения..." opens it on the shown card, after
// nPicture - 1 steps forward, drawn over the main window where it stands;
// where it reaches past the main window the picture grows and stays
// transparent. A null image, with the message on stderr, when the shown
// item has no such picture.
QImage RenderPictureViewer(CMainDialog& dlg, std::int32_t nPicture) {
    auto* pButton = qobject_cast<QPushButton*>(dlg.GetDlgItem(CMainDialog::IDC_IMAGES));
    if (!pButton || !pButton->isEnabled()) {
        std::cerr << "verlumo-db render: the picture viewer opens only on a type with pictures\n";
        return {};
    }
    pButton->click();
    CPictureWnd& wnd = dlg.m_wndPictures;
    const std::size_t nCount = dlg.m_Card.m_pictureOffsets.size();
    if (!wnd.IsWindow() || static_cast<std::size_t>(nPicture) > nCount) {
        std::cerr << "verlumo-db render: there is no picture " << nPicture
                  << " in the series of the selected type (" << nCount << " can be shown)\n";
        wnd.ClosePicture();
        return {};
    }
    for (std::int32_t k = 1; k < nPicture; ++k)
        wnd.SendCommand(ID_PICTURE_NEXT);
    QApplication::processEvents();
    const QImage main = dlg.grab().toImage();
    const QImage viewer = wnd.grab().toImage();
    const QRect rcMain(dlg.mapToGlobal(QPoint(0, 0)), main.size());
    const QRect rcViewer(wnd.mapToGlobal(QPoint(0, 0)), viewer.size());
    const QRect rcAll = rcMain.united(rcViewer);
    QImage image(rcAll.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.drawImage(rcMain.topLeft() - rcAll.topLeft(), main);
        painter.drawImage(rcViewer.topLeft() - rcAll.topLeft(), viewer);
    }
    wnd.ClosePicture();
    return image;
}

// The window as the request wants it drawn, saved; the exit code.
int DrawAndSave(CMainDialog& dlg, const RenderRequest& request) {
    int nExit = 0;
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
    } else if (request.nViewer > 0) {
        image = RenderPictureViewer(dlg, request.nViewer);
        if (image.isNull())
            nExit = 2;
    } else {
        image = dlg.grab().toImage();
    }
    if (nExit == 0 && !image.save(QString::fromStdString(request.strOutput), "PNG")) {
        std::cerr << "verlumo-db render: cannot write " << request.strOutput << '\n';
        nExit = 2;
    }
    return nExit;
}

} // namespace

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

    // Held back until the selection is known to stand in the tree: a
    // position that does not is only that error, as if nothing had started.
    std::string strHeld;
    bool bHolding = request.nSelect >= 0;
    CDatabaseApp app;
    app.m_fileErrors.m_sink = [&](const std::string& strTitle, const std::string& strText) {
        const std::string strLine = strTitle + ": " + strText + '\n';
        if (bHolding)
            strHeld += strLine;
        else
            std::cerr << strLine;
    };
    app.m_strDataDir = request.strDir;
    app.OpenDataFiles();
    app.ReportUnopenedFiles();

    std::int32_t nFirstItem = request.nSelect;
    int nExit = 0;
    {
        CRenderedMainDialog dlg(&nFirstItem, nullptr, &app);
        // The window's own build tells whether the position is in the tree:
        // no walk of its own for the check.
        dlg.Create();
        if (bHolding && dlg.GetTypeTree().m_hSelectedItem == 0) {
            nExit = kRenderNoSuchPosition;
        } else {
            bHolding = false;
            std::cerr << strHeld;
            nExit = DrawAndSave(dlg, request);
        }
        dlg.hide();
    }
    app.Close();
    return nExit;
}
