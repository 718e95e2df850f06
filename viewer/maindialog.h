#pragma once

#include "data/aircrafttext.h"
#include "mainwnd/itemcard.h"
#include "mainwnd/typetree.h"
#include "pictures/viewerlayout.h"
#include "platform/cfile.h"
#include "platform/qt/messageboundary.h"
#include "platform/richeditctrl.h"
#include "platform/treectrl.h"
#include "viewer/picturewnd.h"

#include <QCursor>
#include <QDialog>
#include <QIcon>
#include <QImage>
#include <cstdint>
#include <map>
#include <string>

class CDatabaseApp;
class CPreviewWnd;
class CRichEditView;
class CTreeView;
class QLineEdit;
class QPainter;
class QPushButton;

// The main window (dialog template 102): the tree of types, the three card
// panes, the preview area, the picture count and four buttons. It wires the
// controls, waits for the tree selection to rest before showing a card, and
// on closing turns the selected item into the position remembered for the
// next run. The controls' ids are their object names ("1002", ..., "1" for
// "Выход").
class CMainDialog : public QDialog {
public:
    enum {
        IDD = 102,
        IDOK = 1,
        IDC_GENERAL = 1000,
        IDC_SPEEDS = 1001,
        IDC_TREE = 1002,
        IDC_SPECS = 1003,
        IDC_IMAGES = 1004,
        IDC_PREVIEW = 1005,
        IDC_PICTURES = 1006,
        IDC_ADDITIONAL = 1007,
        IDC_SEARCH = 1011,
    };
    static constexpr int kPreviewWidth = 240;
    static constexpr int kPreviewHeight = 160;

    // pFirstItem: the remembered position, read by the tree build and
    // written on closing. pApp: the running application (its files, its
    // command line and its error report).
    explicit CMainDialog(std::int32_t* pFirstItem, QWidget* pParent = nullptr,
                         CDatabaseApp* pApp = nullptr);
    ~CMainDialog() override;

    // Initialises and runs the dialog modally; returns when it has closed.
    int DoModal();
    // Initialises and shows it without a modal loop (offscreen rendering, tests).
    void Create();

    QWidget* GetDlgItem(int nID) const;

    // WM_TIMER.
    void OnTimer(unsigned nIDEvent);
    // Delivers WM_TIMER now, through the same boundary as a timer that fires.
    void SendTimerMessage(unsigned nIDEvent) {
        HandleMessage([&] { OnTimer(nIDEvent); });
    }
    bool IsTimerPending(unsigned nIDEvent) const { return m_timers.count(nIDEvent) != 0; }

    CTreeView* GetTreeView() const { return m_pTreeView; }
    CRichEditView* GetPaneView(int nID) const;
    CTypeTree& GetTypeTree() { return m_typeTree; }
    const CItemCard& GetItemCard() const { return m_itemCard; }

    // The members of the original, in its order.
    const unsigned m_nTimerID = 1;
    const unsigned m_nTimerDelay = 300;
    CDatabaseApp* m_pApp;
    CAircraftText m_Card;
    QCursor m_hWaitCursor;
    CPictureWnd m_wndPictures{&m_Card};
    QImage m_dcMem; // the preview bitmap, drawn centred when m_bPreview
    int m_nPreviewWidth = 0;
    int m_nPreviewHeight = 0;
    std::int32_t m_nCurrentItem = -1;
    std::int32_t* m_pFirstItem;
    HTREEITEM m_hSelectedItem = 0;
    bool m_bPreview = false;
    std::int32_t m_nViewerWidth = 0; // outer size of the picture viewer
    std::int32_t m_nViewerHeight = 0;
    ViewerRect m_rcViewer; // its screen placement at the last opening
    std::string m_strSearch;
    CTreeCtrl m_ctlTree;
    CRichEditCtrl m_ctlGeneral;
    CRichEditCtrl m_ctlSpecs;
    CRichEditCtrl m_ctlSpeeds;
    std::int32_t m_nPictures = 0;
    QIcon m_hIcon;

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void ShowItem(std::int32_t nItem);
    // Buttons 1004, 1007 and 1011; F2 and F3 come here too.
    virtual void OnImages();
    virtual void OnAdditionalData();
    virtual void OnSearch();
    void OnSelchangedTree(HTREEITEM hNewItem);
    void OnKeydownTree(int nVirtKey);

    void LoadStaticText(CRichEditCtrl& ctl);
    void ShowPreview(std::int32_t nItem);
    // The offsets of the shown type's series and its largest picture size.
    virtual void ScanPictures();
    // The usable part of the dialog's screen, where the picture viewer is
    // sized and placed.
    virtual QRect GetWorkArea() const;
    // Back to the tree, after a modal dialog over this one has closed.
    void ActivateAgain();
    void PaintPreview(QPainter& painter);
    // DDX for edit 1006: false shows m_nPictures, true reads it back.
    void UpdateData(bool bSaveAndValidate);
    void SetTimer(unsigned nIDEvent, unsigned nElapse);
    void KillTimer(unsigned nIDEvent);

    // The boundary of every window message of the dialog and its viewer.
    template <class F> void HandleMessage(F&& handler) { ::HandleMessage(FileErrors(), handler); }
    CFileErrorReport* FileErrors() const;
    void ReportFileError(const CFileException& e);

    void accept() override;
    void reject() override;
    void timerEvent(QTimerEvent* pEvent) override;

private:
    void CreateControls();
    void SetPanesReadOnly(bool bReadOnly);

    CTypeTree m_typeTree;
    CItemCard m_itemCard;
    std::map<unsigned, int> m_timers; // timer id -> Qt's timer id
    bool m_bInitialized = false;

    CTreeView* m_pTreeView = nullptr;
    CRichEditView* m_pGeneralView = nullptr;
    CRichEditView* m_pSpecsView = nullptr;
    CRichEditView* m_pSpeedsView = nullptr;
    CPreviewWnd* m_pPreview = nullptr;
    QLineEdit* m_pPicturesEdit = nullptr;
    QPushButton* m_pAdditionalButton = nullptr;
    QPushButton* m_pImagesButton = nullptr;
    QPushButton* m_pSearchButton = nullptr;
    QPushButton* m_pOkButton = nullptr;
};
