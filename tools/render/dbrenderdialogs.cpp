#include "tools/render/dbrenderdialogs.h"

#include "viewer/databaseapp.h"
#include "viewer/extradatadialog.h"
#include "viewer/maindialog.h"
#include "viewer/searchdialog.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace {

QImage OverMainWindow(QWidget& wndMain, QDialog& dlg) {
    dlg.show();
    // The panes draw what they hold once the event loop has run.
    QApplication::processEvents();
    const QImage imgMain = wndMain.grab().toImage();
    const QImage imgDialog = dlg.grab().toImage();
    dlg.hide();

    const QRect rcMain(QPoint(0, 0), imgMain.size());
    const QRect rcDialog(QPoint((rcMain.width() - imgDialog.width()) / 2,
                                (rcMain.height() - imgDialog.height()) / 2),
                         imgDialog.size());
    const QRect rcFrame = rcDialog.adjusted(-1, -1, 1, 1);
    const QRect rcAll = rcMain.united(rcFrame);

    QImage image(rcAll.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-rcAll.topLeft());
    painter.drawImage(rcMain.topLeft(), imgMain);
    painter.fillRect(rcFrame, dlg.palette().color(QPalette::Shadow));
    painter.drawImage(rcDialog.topLeft(), imgDialog);
    painter.end();
    return image;
}

} // namespace

QImage RenderExtraDataDialog(CMainDialog& dlgMain) {
    if (!dlgMain.GetItemCard().m_bAdditionalEnabled)
        return {};
    CExtraDataDialog dlg(dlgMain.m_Card, *dlgMain.m_pApp, dlgMain.m_pApp->m_strDataDir, &dlgMain);
    dlg.m_pMessages = &dlgMain.m_pApp->m_fileErrors;
    return OverMainWindow(dlgMain, dlg);
}

QImage RenderSearchDialog(CMainDialog& dlgMain, const std::string& strSearch) {
    std::string strLast = CSearchDialog::ToCodePage(QString::fromStdString(strSearch));
    CSearchDialog dlg(dlgMain.GetTypeTree(), strLast, &dlgMain);
    dlg.m_pTreeView = dlgMain.GetTreeView();
    dlg.m_pMessages = &dlgMain.m_pApp->m_fileErrors;
    return OverMainWindow(dlgMain, dlg);
}
