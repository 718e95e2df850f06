#include "viewer/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cstdio>

namespace {

// The outline on the 32 x 32 grid, nose up, right half mirrored from the
// left. The painter and the SVG both read these, so the two cannot differ.
constexpr QPointF kLeftHalf[] = {
    {16.0, 1.0},  {14.6, 3.0}, {14.2, 10.5}, {2.0, 17.5},  {2.0, 20.0},  {14.2, 16.5},
    {14.6, 24.5}, {9.5, 28.0}, {9.5, 30.0},  {15.2, 28.6}, {16.0, 31.0},
};
constexpr QRectF kSkyDisc(0.5, 0.5, 31.0, 31.0);
constexpr QRectF kCockpit(15.1, 4.0, 1.8, 2.6);
constexpr double kOutlineWidth = 0.9;
constexpr QRgb kSky = 0xff60a0e0, kBody = 0xfff0f0f0, kOutline = 0xff000060, kGlazing = 0xff000080;

std::vector<QPointF> AircraftOutline() {
    std::vector<QPointF> points(std::begin(kLeftHalf), std::end(kLeftHalf));
    for (int i = static_cast<int>(std::size(kLeftHalf)) - 2; i > 0; --i)
        points.emplace_back(32.0 - kLeftHalf[i].x(), kLeftHalf[i].y());
    return points;
}

QPainterPath AircraftPath() {
    const std::vector<QPointF> points = AircraftOutline();
    QPainterPath path;
    path.moveTo(points.front());
    for (const QPointF& p : points)
        path.lineTo(p);
    path.closeSubpath();
    return path;
}

std::string SvgColour(QRgb rgb) {
    char sz[8];
    std::snprintf(sz, sizeof sz, "#%02x%02x%02x", qRed(rgb), qGreen(rgb), qBlue(rgb));
    return sz;
}

std::string SvgNumber(double d) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%g", d);
    return sz;
}

std::string SvgEllipse(const QRectF& rect, QRgb fill) {
    const QPointF c = rect.center();
    return "  <ellipse cx=\"" + SvgNumber(c.x()) + "\" cy=\"" + SvgNumber(c.y()) + "\" rx=\"" +
           SvgNumber(rect.width() / 2) + "\" ry=\"" + SvgNumber(rect.height() / 2) + "\" fill=\"" +
           SvgColour(fill) + "\"/>\n";
}

} // namespace

QImage AppIconImage(int nSize) {
    QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(nSize / 32.0, nSize / 32.0);
    // The sky disc keeps the aircraft readable on dark and light panels.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kSky));
    painter.drawEllipse(kSkyDisc);
    painter.setBrush(QColor(kBody));
    painter.setPen(QPen(QColor(kOutline), kOutlineWidth));
    painter.drawPath(AircraftPath());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kGlazing));
    painter.drawEllipse(kCockpit);
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int nSize : kAppIconSizes)
        icon.addPixmap(QPixmap::fromImage(AppIconImage(nSize)));
    return icon;
}

std::string AppIconSvg(int nSize) {
    std::string strPoints;
    for (const QPointF& p : AircraftOutline())
        strPoints += (strPoints.empty() ? "" : " ") + SvgNumber(p.x()) + "," + SvgNumber(p.y());
    const std::string strSize = std::to_string(nSize);
    // QPen joins bevelled by default; the SVG says so to match the PNGs.
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           strSize + "\" height=\"" + strSize + "\" viewBox=\"0 0 32 32\">\n" +
           SvgEllipse(kSkyDisc, kSky) + "  <polygon points=\"" + strPoints + "\" fill=\"" +
           SvgColour(kBody) + "\" stroke=\"" + SvgColour(kOutline) + "\" stroke-width=\"" +
           SvgNumber(kOutlineWidth) + "\" stroke-linejoin=\"bevel\"/>\n" +
           SvgEllipse(kCockpit, kGlazing) + "</svg>\n";
}
