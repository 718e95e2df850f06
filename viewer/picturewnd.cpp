#include "viewer/picturewnd.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "pictures/pictureseries.h"
#include "pictures/viewerlayout.h"
#include "platform/cfile.h"
#include "platform/dibsection.h"
#include "platform/qt/dibimage.h"
#include "platform/qt/treeview.h"
#include "platform/qt/waitcursor.h"
#include "viewer/picturetoolbar.h"
#include "viewer/toolbarbitmap.h"

#include <QAction>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace {

const QColor kBackground(194, 194, 194);

// The client area: it shows what the viewer drew into it and passes the
// mouse on to the viewer, as a window's client area belongs to the window.
class CClientArea : public QWidget {
public:
    CClientArea(QWidget* pParent, const QImage& image) : QWidget(pParent), m_image(image) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* /*pEvent*/) override {
        QPainter painter(this);
        painter.drawImage(0, 0, m_image);
    }

private:
    const QImage& m_image;
};

// The raised frame of WS_DLGFRAME: light and white outside-in at the top and
// left, black and dark grey at the bottom and right, then a line of face.
void DrawDialogFrame(QPainter& painter, const QRect& rc, const QPalette& palette) {
    const QColor face = palette.color(QPalette::Button);
    QRect r = rc.adjusted(0, 0, -1, -1);
    const QColor topLeft[] = {face, QColor(255, 255, 255), face};
    const QColor bottomRight[] = {QColor(0, 0, 0), QColor(128, 128, 128), face};
    static_assert(std::size(topLeft) == CPictureWnd::kDlgFrame);
    for (int i = 0; i < CPictureWnd::kDlgFrame; ++i) {
        painter.setPen(topLeft[i]);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight[i]);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
}

} // namespace

CPictureWnd::CPictureWnd(CAircraftText* pCard)
    : m_pApp(pCard->m_pApp), m_pCard(pCard), m_hArrowCursor(Qt::ArrowCursor),
      m_hWaitCursor(Qt::WaitCursor) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPictureWnd::~CPictureWnd() {
    // The window goes before the object; nothing may close it once more.
    m_bClosing = true;
    delete m_pToolBar;
}

bool CPictureWnd::CreateEx(QWidget* pParent, const QRect& rcWindow) {
    if (m_bWindow)
        ClosePicture();
    // Owned by the dialog, above it, with no frame or caption from the
    // window manager: the dialog frame is drawn here.
    setParent(pParent, Qt::Dialog | Qt::FramelessWindowHint);
    setGeometry(rcWindow);
    const QRect rcClient = rect().adjusted(kDlgFrame, kDlgFrame, -kDlgFrame, -kDlgFrame);
    m_clientImage = QImage(rcClient.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_clientImage.fill(palette().color(QPalette::Window));
    if (!m_pClient)
        m_pClient = new CClientArea(this, m_clientImage);
    m_pClient->setGeometry(rcClient);
    m_bWindow = true;
    m_bClosing = false;
    if (OnCreate() < 0) {
        DestroyWindow();
        return false;
    }
    show();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    return true;
}

int CPictureWnd::OnCreate() {
    m_pToolBar = new QToolBar(m_pClient);
    m_pToolBar->setMovable(false);
    m_pToolBar->setFloatable(false);
    m_pToolBar->setFocusPolicy(Qt::NoFocus);
    m_pToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_pToolBar->setIconSize(QSize(kToolBarImageWidth, kToolBarImageHeight));
    int nImage = 0;
    for (const unsigned nID : kPictureToolBarItems) {
        if (nID == ID_SEPARATOR) {
            m_pToolBar->addSeparator();
            continue;
        }
        QAction* pAction =
            m_pToolBar->addAction(QIcon(QPixmap::fromImage(ToolBarImage(nImage++))), QString());
        pAction->setToolTip(QString::fromUtf8(ToolTipText(nID)));
        pAction->setData(nID);
        QObject::connect(pAction, &QAction::triggered, this, [this, nID] { SendCommand(nID); });
        if (QWidget* pButton = m_pToolBar->widgetForAction(pAction)) {
            // The buttons never take the focus: the viewer would lose it and close.
            pButton->setFocusPolicy(Qt::NoFocus);
            pButton->setFixedSize(kToolBarImageWidth + 7, kToolBarImageHeight + 7);
            if (auto* pToolButton = qobject_cast<QToolButton*>(pButton))
                pToolButton->setAutoRaise(false);
        }
    }
    // The viewer's whole outer width; the client area cuts what lies beyond
    // it. Never narrower than the buttons: QToolBar would move the ones that
    // do not fit into a menu, where a toolbar control only cuts them.
    m_pToolBar->setGeometry(0, 0, std::max(width(), m_pToolBar->sizeHint().width()),
                            m_nToolBarHeight);
    m_pToolBar->show();
    UpdatePictureButtons();
    return 0;
}

QRect CPictureWnd::GetClientRect() const {
    return m_pClient ? QRect(QPoint(0, 0), m_pClient->size()) : QRect();
}

void CPictureWnd::FillSolidRect(const QRect& rc, const QColor& colour) {
    if (!m_bWindow)
        return;
    QPainter painter(&m_clientImage);
    painter.fillRect(rc, colour);
    m_pClient->update(rc);
}

std::size_t CPictureWnd::PictureCount() const {
    return m_pCard->m_pictureOffsets.size();
}

void CPictureWnd::ShowPicture() {
    if (!m_bWindow)
        return;
    bool bPicture = false;
    {
        const CWaitCursor wait(m_hWaitCursor);
        // A header the DIB section refuses shows nothing: the area stays grey.
        // The step before keeps its buffers for this one.
        m_pDib = ReadPicture(m_pApp->m_filePictures, std::move(m_pDib));
        if (m_pDib) {
            DibToImage(*m_pDib, m_picture);
            bPicture = !m_picture.isNull();
        }
    }
    QRect rc = GetClientRect();
    rc.setTop(m_nToolBarHeight);
    FillSolidRect(rc, kBackground);
    if (!bPicture)
        return;
    const QImage& picture = m_picture;
    const ViewerPoint at = PictureOrigin(rc.width(), GetClientRect().height(), m_nToolBarHeight,
                                         picture.width(), picture.height());
    QPainter painter(&m_clientImage);
    painter.drawImage(at.x, at.y, picture);
    m_pClient->update();
}

void CPictureWnd::UpdatePictureButtons() {
    if (!m_pToolBar)
        return;
    const std::int32_t n = m_pCard->m_nCurrentPicture;
    for (QAction* pAction : m_pToolBar->actions()) {
        const unsigned nID = pAction->data().toUInt();
        if (nID == ID_PICTURE_PREV)
            pAction->setEnabled(n > 0);
        else if (nID == ID_PICTURE_NEXT)
            pAction->setEnabled(n >= 0 && static_cast<std::size_t>(n) + 1 < PictureCount());
    }
}

bool CPictureWnd::IsButtonEnabled(unsigned nID) const {
    if (!m_pToolBar)
        return false;
    for (const QAction* pAction : m_pToolBar->actions())
        if (!pAction->isSeparator() && pAction->data().toUInt() == nID)
            return pAction->isEnabled();
    return false;
}

void CPictureWnd::OnPrevPicture() {
    if (m_pCard->m_nCurrentPicture <= 0)
        return;
    --m_pCard->m_nCurrentPicture;
    m_pApp->m_filePictures.Seek(
        m_pCard->m_pictureOffsets[static_cast<std::size_t>(m_pCard->m_nCurrentPicture)],
        CFile::begin);
    ShowPicture();
    UpdatePictureButtons();
}

void CPictureWnd::OnNextPicture() {
    const std::int32_t n = m_pCard->m_nCurrentPicture;
    if (n < 0 || static_cast<std::size_t>(n) + 1 >= PictureCount())
        return;
    ++m_pCard->m_nCurrentPicture;
    // The record after the one shown; a stream that ended early leaves the
    // file inside its record, so the list says where the next one starts.
    m_pApp->m_filePictures.Seek(m_pCard->m_pictureOffsets[static_cast<std::size_t>(n) + 1],
                                CFile::begin);
    ShowPicture();
    UpdatePictureButtons();
}

void CPictureWnd::OnClosePicture() {
    ClosePicture();
}

void CPictureWnd::OnCommand(unsigned nID) {
    switch (nID) {
    case ID_PICTURE_NEXT:
        OnNextPicture();
        break;
    case ID_PICTURE_PREV:
        OnPrevPicture();
        break;
    case ID_PICTURE_CLOSE:
        OnClosePicture();
        break;
    default:
        break;
    }
}

void CPictureWnd::SendCommand(unsigned nID) {
    Dispatch([&] { OnCommand(nID); });
}

void CPictureWnd::OnKeyDown(int nVirtKey) {
    switch (nVirtKey) {
    case VK_ESCAPE:
        ClosePicture();
        break;
    case VK_LEFT:
        if (IsButtonEnabled(ID_PICTURE_PREV))
            OnPrevPicture();
        break;
    case VK_RIGHT:
        if (IsButtonEnabled(ID_PICTURE_NEXT))
            OnNextPicture();
        break;
    default:
        break;
    }
}

void CPictureWnd::OnLButtonDown() {
    ClosePicture();
}

void CPictureWnd::OnKillFocus() {
    ClosePicture();
}

void CPictureWnd::OnClose() {
    ClosePicture();
}

void CPictureWnd::ClosePicture() {
    if (!m_bWindow || m_bClosing)
        return;
    m_bClosing = true;
    // "Выход" closes from inside its own button's click, so the toolbar
    // goes once that click is over.
    if (m_pToolBar) {
        m_pToolBar->hide();
        m_pToolBar->deleteLater();
        m_pToolBar = nullptr;
    }
    DestroyWindow();
    m_bClosing = false;
}

void CPictureWnd::DestroyWindow() {
    // Closed by the user within the viewer: the owner gets the focus back,
    // as Windows activates the owner of a destroyed popup. Closed because
    // another window took the focus: that window keeps it.
    const bool bWasActive = isActiveWindow();
    m_bWindow = false;
    // A closed viewer holds no picture.
    m_pDib.reset();
    m_picture = QImage();
    hide();
    if (bWasActive && parentWidget())
        parentWidget()->activateWindow();
}

void CPictureWnd::Dispatch(const std::function<void()>& handler) {
    if (m_onMessage)
        m_onMessage(handler);
    else
        handler();
}

void CPictureWnd::keyPressEvent(QKeyEvent* pEvent) {
    const int nVirtKey = CTreeView::VirtualKeyOf(pEvent->key());
    if (nVirtKey == VK_ESCAPE || nVirtKey == VK_LEFT || nVirtKey == VK_RIGHT) {
        Dispatch([&] { OnKeyDown(nVirtKey); });
        return;
    }
    QWidget::keyPressEvent(pEvent);
}

void CPictureWnd::mousePressEvent(QMouseEvent* pEvent) {
    // Presses reach here from the client area, and from the toolbar when no
    // button took them; the frame and the toolbar band are not the picture.
    const QPoint pt = pEvent->position().toPoint();
    const bool bInClient = m_pClient && m_pClient->geometry().contains(pt);
    const bool bOnToolBar =
        m_pToolBar && m_pToolBar->geometry().contains(m_pClient->mapFrom(this, pt));
    if (pEvent->button() == Qt::LeftButton && bInClient && !bOnToolBar) {
        Dispatch([&] { OnLButtonDown(); });
        return;
    }
    QWidget::mousePressEvent(pEvent);
}

void CPictureWnd::focusOutEvent(QFocusEvent* pEvent) {
    QWidget::focusOutEvent(pEvent);
    Dispatch([&] { OnKillFocus(); });
}

void CPictureWnd::closeEvent(QCloseEvent* pEvent) {
    Dispatch([&] { OnClose(); });
    QWidget::closeEvent(pEvent);
}

void CPictureWnd::paintEvent(QPaintEvent* /*pEvent*/) {
    QPainter painter(this);
    DrawDialogFrame(painter, rect(), palette());
}
