#pragma once

#include <QWidget>
#include <functional>

class QPainter;

// The preview control of the main dialog ("PreviewClass"): a bordered child
// window that does not draw its inside itself. Its owner paints the client
// area, as the dialog's repaint drew into the control in the original; Qt
// lets every widget paint only itself, so the control hands its painter over.
class CPreviewControl : public QWidget {
public:
    static constexpr int kBorder = 1; // WS_BORDER

    explicit CPreviewControl(QWidget* pParent = nullptr);

    QRect ClientRect() const;

    // Paints the client area; the painter's origin is the client area's corner
    // and it is clipped to it.
    std::function<void(QPainter&)> m_onPaintClient;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
};
