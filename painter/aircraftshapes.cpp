#include "painter/aircraftshapes.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

// --- sketch -------------------------------------------------------------------

void CSketch::Fill(const QPainterPath& path, const QBrush& brush, const QColor& outline) {
    m_parts.push_back({path, brush, outline, {}, false});
}

void CSketch::FillInside(const QPainterPath& path, const QPainterPath& clip, const QBrush& brush) {
    // A clip region would leave aliased edges; the intersection keeps them smooth.
    QPainterPath inside = path.intersected(clip);
    if (!inside.isEmpty())
        m_parts.push_back({inside, brush, QColor(), clip, true});
}

void CSketch::Stroke(const QPainterPath& path, const QColor& color, double dWidth) {
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(dWidth, 0.9 * m_dPixel));
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    m_parts.push_back({stroker.createStroke(path), QBrush(color), QColor(), {}, false});
}

QRectF CSketch::Bounds() const {
    QRectF bounds;
    for (const Part& part : m_parts) {
        // Clipped parts lie inside shapes already counted.
        if (!part.bClip)
            bounds = bounds.united(part.path.boundingRect());
    }
    return bounds;
}

void CSketch::Paint(QPainter& painter, double dOutlinePx) const {
    for (const Part& part : m_parts) {
        QPen pen(Qt::NoPen);
        if (part.outline.isValid()) {
            pen = QPen(part.outline, dOutlinePx);
            pen.setCosmetic(true);
            pen.setJoinStyle(Qt::RoundJoin);
        }
        painter.setPen(pen);
        painter.setBrush(part.brush);
        painter.drawPath(part.path);
    }
}

// --- colours and shapes ---------------------------------------------------------

QColor Scale(const QColor& color, double dFactor) {
    auto channel = [dFactor](int v) {
        const double d = dFactor >= 1 ? 255 - (255 - v) / dFactor : v * dFactor;
        return std::clamp(static_cast<int>(std::lround(d)), 0, 255);
    };
    return QColor(channel(color.red()), channel(color.green()), channel(color.blue()),
                  color.alpha());
}

QColor Mix(const QColor& a, const QColor& b, double dB) {
    auto mix = [dB](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * dB)); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()),
                  mix(a.alpha(), b.alpha()));
}

QColor OutlineOf(const QColor& color) {
    QColor outline = Mix(Scale(color, 0.55), QColor(40, 48, 60), 0.35);
    outline.setAlpha(220);
    return outline;
}

QBrush Shaded(const QColor& color, QPointF ptLight, QPointF ptDark, double dContrast) {
    QLinearGradient gradient(ptLight, ptDark);
    gradient.setColorAt(0, Scale(color, 1 + 0.5 * dContrast));
    gradient.setColorAt(0.35, color);
    gradient.setColorAt(1, Scale(color, 1 - 0.3 * dContrast));
    return QBrush(gradient);
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool bFirst = true;
    for (const QPointF& pt : points) {
        if (bFirst)
            path.moveTo(pt);
        else
            path.lineTo(pt);
        bFirst = false;
    }
    path.closeSubpath();
    return path;
}

QPainterPath Ellipse(QPointF ptCentre, double dRx, double dRy) {
    QPainterPath path;
    path.addEllipse(ptCentre, dRx, dRy);
    return path;
}

QPainterPath MirrorX(const QPainterPath& path) {
    return QTransform(-1, 0, 0, 1, 0, 0).map(path);
}

QPainterPath CamouflagePatches(const QRectF& area, double dPatch, unsigned nSeed) {
    std::minstd_rand random(nSeed);
    auto next = [&random] {
        return static_cast<double>(random() - random.min()) / (random.max() - random.min());
    };
    // Irregular blobs, each stretched along its own direction, on a loose grid.
    QPainterPath patches;
    patches.setFillRule(Qt::WindingFill);
    const double dCell = 1.6 * dPatch;
    for (double y = area.top() - dPatch; y < area.bottom() + dPatch; y += dCell) {
        for (double x = area.left() - dPatch; x < area.right() + dPatch; x += dCell) {
            if (next() < 0.3)
                continue;
            // One draw per statement: the order of a call's arguments is the
            // compiler's choice, and the picture must not depend on it.
            const double dDy = next();
            const double dDx = next();
            const QPointF ptCentre(x + dDx * dCell, y + dDy * dCell);
            const double dTurn = next() * std::numbers::pi;
            const double dStretch = 1.3 + next();
            constexpr int kCorners = 9;
            QPointF corners[kCorners];
            for (int k = 0; k < kCorners; ++k) {
                const double dAngle = 2 * std::numbers::pi * (k + 0.4 * next()) / kCorners;
                const double dRadius = dPatch * (0.35 + 0.5 * next());
                const double u = std::cos(dAngle) * dRadius * dStretch;
                const double v = std::sin(dAngle) * dRadius / dStretch * 1.3;
                corners[k] = ptCentre + QPointF(u * std::cos(dTurn) - v * std::sin(dTurn),
                                                u * std::sin(dTurn) + v * std::cos(dTurn));
            }
            // Rounded through the edge midpoints.
            QPainterPath blob;
            blob.moveTo((corners[0] + corners[1]) / 2);
            for (int k = 1; k <= kCorners; ++k) {
                const QPointF& c = corners[k % kCorners];
                blob.quadTo(c, (c + corners[(k + 1) % kCorners]) / 2);
            }
            blob.closeSubpath();
            patches.addPath(blob);
        }
    }
    return patches.simplified();
}
