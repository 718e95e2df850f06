#include "viewer/previewwnd.h"

#include <QPainter>

CPreviewWnd::CPreviewWnd(QWidget* pParent) : QWidget(pParent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

QRect CPreviewWnd::ClientRect() const {
    return rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
}

void CPreviewWnd::paintEvent(QPaintEvent* /*pEvent*/) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect rcClient = ClientRect();
    // Until the owner paints, the inside shows the dialog's face, which is
    // what an unpainted window of this class shows.
    painter.fillRect(rcClient, palette().color(QPalette::Window));
    painter.setClipRect(rcClient);
    painter.translate(rcClient.topLeft());
    if (m_onPaintClient)
        m_onPaintClient(painter);
}
