// The side view of a fixed-wing aircraft: nose to the left, y along the body
// drawn as x, height z drawn upwards.

#include "painter/aircraftshapes.h"

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QPointF P(double y, double z) {
    return {y, -z};
}

QPainterPath Hull(std::vector<QPointF> points) {
    std::sort(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    auto cross = [](const QPointF& o, const QPointF& a, const QPointF& b) {
        return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    std::vector<QPointF> hull(2 * points.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], points[i - 1]) <= 0)
            --k;
        hull[k++] = points[i - 1];
    }
    QPainterPath path;
    path.moveTo(hull[0]);
    for (std::size_t i = 1; i + 1 < k; ++i)
        path.lineTo(hull[i]);
    path.closeSubpath();
    return path;
}

// A wing or tailplane edge-on: the hull of its root and tip sections.
QPainterPath SurfaceSide(const Surface& s) {
    std::vector<QPointF> points;
    const double kStations[] = {0, 0.06, 0.3, 0.65, 1};
    const double kHalf[] = {0, 0.38, 0.5, 0.32, 0.02};
    for (int end = 0; end < 2; ++end) {
        const double y = end ? s.dTipY : s.dRootY;
        const double c = end ? s.dTipChord : s.dRootChord;
        const double z = end ? s.dTipZ : s.dRootZ;
        const double t = s.dThickness * (end ? std::max(0.4, s.dTipChord / s.dRootChord) : 1);
        for (int k = 0; k < 5; ++k) {
            points.push_back(P(y + kStations[k] * c, z + kHalf[k] * t));
            points.push_back(P(y + kStations[k] * c, z - kHalf[k] * 0.6 * t));
        }
    }
    return Hull(points);
}

QPainterPath FinSide(const Fin& fin) {
    QPainterPath path;
    path.moveTo(P(fin.dRootY, fin.dRootZ));
    path.lineTo(P(fin.dTipY, fin.dTipZ));
    path.lineTo(P(fin.dTipY + fin.dTipChord, fin.dTipZ));
    path.lineTo(P(fin.dRootY + fin.dRootChord, fin.dRootZ));
    path.closeSubpath();
    return path;
}

// Light from above: the overlay that shades a flat part.
QBrush Overlay(double zTop, double zBottom, double dStrength = 1) {
    QLinearGradient gradient(P(0, zTop), P(0, zBottom));
    gradient.setColorAt(0, QColor(255, 255, 255, int(90 * dStrength)));
    gradient.setColorAt(0.3, QColor(255, 255, 255, 0));
    gradient.setColorAt(0.7, QColor(0, 0, 0, int(18 * dStrength)));
    gradient.setColorAt(1, QColor(0, 0, 0, int(70 * dStrength)));
    return QBrush(gradient);
}

void ShadePart(CSketch& sketch, const QPainterPath& path, const QColor& color,
               double dStrength = 1) {
    const QRectF r = path.boundingRect();
    sketch.Fill(path, color);
    sketch.Fill(path, Overlay(-r.top(), -r.bottom(), dStrength), OutlineOf(color));
}

QColor NacelleColor(const AircraftDrawing& d) {
    return Mix(d.livery.body, kMetal, 0.3);
}

void Gear(const Layout& lay, CSketch& sketch) {
    for (const Wheel& w : lay.wheels) {
        const double dStrut = std::max(0.14 * w.dRadius, 0.05);
        QPainterPath leg(P(w.dY, w.dStrutTop + 0.05));
        leg.lineTo(P(w.dY, w.dRadius));
        sketch.Stroke(leg, kDarkMetal, dStrut);
        const double dPitch = 2.1 * w.dRadius;
        if (w.nTandem > 1) {
            QPainterPath beam(P(w.dY - dPitch * (w.nTandem - 1) / 2, w.dRadius));
            beam.lineTo(P(w.dY + dPitch * (w.nTandem - 1) / 2, w.dRadius));
            sketch.Stroke(beam, kDarkMetal, dStrut);
        }
        for (int k = 0; k < w.nTandem; ++k) {
            const QPointF ptHub = P(w.dY + dPitch * (k - (w.nTandem - 1) / 2.0), w.dRadius);
            sketch.Fill(Ellipse(ptHub, w.dRadius, w.dRadius), kTyre, OutlineOf(kTyre));
            sketch.Fill(Ellipse(ptHub, 0.45 * w.dRadius, 0.45 * w.dRadius), kMetal);
        }
    }
}

void Propeller(CSketch& sketch, double y, double z, double dDiameter, bool bContra) {
    for (int k = 0; k < (bContra ? 2 : 1); ++k) {
        const double yp = y - k * 0.06 * dDiameter;
        QLinearGradient blur(P(yp, z + dDiameter / 2), P(yp, z - dDiameter / 2));
        blur.setColorAt(0, QColor(60, 64, 70, 20));
        blur.setColorAt(0.5, QColor(60, 64, 70, 70));
        blur.setColorAt(1, QColor(60, 64, 70, 20));
        sketch.Fill(Ellipse(P(yp, z), 0.035 * dDiameter, dDiameter / 2), QBrush(blur));
        QPainterPath blade(P(yp, z + dDiameter * 0.48));
        blade.lineTo(P(yp, z - dDiameter * 0.48));
        sketch.Stroke(blade, QColor(50, 52, 58, 200), 0.022 * dDiameter);
    }
    const double r = 0.07 * dDiameter;
    sketch.Fill(Ellipse(P(y + 0.4 * r, z), 1.4 * r, r), kMetal, OutlineOf(kMetal));
}

// A pod or nacelle: intake at the front, tapering to the nozzle.
QPainterPath PodSide(const Engine& e, bool bProp) {
    const double r = e.dDiameter / 2, y0 = e.dY, y1 = e.dY + e.dLength;
    QPainterPath path;
    if (bProp) {
        path.moveTo(P(y0, e.dZ + 0.55 * r));
        path.cubicTo(P(y0 + 0.1 * e.dLength, e.dZ + r), P(y0 + 0.3 * e.dLength, e.dZ + r),
                     P(y0 + 0.45 * e.dLength, e.dZ + r));
        path.lineTo(P(y1, e.dZ + 0.3 * r));
        path.lineTo(P(y1, e.dZ - 0.1 * r));
        path.cubicTo(P(y0 + 0.5 * e.dLength, e.dZ - 1.1 * r), P(y0 + 0.1 * e.dLength, e.dZ - r),
                     P(y0, e.dZ - 0.55 * r));
    } else {
        path.moveTo(P(y0, e.dZ + r));
        path.cubicTo(P(y0 + 0.4 * e.dLength, e.dZ + 1.05 * r), P(y0 + 0.7 * e.dLength, e.dZ + r),
                     P(y1 - 0.12 * e.dLength, e.dZ + 0.62 * r));
        path.lineTo(P(y1, e.dZ + 0.35 * r));
        path.lineTo(P(y1, e.dZ - 0.35 * r));
        path.lineTo(P(y1 - 0.12 * e.dLength, e.dZ - 0.62 * r));
        path.cubicTo(P(y0 + 0.7 * e.dLength, e.dZ - r), P(y0 + 0.4 * e.dLength, e.dZ - 1.05 * r),
                     P(y0, e.dZ - r));
    }
    path.closeSubpath();
    return path;
}

void Engines(const Layout& lay, CSketch& sketch, bool bUnderWing) {
    const AircraftDrawing& d = *lay.pDrawing;
    const bool bProp = d.eEngines == EngineLayout::Turboprop;
    for (const Engine& e : lay.engines) {
        if (e.bInFin || bUnderWing != (d.eEngines != EngineLayout::Tail))
            continue;
        if (d.eEngines == EngineLayout::Fuselage)
            continue;
        const double r = e.dDiameter / 2;
        if (d.eEngines == EngineLayout::Wing && d.eClass != AircraftClass::Supersonic) {
            // Pylon up to the wing.
            const double yMid = e.dY + 0.6 * e.dLength;
            sketch.Fill(Polygon({P(yMid - 0.25 * e.dLength, e.dZ + 0.5 * r),
                                 P(yMid - 0.05 * e.dLength, e.dZ + 1.6 * r),
                                 P(yMid + 0.35 * e.dLength, e.dZ + 1.6 * r),
                                 P(yMid + 0.3 * e.dLength, e.dZ + 0.5 * r)}),
                        NacelleColor(d), OutlineOf(NacelleColor(d)));
        }
        if (d.eClass == AircraftClass::Supersonic) {
            const QPainterPath box =
                Polygon({P(e.dY, e.dZ + r), P(e.dY + e.dLength, e.dZ + r),
                         P(e.dY + e.dLength, e.dZ - 0.6 * r), P(e.dY + 0.15 * e.dLength, e.dZ - r),
                         P(e.dY + 0.02 * e.dLength, e.dZ - r)});
            ShadePart(sketch, box, NacelleColor(d));
            sketch.Fill(Polygon({P(e.dY, e.dZ + r), P(e.dY + 0.02 * e.dLength, e.dZ - r),
                                 P(e.dY + 0.04 * e.dLength, e.dZ - r),
                                 P(e.dY + 0.025 * e.dLength, e.dZ + r)}),
                        kIntake);
            continue;
        }
        ShadePart(sketch, PodSide(e, bProp), NacelleColor(d));
        if (bProp) {
            Propeller(sketch, e.dY - 0.02 * e.dLength, e.dZ + 0.05 * r, e.dPropDiameter,
                      d.eClass == AircraftClass::Bomber);
        } else {
            sketch.Fill(Ellipse(P(e.dY + 0.012 * e.dLength, e.dZ), 0.09 * r, 0.92 * r), kIntake);
            const double y1 = e.dY + e.dLength;
            sketch.Fill(
                Polygon({P(y1, e.dZ + 0.35 * r), P(y1 + 0.05 * e.dLength, e.dZ + 0.25 * r),
                         P(y1 + 0.05 * e.dLength, e.dZ - 0.25 * r), P(y1, e.dZ - 0.35 * r)}),
                kDarkMetal);
        }
    }
}

// The third engine of a tri-jet: its intake ahead of the fin, nozzle at the tail.
void CentreEngine(const Layout& lay, CSketch& sketch) {
    for (const Engine& e : lay.engines) {
        if (!e.bInFin)
            continue;
        const Fin& fin = lay.fins.front();
        const double y0 = fin.dRootY - 0.04 * lay.dLength;
        const double zTop = BodyTopZ(lay, y0);
        const double h = 0.8 * e.dDiameter;
        QPainterPath fairing(P(y0, zTop - 0.05));
        fairing.cubicTo(P(y0 + 0.004 * lay.dLength, zTop + 0.6 * h), P(y0, zTop + h),
                        P(y0 + 0.02 * lay.dLength, zTop + h));
        fairing.cubicTo(P(fin.dRootY, zTop + h),
                        P(fin.dRootY + 0.1 * fin.dRootChord, zTop + 0.9 * h),
                        P(fin.dRootY + 0.3 * fin.dRootChord, BodyTopZ(lay, fin.dRootY) - 0.05));
        fairing.closeSubpath();
        ShadePart(sketch, fairing, lay.pDrawing->livery.body);
        sketch.Fill(Polygon({P(y0 + 0.002 * lay.dLength, zTop + 0.08 * h),
                             P(y0 + 0.011 * lay.dLength, zTop + 0.92 * h),
                             P(y0 + 0.016 * lay.dLength, zTop + 0.92 * h),
                             P(y0 + 0.007 * lay.dLength, zTop + 0.08 * h)}),
                    kIntake);
    }
}

void Windows(const Layout& lay, CSketch& sketch, const QPainterPath& body) {
    const AircraftDrawing& d = *lay.pDrawing;
    const double L = lay.dLength, D = lay.dDepth;
    const bool bProp = d.eClass == AircraftClass::Turboprop;
    const double dPitch = bProp ? 0.78 : d.eClass == AircraftClass::Supersonic ? 0.6 : 0.53;
    const double h = std::min(0.38, 0.1 * D) * (bProp ? 1.3 : 1);
    const double w = 0.62 * h;
    double y0 = std::max(lay.dNoseTop * 1.35, 0.11 * L);
    double y1 = L - lay.dTailTop * 1.1;
    for (const Engine& e : lay.engines)
        if (d.eEngines == EngineLayout::Tail && !e.bInFin)
            y1 = std::min(y1, e.dY - 0.02 * L);
    std::vector<double> rows = {lay.dAxisZ + 0.12 * D};
    if (d.eUpperDeck == UpperDeck::Full)
        rows = {lay.dAxisZ - 0.08 * D, lay.dAxisZ + 0.25 * D};
    const QColor glass = Mix(kGlass, d.livery.body, 0.15);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const double z = rows[r];
        if (dPitch / sketch.Pixel() < 2.6) {
            QPainterPath band;
            band.addRect(QRectF(P(y0, z + h / 2), P(y1, z - h / 2)));
            sketch.FillInside(band, body, glass);
            continue;
        }
        QPainterPath windows;
        for (double y = y0; y < y1; y += dPitch)
            windows.addRoundedRect(QRectF(P(y, z + h / 2), P(y + w, z - h / 2)), w * 0.4, w * 0.4);
        sketch.FillInside(windows, body, glass);
    }
    if (lay.dHumpHeight > 0) {
        QPainterPath windows;
        const double z = lay.dAxisZ + lay.dDepth / 2 + lay.dHumpHeight * 0.45;
        for (double y = lay.dNoseTop * 1.6; y < lay.dHumpEnd * 0.72; y += dPitch)
            windows.addRoundedRect(QRectF(P(y, z + h / 2), P(y + w, z - h / 2)), w * 0.4, w * 0.4);
        sketch.FillInside(windows, body, glass);
    }
    // Doors, just visible.
    if (0.4 * D / sketch.Pixel() > 8 && d.eClass != AircraftClass::Supersonic) {
        const QColor line = QColor(0, 0, 0, 60);
        for (double y : {y0 - 0.9 * D * 0.28, y1 + 0.3 * D * 0.28}) {
            QPainterPath door;
            door.addRoundedRect(
                QRectF(P(y, rows.back() + 0.75 * h), P(y + 0.24 * D, lay.dAxisZ - 0.3 * D)),
                0.03 * D, 0.03 * D);
            QPainterPathStroker stroker;
            stroker.setWidth(std::max(0.012 * D, 0.8 * sketch.Pixel()));
            sketch.FillInside(stroker.createStroke(door), body, line);
        }
    }
}

void Cockpit(const Layout& lay, CSketch& sketch) {
    const double D = lay.dDepth;
    const double y0 = lay.dNoseTop * 0.5, y1 = lay.dNoseTop * 0.9;
    const double zLow = lay.dAxisZ + 0.16 * D;
    QPainterPath glass;
    for (int k = 0; k <= 8; ++k) {
        const double y = y0 + (y1 - y0) * k / 8;
        const QPointF pt = P(y, BodyTopZ(lay, y) - 0.05 * D);
        if (k == 0)
            glass.moveTo(pt);
        else
            glass.lineTo(pt);
    }
    glass.lineTo(P(y1, zLow + 0.02 * D));
    glass.lineTo(P(y0 + 0.25 * (y1 - y0), zLow));
    glass.closeSubpath();
    sketch.FillInside(glass, BodySide(lay), kGlass);
    // The frame between the windscreen and the side window.
    const double y = y0 + (y1 - y0) * 0.55;
    QPainterPath frame(P(y, BodyTopZ(lay, y)));
    frame.lineTo(P(y + 0.02 * D, zLow));
    sketch.Stroke(frame, lay.pDrawing->livery.body, 0.02 * D);
}

// The cabin of a high-wing light aircraft: windscreen and side windows under the wing.
void LightCabin(const Layout& lay, CSketch& sketch, const QPainterPath& body) {
    const double L = lay.dLength, D = lay.dDepth;
    const double y0 = 0.2 * L, y1 = 0.44 * L;
    const double zTop = lay.dAxisZ + 0.42 * D, zLow = lay.dAxisZ + 0.02 * D;
    const QPainterPath glass = Polygon({P(y0, zLow + 0.05 * D), P(y0 + 0.07 * L, zTop), P(y1, zTop),
                                        P(y1 - 0.03 * L, zLow), P(y0 + 0.03 * L, zLow)});
    sketch.FillInside(glass, body, kGlass);
    for (double y : {y0 + 0.08 * L, y0 + 0.16 * L}) {
        QPainterPath frame(P(y, zTop + 0.05 * D));
        frame.lineTo(P(y - 0.01 * L, zLow - 0.05 * D));
        sketch.Stroke(frame, lay.pDrawing->livery.body, 0.025 * D);
    }
}

// A bubble canopy on top of the body.
void Canopy(const Layout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const double y0 = lay.dCanopyY, y1 = y0 + lay.dCanopyLength, h = lay.dCanopyHeight;
    const bool bTandem = d.eClass == AircraftClass::Trainer;
    QPainterPath bubble;
    bubble.moveTo(P(y0, BodyTopZ(lay, y0) - 0.04 * lay.dDepth));
    if (bTandem) {
        // The instructor sits higher, behind the pupil.
        bubble.cubicTo(P(y0 + 0.12 * (y1 - y0), BodyTopZ(lay, y0) + 0.8 * h),
                       P(y0 + 0.3 * (y1 - y0), BodyTopZ(lay, y0) + 0.85 * h),
                       P(y0 + 0.5 * (y1 - y0), BodyTopZ(lay, y0) + 0.9 * h));
        bubble.cubicTo(P(y0 + 0.62 * (y1 - y0), BodyTopZ(lay, y0) + 1.12 * h),
                       P(y0 + 0.8 * (y1 - y0), BodyTopZ(lay, y0) + 1.12 * h),
                       P(y1, BodyTopZ(lay, y1)));
    } else {
        const double zBase = std::max(BodyTopZ(lay, y0), BodyTopZ(lay, y1));
        bubble.cubicTo(P(y0 + 0.15 * (y1 - y0), zBase + h),
                       P(y0 + 0.55 * (y1 - y0), zBase + 1.05 * h), P(y1, BodyTopZ(lay, y1)));
    }
    for (int k = 10; k >= 0; --k) {
        const double y = y0 + (y1 - y0) * k / 10;
        bubble.lineTo(P(y, BodyTopZ(lay, y) - 0.04 * lay.dDepth));
    }
    bubble.closeSubpath();
    const QRectF r = bubble.boundingRect();
    QLinearGradient gradient(r.topLeft(), r.bottomRight());
    gradient.setColorAt(0, QColor(150, 180, 205));
    gradient.setColorAt(0.35, kGlass);
    gradient.setColorAt(1, Scale(kGlass, 0.7));
    sketch.Fill(bubble, QBrush(gradient), OutlineOf(kGlass));
    if (bTandem) {
        QPainterPath frame(P(y0 + 0.5 * (y1 - y0), BodyTopZ(lay, y0)));
        frame.lineTo(P(y0 + 0.52 * (y1 - y0), BodyTopZ(lay, y0) + 0.95 * h));
        sketch.Stroke(frame, OutlineOf(d.livery.body), 0.04 * h);
    }
}

// Intakes and nozzles of engines inside the body.
void BuriedEngines(const Layout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    if (d.eEngines != EngineLayout::Fuselage || lay.engines.empty())
        return;
    const double L = lay.dLength, D = lay.dDepth;
    const Engine& e = lay.engines.front();
    const QColor body = d.livery.body;
    if (d.eClass == AircraftClass::Bomber && d.eIntake == IntakeKind::Under) {
        const double r = e.dDiameter / 2, y0 = e.dY, y1 = e.dY + e.dLength;
        const QPainterPath nacelle =
            Polygon({P(y0, e.dZ + r), P(y1, e.dZ + r), P(y1, e.dZ - 0.7 * r),
                     P(y1 - 0.1 * e.dLength, e.dZ - r), P(y0 + 0.06 * e.dLength, e.dZ - r)});
        ShadePart(sketch, nacelle, Mix(body, kMetal, 0.15));
        sketch.Fill(
            Polygon({P(y0, e.dZ + r), P(y0 + 0.06 * e.dLength, e.dZ - r),
                     P(y0 + 0.09 * e.dLength, e.dZ - r), P(y0 + 0.03 * e.dLength, e.dZ + r)}),
            kIntake);
        sketch.Fill(Polygon({P(y1, e.dZ + 0.8 * r), P(y1 + 0.03 * e.dLength, e.dZ + 0.7 * r),
                             P(y1 + 0.03 * e.dLength, e.dZ - 0.5 * r), P(y1, e.dZ - 0.6 * r)}),
                    kDarkMetal);
        return;
    }
    // Nozzles.
    const double r = e.dDiameter / 2;
    const double zN = std::clamp(e.dZ, BodyBottomZ(lay, L) + r, BodyTopZ(lay, L) - 0.2 * r);
    const QPainterPath nozzle = Polygon({P(L - 0.05 * L, zN + r), P(L + 0.02 * L, zN + 0.85 * r),
                                         P(L + 0.02 * L, zN - 0.85 * r), P(L - 0.05 * L, zN - r)});
    ShadePart(sketch, nozzle, kDarkMetal);
    // Intakes, their mouths drawn dark along the front edge.
    const bool bTrainer = d.eClass == AircraftClass::Trainer;
    const double yI = bTrainer ? 0.36 * L : 0.3 * L;
    const double zB = BodyBottomZ(lay, yI);
    auto mouth = [&](QPointF ptTop, QPointF ptBottom) {
        const QPointF ptBack(0.014 * L, 0);
        sketch.Fill(Polygon({ptTop, ptBottom, ptBottom + ptBack, ptTop + ptBack}), kIntake);
    };
    switch (d.eIntake) {
    case IntakeKind::Side: {
        const double zT = lay.dAxisZ + (bTrainer ? 0.15 : 0.25) * D;
        const double zL = lay.dAxisZ - (bTrainer ? 0.25 : 0.42) * D;
        QPainterPath box(P(yI, zT));
        box.cubicTo(P(yI + 0.15 * L, zT + 0.02 * D), P(yI + 0.3 * L, zT),
                    P(yI + 0.42 * L, lay.dAxisZ + 0.05 * D));
        box.lineTo(P(yI + 0.36 * L, zL + 0.12 * D));
        box.cubicTo(P(yI + 0.25 * L, zL), P(yI + 0.1 * L, zL), P(yI + 0.025 * L, zL));
        box.closeSubpath();
        ShadePart(sketch, box, body, 0.8);
        mouth(P(yI, zT), P(yI + 0.025 * L, zL));
        break;
    }
    case IntakeKind::Under: {
        // Nacelles under the wing roots, their mouths raked and well behind the cockpit.
        const double y0 = 0.33 * L, zLow = zB - 0.4 * D;
        QPainterPath nacelle(P(y0 + 0.03 * L, zB + 0.1 * D));
        nacelle.lineTo(P(y0, zLow));
        nacelle.cubicTo(P(y0 + 0.15 * L, zLow - 0.03 * D), P(0.6 * L, zLow),
                        P(0.72 * L, zLow + 0.12 * D));
        nacelle.cubicTo(P(0.82 * L, zLow + 0.25 * D), P(0.9 * L, BodyBottomZ(lay, 0.9 * L)),
                        P(0.95 * L, BodyBottomZ(lay, 0.95 * L) + 0.05 * D));
        nacelle.lineTo(P(0.6 * L, zB + 0.2 * D));
        nacelle.closeSubpath();
        ShadePart(sketch, nacelle, body, 0.8);
        if (d.livery.underside) {
            QPainterPath below;
            below.addRect(QRectF(P(0, zB - 0.1 * D), P(L, zLow - D)));
            sketch.FillInside(below, nacelle, *d.livery.underside);
            sketch.Fill(nacelle, QBrush(Qt::NoBrush), OutlineOf(body));
        }
        mouth(P(y0 + 0.03 * L, zB + 0.02 * D), P(y0, zLow));
        break;
    }
    case IntakeKind::Chin: {
        const double y0 = 0.26 * L, zLow = zB - 0.38 * D;
        QPainterPath scoop(P(y0 - 0.01 * L, zB + 0.1 * D));
        scoop.lineTo(P(y0, zLow));
        scoop.cubicTo(P(0.4 * L, zLow - 0.02 * D), P(0.55 * L, zLow + 0.05 * D),
                      P(0.7 * L, BodyBottomZ(lay, 0.7 * L) + 0.05 * D));
        scoop.lineTo(P(0.5 * L, zB + 0.1 * D));
        scoop.closeSubpath();
        ShadePart(sketch, scoop, body, 0.8);
        mouth(P(y0 - 0.005 * L, zB - 0.05 * D), P(y0, zLow));
        break;
    }
    case IntakeKind::Nose: {
        const double z = lay.dNoseTipZ, h = 0.36 * D;
        sketch.Fill(Polygon({P(0, z + h), P(0.012 * L, z + h), P(0.012 * L, z - h), P(0, z - h)}),
                    kIntake);
        QPainterPath cone;
        cone.moveTo(P(-0.04 * L, z));
        cone.lineTo(P(0.01 * L, z + 0.7 * h));
        cone.lineTo(P(0.01 * L, z - 0.7 * h));
        cone.closeSubpath();
        ShadePart(sketch, cone, kMetal);
        break;
    }
    }
}

} // namespace

void SketchSide(const Layout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const AircraftLivery& livery = d.livery;
    const double L = lay.dLength, D = lay.dDepth;

    if (d.eGear != GearKind::None) {
        QRadialGradient shadow(P(0.5 * L, 0), 0.45 * L);
        shadow.setColorAt(0, QColor(40, 60, 80, 60));
        shadow.setColorAt(1, QColor(40, 60, 80, 0));
        QPainterPath ground = Ellipse(P(0.5 * L, 0), 0.45 * L, 0.014 * L);
        sketch.Fill(ground, QBrush(shadow));
    }
    Gear(lay, sketch);
    if (d.eClass == AircraftClass::Transport) {
        // Gear fairings on the lower sides.
        const Wheel& main = lay.wheels.empty() ? Wheel{0.5 * L, 0, 0, 0, 1} : lay.wheels.front();
        QPainterPath sponson;
        sponson.addRoundedRect(QRectF(P(main.dY - 0.13 * L, BodyBottomZ(lay, main.dY) + 0.35 * D),
                                      P(main.dY + 0.13 * L, BodyBottomZ(lay, main.dY) - 0.06 * D)),
                               0.1 * D, 0.1 * D);
        ShadePart(sketch, sponson, livery.body);
    }

    // Fins behind the body.
    for (const Fin& fin : lay.fins) {
        const QPainterPath path = FinSide(fin);
        ShadePart(sketch, path, livery.tail, 0.6);
        if (livery.camouflage)
            sketch.FillInside(CamouflagePatches(path.boundingRect(), 0.09 * L, 7), path,
                              *livery.camouflage);
    }

    // The body with its livery.
    const QPainterPath body = BodySide(lay);
    sketch.Fill(body, livery.body);
    if (livery.underside) {
        QPainterPath below;
        below.addRect(QRectF(P(-L, lay.dAxisZ - 0.18 * D), P(2 * L, -D)));
        sketch.FillInside(below, body, *livery.underside);
    }
    if (livery.camouflage) {
        QPainterPath above;
        above.addRect(QRectF(P(-L, lay.dAxisZ + D), P(2 * L, lay.dAxisZ - 0.1 * D)));
        sketch.FillInside(
            CamouflagePatches(QRectF(P(0, lay.dAxisZ + D), P(L, lay.dAxisZ - D)), 0.09 * L, 3),
            above.intersected(body), *livery.camouflage);
    }
    const bool bCabin =
        d.eClass == AircraftClass::Airliner || d.eClass == AircraftClass::WideBody ||
        d.eClass == AircraftClass::Turboprop || d.eClass == AircraftClass::Supersonic;
    if (livery.stripe != livery.body) {
        const double z = lay.dAxisZ + 0.12 * D;
        QPainterPath stripe;
        stripe.addRect(QRectF(P(0.25 * lay.dNoseTop, z + 0.12 * D), P(L, z - 0.1 * D)));
        stripe.addRect(QRectF(P(0.4 * lay.dNoseTop, z - 0.14 * D), P(L, z - 0.18 * D)));
        sketch.FillInside(stripe, body, livery.stripe);
    }
    if (bCabin)
        Windows(lay, sketch, body);
    const bool bLightCabin =
        d.eClass == AircraftClass::Light && d.eWingPosition == WingPosition::High;
    if (bLightCabin)
        LightCabin(lay, sketch, body);
    else if (lay.dCanopyLength <= 0)
        Cockpit(lay, sketch);
    sketch.Fill(body, Overlay(lay.dAxisZ + D / 2 + lay.dHumpHeight, lay.dAxisZ - D / 2),
                OutlineOf(livery.body));

    BuriedEngines(lay, sketch);
    CentreEngine(lay, sketch);
    Engines(lay, sketch, false);
    if (lay.dCanopyLength > 0 && !bLightCabin)
        Canopy(lay, sketch);
    if (d.eWingPosition == WingPosition::High && d.eClass != AircraftClass::Light) {
        // The fairing that carries a high wing over the body.
        const Surface& w = lay.wing;
        const double y0 = w.dRootY - 0.25 * w.dRootChord, y1 = w.dRootY + 1.3 * w.dRootChord;
        const double h = 0.5 * w.dThickness + 0.04 * D;
        QPainterPath fairing(P(y0, BodyTopZ(lay, y0) - 0.02 * D));
        fairing.cubicTo(P(y0 + 0.25 * (y1 - y0), BodyTopZ(lay, y0) + h),
                        P(y0 + 0.6 * (y1 - y0), BodyTopZ(lay, y1) + h),
                        P(y1, BodyTopZ(lay, y1) - 0.02 * D));
        fairing.closeSubpath();
        ShadePart(sketch, fairing, livery.body, 0.6);
    }

    // Tail surfaces, the wing and what hangs under it.
    for (const Surface* s : {&lay.tailplane, &lay.foreplane})
        if (s->IsSet())
            ShadePart(sketch, SurfaceSide(*s), livery.body, 0.5);
    if (lay.upperWing.IsSet()) {
        // Struts between the two wings.
        const double y = lay.wing.dRootY + 0.4 * lay.wing.dRootChord;
        QPainterPath strut(P(y, lay.wing.dTipZ));
        strut.lineTo(P(y - 0.02 * L, lay.upperWing.dTipZ));
        sketch.Stroke(strut, kDarkMetal, 0.012 * L);
        ShadePart(sketch, SurfaceSide(lay.upperWing), livery.body, 0.5);
    }
    if (lay.glove.IsSet())
        ShadePart(sketch, SurfaceSide(lay.glove), livery.body, 0.5);
    ShadePart(sketch, SurfaceSide(lay.wing), livery.body, 0.5);
    if (d.eClass == AircraftClass::Light && d.eWingPosition == WingPosition::High && !d.bBiplane) {
        // The wing strut of a high-wing light aircraft.
        QPainterPath strut(P(lay.wing.dRootY + 0.3 * lay.wing.dRootChord, lay.dAxisZ - 0.35 * D));
        strut.lineTo(P(lay.wing.dRootY + 0.35 * lay.wing.dRootChord, lay.wing.dRootZ));
        sketch.Stroke(strut, Scale(livery.body, 0.75), 0.015 * L);
    }
    if (d.bTipTanks) {
        const Surface& w = lay.wing;
        const QPainterPath tank =
            Ellipse(P(w.dTipY + 0.5 * w.dTipChord, w.dTipZ), 0.8 * w.dTipChord, 0.2 * w.dTipChord);
        ShadePart(sketch, tank, livery.stripe);
    }
    Engines(lay, sketch, true);
    if (lay.bPropNose)
        Propeller(sketch, -0.01 * L, lay.dNoseTipZ, lay.dPropDiameter, false);
}
