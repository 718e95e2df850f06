#include "viewer/maindialog.h"

#include "mainwnd/statictext.h"
#include "pictures/lzwcodec.h"
#include "pictures/pictureheader.h"
#include "pictures/pictureseries.h"
#include "platform/qt/dialogtemplate.h"
#include "platform/qt/dibimage.h"
#include "platform/qt/richeditview.h"
#include "platform/qt/treeview.h"
#include "platform/qt/waitcursor.h"
#include "viewer/appicon.h"
#include "viewer/databaseapp.h"
#include "viewer/extradatadialog.h"
#include "viewer/previewwnd.h"
#include "viewer/searchdialog.h"

#include <QFont>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimerEvent>
#include <stdexcept>

namespace {

CDatabaseApp& RunningApp(CDatabaseApp* pApp) {
    if (!pApp)
        pApp = AfxGetApp();
    if (!pApp)
        throw std::logic_error("the main dialog needs the application object");
    return *pApp;
}

const QColor kPreviewGrey(194, 194, 194);

} // namespace

CMainDialog::CMainDialog(std::int32_t* pFirstItem, QWidget* pParent, CDatabaseApp* pApp)
    : QDialog(pParent), m_pApp(&RunningApp(pApp)), m_Card(m_pApp), m_pFirstItem(pFirstItem),
      m_hIcon(AppIcon()), m_typeTree(m_ctlTree, *m_pApp, pFirstItem),
      m_itemCard(m_Card, m_ctlGeneral, m_ctlSpecs, m_ctlSpeeds) {
    CreateControls();
}

CMainDialog::~CMainDialog() {
    // The views hold on to the stores, which are members and go first.
    delete m_pTreeView;
    delete m_pGeneralView;
    delete m_pSpecsView;
    delete m_pSpeedsView;
}

// Template 102.
void CMainDialog::CreateControls() {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Фирма \"КОРВ\". База данных по типам воздушных судов"));
    using dialogtemplate::Id;
    using dialogtemplate::MapDialogRect;
    setFont(dialogtemplate::DialogFont());
    setFixedSize(MapDialogRect(0, 0, 457, 263).size());

    auto place = [](QWidget* pWidget, int nID, QRect rc) {
        pWidget->setObjectName(Id(nID));
        pWidget->setGeometry(rc);
    };
    auto button = [&](int nID, const QString& strText, QRect rc) {
        auto* pButton = new QPushButton(strText, this);
        place(pButton, nID, rc);
        pButton->setFocusPolicy(Qt::StrongFocus);
        return pButton;
    };
    auto pane = [&](CRichEditCtrl& ctl, int nID, QRect rc) {
        auto* pView = new CRichEditView(ctl, this);
        place(pView, nID, rc);
        pView->setFrameStyle(QFrame::Box | QFrame::Plain);
        pView->setLineWidth(1);
        pView->setFocusPolicy(Qt::StrongFocus);
        return pView;
    };

    m_pTreeView = new CTreeView(m_ctlTree, this);
    place(m_pTreeView, IDC_TREE, MapDialogRect(7, 7, 143, 249));
    m_pTreeView->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_pTreeView->setLineWidth(1);
    m_pTreeView->setFocusPolicy(Qt::StrongFocus);

    m_pAdditionalButton = button(IDC_ADDITIONAL, QStringLiteral("Дополнительные данные..."),
                                 MapDialogRect(167, 242, 102, 14));
    m_pImagesButton =
        button(IDC_IMAGES, QStringLiteral("Изображения..."), MapDialogRect(315, 242, 71, 14));
    m_pSearchButton = button(IDC_SEARCH, QStringLiteral("Поиск по основным данным"),
                             MapDialogRect(156, 116, 143, 14));
    m_pOkButton = button(IDOK, QStringLiteral("Выход"), MapDialogRect(400, 242, 50, 14));
    m_pOkButton->setDefault(true);

    m_pGeneralView = pane(m_ctlGeneral, IDC_GENERAL, MapDialogRect(156, 7, 143, 105));
    m_pSpeedsView = pane(m_ctlSpeeds, IDC_SPEEDS, MapDialogRect(156, 136, 124, 101));
    m_pSpecsView = pane(m_ctlSpecs, IDC_SPECS, MapDialogRect(307, 7, 143, 123));

    // The template's 162 x 101 units come out a pixel or two larger than the
    // picture area; the control is made to hold exactly 240 x 160 inside its border.
    m_pPreview = new CPreviewWnd(this);
    const QRect rcPreview = MapDialogRect(288, 136, 162, 101);
    place(m_pPreview, IDC_PREVIEW,
          QRect(rcPreview.topLeft(), QSize(kPreviewWidth + 2 * CPreviewWnd::kBorder,
                                           kPreviewHeight + 2 * CPreviewWnd::kBorder)));
    m_pPreview->m_onPaintClient = [this](QPainter& painter) { PaintPreview(painter); };
    m_wndPictures.m_onMessage = [this](const std::function<void()>& handler) {
        HandleMessage(handler);
    };

    m_pPicturesEdit = new QLineEdit(this);
    place(m_pPicturesEdit, IDC_PICTURES, MapDialogRect(288, 242, 25, 14));
    m_pPicturesEdit->setReadOnly(true);
    m_pPicturesEdit->setFocusPolicy(Qt::StrongFocus);

    QWidget* tabOrder[] = {m_pTreeView, m_pAdditionalButton, m_pImagesButton, m_pSearchButton,
                           m_pOkButton, m_pGeneralView,      m_pSpeedsView,   m_pSpecsView,
                           m_pPreview,  m_pPicturesEdit};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    m_pTreeView->m_onSelChanged = [this](HTREEITEM /*hOld*/, HTREEITEM hNew) {
        HandleMessage([&] { OnSelchangedTree(hNew); });
    };
    m_pTreeView->m_onKeyDown = [this](int nVirtKey) {
        HandleMessage([&] { OnKeydownTree(nVirtKey); });
    };
    connect(m_pImagesButton, &QPushButton::clicked, this,
            [this] { HandleMessage([&] { OnImages(); }); });
    connect(m_pAdditionalButton, &QPushButton::clicked, this,
            [this] { HandleMessage([&] { OnAdditionalData(); }); });
    connect(m_pSearchButton, &QPushButton::clicked, this,
            [this] { HandleMessage([&] { OnSearch(); }); });
    connect(m_pOkButton, &QPushButton::clicked, this, [this] { HandleMessage([&] { OnOK(); }); });
}

QWidget* CMainDialog::GetDlgItem(int nID) const {
    return dialogtemplate::GetDlgItem(*this, nID);
}

CRichEditView* CMainDialog::GetPaneView(int nID) const {
    switch (nID) {
    case IDC_GENERAL:
        return m_pGeneralView;
    case IDC_SPECS:
        return m_pSpecsView;
    case IDC_SPEEDS:
        return m_pSpeedsView;
    default:
        return nullptr;
    }
}

int CMainDialog::DoModal() {
    if (!m_bInitialized) {
        m_bInitialized = true;
        HandleMessage([&] { OnInitDialog(); });
    }
    return exec();
}

void CMainDialog::Create() {
    if (!m_bInitialized) {
        m_bInitialized = true;
        HandleMessage([&] { OnInitDialog(); });
    }
    show();
    m_pTreeView->setFocus(Qt::OtherFocusReason);
}

bool CMainDialog::OnInitDialog() {
    // Before the window first shows: the flag cannot change without the
    // window being made anew.
    if (m_pApp->m_cmdInfo.m_bTopMost)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Window managers draw nothing of a minimised window's client area, so
    // the icon goes on the window, first, so that no failed read can leave
    // the window without it.
    setWindowIcon(m_hIcon);
    UpdateData(false);
    m_hWaitCursor = QCursor(Qt::WaitCursor);
    // Nothing is shown yet, so there is nothing to open.
    m_pImagesButton->setEnabled(false);
    m_pAdditionalButton->setEnabled(false);
    LoadStaticText(m_ctlGeneral);
    LoadStaticText(m_ctlSpecs);
    LoadStaticText(m_ctlSpeeds);
    // A read that ends the build early is reported, and the window is made
    // whole all the same around the items built so far.
    try {
        m_typeTree.Build();
    } catch (const CFileException& e) {
        ReportFileError(e);
    }
    m_hSelectedItem = m_typeTree.m_hSelectedItem;
    m_pTreeView->Reset();
    // Only the first top-level item opens.
    m_pTreeView->Expand(m_ctlTree.GetNextItem(0, TVGN_ROOT), TVE_EXPAND);
    // The remembered item: its ancestors open, it comes into view, and its
    // card follows one timer delay later.
    m_pTreeView->SelectItem(m_hSelectedItem);
    m_pTreeView->setFocus(Qt::OtherFocusReason);
    return true;
}

void CMainDialog::LoadStaticText(CRichEditCtrl& ctl) {
    ECardPane ePane = ECardPane::other;
    if (&ctl == &m_ctlGeneral)
        ePane = ECardPane::general;
    else if (&ctl == &m_ctlSpecs)
        ePane = ECardPane::specs;
    else if (&ctl == &m_ctlSpeeds)
        ePane = ECardPane::speeds;
    const std::string strFile = m_pApp->DataPath(CDatabaseFiles::kCardTemplateName);
    // A template that cannot be opened leaves the pane empty; the warning
    // names the file once and the start goes on.
    if (!::LoadStaticText(ctl, ePane, strFile))
        ReportFileError(CFileException(CFileException::fileNotOpen, strFile,
                                       "cannot open the caption template " + strFile));
}

void CMainDialog::OnSelchangedTree(HTREEITEM hNewItem) {
    m_hSelectedItem = hNewItem;
    // Nothing selected has no record; it shows as a group would.
    m_nCurrentItem = hNewItem ? m_ctlTree.GetItemData(hNewItem) : -1;
    KillTimer(m_nTimerID);
    SetTimer(m_nTimerID, m_nTimerDelay);
}

void CMainDialog::OnTimer(unsigned nIDEvent) {
    if (nIDEvent != m_nTimerID)
        return;
    KillTimer(m_nTimerID);
    SetPanesReadOnly(false);
    // The panes go back to read-only even when a read ends the message early.
    struct CReadOnlyAgain {
        CMainDialog* m_pDialog;
        ~CReadOnlyAgain() { m_pDialog->SetPanesReadOnly(true); }
    } readOnlyAgain{this};
    ShowItem(m_nCurrentItem);
}

void CMainDialog::SetPanesReadOnly(bool bReadOnly) {
    m_pGeneralView->SetReadOnly(bReadOnly);
    m_pSpeedsView->SetReadOnly(bReadOnly);
    m_pSpecsView->SetReadOnly(bReadOnly);
}

void CMainDialog::ShowItem(std::int32_t nItem) {
    // F2 may have opened the viewer before the selection timer fired; it
    // must not go on with a list that is about to belong to another type.
    m_wndPictures.ClosePicture();
    m_itemCard.ShowItem(nItem);
    m_nPictures = m_itemCard.m_nPictures;
    m_pImagesButton->setEnabled(m_itemCard.m_bImagesEnabled);
    m_pAdditionalButton->setEnabled(m_itemCard.m_bAdditionalEnabled);
    // The count goes with the buttons before the preview's read, which may
    // fail and end the message.
    UpdateData(false);
    ShowPreview(nItem);
}

void CMainDialog::ShowPreview(std::int32_t nItem) {
    // Grey first: a read that throws must not leave the last type's picture.
    m_bPreview = false;
    m_pPreview->update();
    if (nItem < 0)
        return;
    const auto pDib = ReadPreview(m_pApp->m_filePictures, m_Card.m_record);
    if (!pDib)
        return;
    QImage image = DibToImage(*pDib);
    if (image.isNull())
        return;
    m_dcMem = std::move(image);
    m_nPreviewWidth = pDib->GetWidth();
    m_nPreviewHeight = pDib->GetHeight();
    m_bPreview = true;
}

void CMainDialog::PaintPreview(QPainter& painter) {
    painter.fillRect(QRect(0, 0, kPreviewWidth, kPreviewHeight), kPreviewGrey);
    if (m_bPreview && !m_dcMem.isNull())
        painter.drawImage(QPoint(CentredOffset(kPreviewWidth, m_nPreviewWidth),
                                 CentredOffset(kPreviewHeight, m_nPreviewHeight)),
                          m_dcMem, QRect(0, 0, m_nPreviewWidth, m_nPreviewHeight));
}

void CMainDialog::UpdateData(bool bSaveAndValidate) {
    if (bSaveAndValidate) {
        bool bOk = false;
        const int n = m_pPicturesEdit->text().trimmed().toInt(&bOk);
        if (bOk)
            m_nPictures = n;
    } else {
        m_pPicturesEdit->setText(QString::number(m_nPictures));
    }
}

void CMainDialog::OnKeydownTree(int nVirtKey) {
    switch (nVirtKey) {
    case VK_F2:
        // Button 1004's own condition: a negative count opens nothing either.
        if (m_Card.m_record.pictureCount > 0)
            OnImages();
        break;
    case VK_F3:
        if (m_itemCard.m_bAdditionalEnabled)
            OnAdditionalData();
        break;
    default:
        // F1 included: no help file ships, so there is nothing to show.
        break;
    }
}

void CMainDialog::OnImages() {
    // Coordinates below are relative to the usable part of the dialog's
    // screen, which need not start at (0, 0).
    const QRect rcFull = GetWorkArea();
    const int cxFull = rcFull.width();
    const int cyFull = rcFull.height();
    const CWaitCursor wait(m_hWaitCursor);

    m_Card.m_nCurrentPicture = 0;
    if (m_Card.m_pictureOffsets.empty()) {
        ScanPictures();
        // Nothing of the series could be read: there is nothing to show.
        if (m_Card.m_pictureOffsets.empty())
            return;
        const ViewerSize size = ViewerWindowSize(m_nViewerWidth, m_nViewerHeight,
                                                 CPictureWnd::kDlgFrame, CPictureWnd::kDlgFrame,
                                                 m_wndPictures.m_nToolBarHeight, cxFull, cyFull);
        m_nViewerWidth = size.nWidth;
        m_nViewerHeight = size.nHeight;
    }
    m_pApp->m_filePictures.Seek(m_Card.m_pictureOffsets[0], CFile::begin);

    const QRect rcDialog = frameGeometry().translated(-rcFull.topLeft());
    m_rcViewer = PlaceViewer({rcDialog.left(), rcDialog.top(), rcDialog.left() + rcDialog.width(),
                              rcDialog.top() + rcDialog.height()},
                             {m_nViewerWidth, m_nViewerHeight}, cxFull, cyFull);
    const QRect rcViewer =
        QRect(m_rcViewer.left, m_rcViewer.top, m_rcViewer.Width(), m_rcViewer.Height())
            .translated(rcFull.topLeft());
    if (!m_wndPictures.CreateEx(this, rcViewer))
        return;
    m_wndPictures.FillSolidRect(m_wndPictures.GetClientRect(), kPreviewGrey);
    m_wndPictures.ShowPicture();
}

QRect CMainDialog::GetWorkArea() const {
    const QScreen* pScreen = screen();
    return pScreen ? pScreen->availableGeometry() : QRect(0, 0, 640, 480);
}

void CMainDialog::ScanPictures() {
    PictureSeries series = ::ScanPictures(m_pApp->m_filePictures, m_Card.m_record);
    m_Card.m_pictureOffsets = std::move(series.offsets);
    m_nViewerWidth = series.nMaxWidth;
    m_nViewerHeight = series.nMaxHeight;
}

void CMainDialog::OnAdditionalData() {
    {
        CExtraDataDialog dlg(m_Card, *m_pApp, m_pApp->m_strDataDir, this);
        dlg.m_pMessages = &m_pApp->m_fileErrors;
        dlg.exec();
    }
    ActivateAgain();
}

void CMainDialog::OnSearch() {
    CSearchDialog::RunSearch(this, m_typeTree, m_strSearch, &m_pApp->m_fileErrors, m_pTreeView);
    ActivateAgain();
}

// Some window managers activate no window when a modal box or dialog over
// this one closes, and the keyboard would go nowhere until a click.
void CMainDialog::ActivateAgain() {
    activateWindow();
    m_pTreeView->setFocus(Qt::ActiveWindowFocusReason);
}

void CMainDialog::OnOK() {
    if (m_pFirstItem) {
        // Every item in pre-order, collapsed or not, to the very last one.
        *m_pFirstItem = -1;
        std::int32_t nCount = 0;
        for (HTREEITEM h = m_ctlTree.GetNextItem(0, TVGN_ROOT); h;
             h = m_typeTree.GetNextTreeItem(h)) {
            if (h == m_hSelectedItem)
                *m_pFirstItem = nCount;
            else
                ++nCount;
        }
    }
    QDialog::accept();
}

void CMainDialog::OnCancel() {
    OnOK();
}

void CMainDialog::accept() {
    HandleMessage([&] { OnOK(); });
}

// Esc and the close box.
void CMainDialog::reject() {
    HandleMessage([&] { OnCancel(); });
}

void CMainDialog::SetTimer(unsigned nIDEvent, unsigned nElapse) {
    KillTimer(nIDEvent);
    m_timers[nIDEvent] = startTimer(static_cast<int>(nElapse));
}

void CMainDialog::KillTimer(unsigned nIDEvent) {
    const auto it = m_timers.find(nIDEvent);
    if (it == m_timers.end())
        return;
    killTimer(it->second);
    m_timers.erase(it);
}

void CMainDialog::timerEvent(QTimerEvent* pEvent) {
    for (const auto& [nIDEvent, nQtID] : m_timers) {
        if (nQtID == pEvent->timerId()) {
            const unsigned nID = nIDEvent;
            HandleMessage([&] { OnTimer(nID); });
            return;
        }
    }
    QDialog::timerEvent(pEvent);
}

CFileErrorReport* CMainDialog::FileErrors() const {
    return &m_pApp->m_fileErrors;
}

void CMainDialog::ReportFileError(const CFileException& e) {
    m_pApp->m_fileErrors.Report(e);
}
