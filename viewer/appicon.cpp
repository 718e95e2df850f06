#include "viewer/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// The outline on a 32 x 32 grid, nose up, right half mirrored from the left.
QPainterPath AircraftPath() {
    const QPointF left[] = {
        {16.0, 1.0},  {14.6, 3.0}, {14.2, 10.5}, {2.0, 17.5},  {2.0, 20.0},  {14.2, 16.5},
        {14.6, 24.5}, {9.5, 28.0}, {9.5, 30.0},  {15.2, 28.6}, {16.0, 31.0},
    };
    QPainterPath path;
    path.moveTo(left[0]);
    for (const QPointF& p : left)
        path.lineTo(p);
    for (int i = static_cast<int>(std::size(left)) - 2; i > 0; --i)
        path.lineTo(32.0 - left[i].x(), left[i].y());
    path.closeSubpath();
    return path;
}

} // namespace

QImage AppIconImage(int nSize) {
    QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(nSize / 32.0, nSize / 32.0);
    // A sky disc behind the aircraft keeps it readable on dark and light panels.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 160, 224));
    painter.drawEllipse(QRectF(0.5, 0.5, 31.0, 31.0));
    painter.setBrush(QColor(240, 240, 240));
    painter.setPen(QPen(QColor(0, 0, 96), 0.9));
    painter.drawPath(AircraftPath());
    // Cockpit glazing.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawEllipse(QRectF(15.1, 4.0, 1.8, 2.6));
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(AppIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(AppIconImage(16)));
    return icon;
}
