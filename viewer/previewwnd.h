#pragma once

#include <QWidget>
#include <functional>

class QPainter;

// Control 1005 of the main dialog ("PreviewClass"): a bordered child window
// that does not draw its inside itself. The dialog fills it and copies its
// decoded preview into it; Qt lets every widget paint only itself, so the
// control hands its painter to the dialog.
class CPreviewWnd : public QWidget {
public:
    static constexpr int kBorder = 1; // WS_BORDER

    explicit CPreviewWnd(QWidget* pParent = nullptr);

    QRect ClientRect() const;

    // Paints the client area; the painter's origin is the client area's corner
    // and it is clipped to it.
    std::function<void(QPainter&)> m_onPaintClient;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
};
