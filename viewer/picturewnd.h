#pragma once

#include <QCursor>
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

class CAircraftText;
class CDibSection;
class CDatabaseFiles;
class QToolBar;

// The picture viewer: a popup with a dialog frame and no caption, owned by
// the main dialog, with the toolbar at the top of its client area and the
// picture centred on grey below. It steps through the series whose offsets
// the card holds and closes on a click on the picture, Esc, "Выход" or as
// soon as it loses the keyboard focus. The object outlives its window; the
// window and its toolbar are made anew at every opening.
class CPictureWnd : public QWidget {
public:
    // SM_CXDLGFRAME and SM_CYDLGFRAME: the frame is drawn by the viewer, so
    // its width is ours to fix.
    static constexpr int kDlgFrame = 3;

    explicit CPictureWnd(CAircraftText* pCard);
    ~CPictureWnd() override;

    // CWnd::CreateEx: the window at rcWindow (screen coordinates, outer
    // size), owned by pParent, activated and focused. Runs OnCreate.
    bool CreateEx(QWidget* pParent, const QRect& rcWindow);
    bool IsWindow() const { return m_bWindow; }
    // The client area: inside the frame, (0, 0) at its corner.
    QRect GetClientRect() const;
    QWidget* GetClientWindow() const { return m_pClient; }
    // Draws into the client area (CDC::FillSolidRect on the window's DC).
    void FillSolidRect(const QRect& rc, const QColor& colour);

    // Reads, decodes and draws the record at the file's position.
    void ShowPicture();
    void UpdatePictureButtons();
    void ClosePicture();

    // WM_COMMAND, as the toolbar sends it; through the message boundary.
    void SendCommand(unsigned nID);
    // TB_ISBUTTONENABLED; false without a toolbar.
    bool IsButtonEnabled(unsigned nID) const;

    QToolBar* m_pToolBar = nullptr;
    const int m_nToolBarHeight = 30;
    CDatabaseFiles* m_pApp;
    CAircraftText* m_pCard;
    QCursor m_hArrowCursor;
    QCursor m_hWaitCursor;

    // The owner's message boundary; every event handler runs inside it, so a
    // CFileException from a read is reported as the owner's own are.
    std::function<void(const std::function<void()>&)> m_onMessage;

protected:
    int OnCreate();
    void OnKeyDown(int nVirtKey);
    void OnLButtonDown();
    void OnClose();
    void OnNextPicture();
    void OnKillFocus();
    void OnPrevPicture();
    void OnClosePicture();
    void OnCommand(unsigned nID);

    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;

private:
    void DestroyWindow();
    void Dispatch(const std::function<void()>& handler);
    std::size_t PictureCount() const;

    QWidget* m_pClient = nullptr;
    // What the client area shows: drawn by the opening and ShowPicture
    // only, and put on the screen by the repaints Qt asks for.
    QImage m_clientImage;
    // The shown picture's DIB and image, kept from one step to the next so
    // that a step reuses their memory; freed when the window closes.
    std::unique_ptr<CDibSection> m_pDib;
    QImage m_picture;
    bool m_bWindow = false;
    bool m_bClosing = false;
};
