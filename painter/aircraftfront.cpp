// The front view of a fixed-wing aircraft, seen from ahead: x across, height
// z drawn upwards.

#include "painter/aircraftshapes.h"

#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

QPointF P(double x, double z) {
    return {x, -z};
}

// Lit from above and a little to the left.
QBrush RoundOverlay(QPointF ptCentre, double dRadius) {
    QRadialGradient gradient(ptCentre, dRadius,
                             ptCentre + QPointF(-0.35 * dRadius, -0.45 * dRadius));
    gradient.setColorAt(0, QColor(255, 255, 255, 90));
    gradient.setColorAt(0.55, QColor(255, 255, 255, 0));
    gradient.setColorAt(1, QColor(0, 0, 0, 70));
    return QBrush(gradient);
}

void ShadeRound(CSketch& sketch, const QPainterPath& path, const QColor& color) {
    const QRectF r = path.boundingRect();
    sketch.Fill(path, color);
    sketch.Fill(path, RoundOverlay(r.center(), 0.6 * std::max(r.width(), r.height())),
                OutlineOf(color));
}

// One half of a wing or tailplane edge-on, mirrored to both sides.
QPainterPath SurfaceFront(const Surface& s, bool bFromCentre) {
    const double t = s.dThickness, tt = t * std::max(0.35, s.dTipChord / s.dRootChord);
    const double x0 = bFromCentre ? 0 : s.dRootX;
    QPainterPath right;
    right.moveTo(P(x0, s.dRootZ + 0.5 * t));
    right.lineTo(P(s.dTipX, s.dTipZ + 0.5 * tt));
    right.quadTo(P(s.dTipX + 0.5 * tt, s.dTipZ), P(s.dTipX, s.dTipZ - 0.4 * tt));
    right.lineTo(P(x0, s.dRootZ - 0.4 * t));
    right.closeSubpath();
    return right.united(MirrorX(right));
}

QPainterPath FinFront(const Fin& fin, double dX, double dSide) {
    const double w = std::max(0.045 * fin.dRootChord, 0.1);
    const double dLean = dSide * std::tan(fin.dCantDeg * std::numbers::pi / 180);
    const double h = fin.dTipZ - fin.dRootZ;
    return Polygon({P(dX - w, fin.dRootZ), P(dX + dLean * h - 0.5 * w, fin.dTipZ),
                    P(dX + dLean * h + 0.5 * w, fin.dTipZ), P(dX + w, fin.dRootZ)});
}

void Disc(CSketch& sketch, QPointF pt, double dDiameter, int nBlades) {
    QRadialGradient blur(pt, dDiameter / 2);
    blur.setColorAt(0, QColor(60, 64, 70, 40));
    blur.setColorAt(0.85, QColor(60, 64, 70, 60));
    blur.setColorAt(1, QColor(60, 64, 70, 15));
    sketch.Fill(Ellipse(pt, dDiameter / 2, dDiameter / 2), QBrush(blur));
    for (int k = 0; k < nBlades; ++k) {
        const double a = std::numbers::pi * (0.1 + 2.0 * k / nBlades);
        QPainterPath blade(pt);
        blade.lineTo(pt + QPointF(std::cos(a), std::sin(a)) * 0.47 * dDiameter);
        sketch.Stroke(blade, QColor(50, 52, 58, 170), 0.05 * dDiameter);
    }
    sketch.Fill(Ellipse(pt, 0.07 * dDiameter, 0.07 * dDiameter), kMetal, OutlineOf(kMetal));
}

void Engines(const Layout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const QColor color = Mix(d.livery.body, kMetal, 0.3);
    const bool bBox = d.eClass == AircraftClass::Supersonic ||
                      (d.eClass == AircraftClass::Bomber && d.eEngines == EngineLayout::Fuselage &&
                       d.eIntake == IntakeKind::Under);
    if (d.eEngines == EngineLayout::Fuselage && !bBox)
        return;
    for (const Engine& e : lay.engines) {
        const double r = e.dDiameter / 2;
        for (double x : {e.dX, -e.dX}) {
            if (e.bInFin) {
                // The intake of the third engine, above the body ahead of the fin.
                const QPainterPath ring = Ellipse(P(0, e.dZ + 0.6 * lay.dDepth), 0.8 * r, 0.7 * r);
                ShadeRound(sketch, ring, d.livery.body);
                sketch.Fill(Ellipse(P(0, e.dZ + 0.6 * lay.dDepth), 0.6 * r, 0.5 * r), kIntake);
                break;
            }
            if (bBox) {
                QPainterPath box;
                box.addRoundedRect(QRectF(P(x - r, e.dZ + r), P(x + r, e.dZ - r)), 0.15 * r,
                                   0.15 * r);
                sketch.Fill(box, color, OutlineOf(color));
                sketch.Fill(
                    Polygon({P(x - 0.8 * r, e.dZ + 0.75 * r), P(x + 0.8 * r, e.dZ + 0.75 * r),
                             P(x + 0.8 * r, e.dZ - 0.75 * r), P(x - 0.8 * r, e.dZ - 0.75 * r)}),
                    kIntake);
            } else {
                if (d.eEngines == EngineLayout::Wing) {
                    QPainterPath pylon;
                    pylon.addRect(
                        QRectF(P(x - 0.12 * r, lay.wing.ZAt(0.4)), P(x + 0.12 * r, e.dZ)));
                    sketch.Fill(pylon, color, OutlineOf(color));
                } else if (d.eEngines == EngineLayout::Tail) {
                    QPainterPath pylon;
                    pylon.addRect(QRectF(P(0, e.dZ + 0.15 * r), P(x, e.dZ - 0.15 * r)));
                    sketch.Fill(pylon.united(MirrorX(pylon)), color);
                }
                ShadeRound(sketch, Ellipse(P(x, e.dZ), r, r), color);
                if (e.dPropDiameter <= 0) {
                    sketch.Fill(Ellipse(P(x, e.dZ), 0.82 * r, 0.82 * r), kIntake);
                    sketch.Fill(Ellipse(P(x, e.dZ), 0.2 * r, 0.2 * r), kMetal);
                }
            }
            if (e.dPropDiameter > 0)
                Disc(sketch, P(x, e.dZ), e.dPropDiameter,
                     d.eClass == AircraftClass::Bomber ? 8 : 4);
            if (x == 0)
                break;
        }
    }
}

void Gear(const Layout& lay, CSketch& sketch) {
    for (const Wheel& w : lay.wheels) {
        const double dTyre = std::max(0.5 * w.dRadius, 0.1);
        for (double x : {w.dX, -w.dX}) {
            QPainterPath leg(P(x, w.dStrutTop));
            leg.lineTo(P(x, w.dRadius));
            sketch.Stroke(leg, kDarkMetal, std::max(0.18 * w.dRadius, 0.06));
            const int nSide = w.nTandem > 1 || x == 0 ? 2 : 1;
            for (int k = 0; k < nSide; ++k) {
                const double xw = nSide == 1 ? x : x + (k ? 0.55 : -0.55) * dTyre;
                QPainterPath tyre;
                tyre.addRoundedRect(QRectF(P(xw - dTyre / 2, 2 * w.dRadius), P(xw + dTyre / 2, 0)),
                                    0.3 * dTyre, 0.3 * dTyre);
                sketch.Fill(tyre, kTyre, OutlineOf(kTyre));
            }
            if (x == 0)
                break;
        }
    }
}

void Cockpit(const Layout& lay, CSketch& sketch, const QPainterPath& body) {
    const AircraftDrawing& d = *lay.pDrawing;
    const double D = lay.dDepth, W = lay.dWidth;
    if (lay.dCanopyLength > 0 &&
        !(d.eClass == AircraftClass::Light && d.eWingPosition == WingPosition::High)) {
        const double w = std::min(0.3 * W, 0.33 * D) * (d.eClass == AircraftClass::Light ? 1.5 : 1);
        const double zBase = lay.dAxisZ + 0.3 * D;
        const double h = lay.dAxisZ + D / 2 + lay.dCanopyHeight - zBase;
        QPainterPath dome(P(-w, zBase));
        dome.cubicTo(P(-w, zBase + 0.9 * h), P(-0.5 * w, zBase + h), P(0, zBase + h));
        dome.cubicTo(P(0.5 * w, zBase + h), P(w, zBase + 0.9 * h), P(w, zBase));
        dome.closeSubpath();
        QRadialGradient gradient(P(-0.3 * w, zBase + 0.7 * h), 1.2 * w);
        gradient.setColorAt(0, QColor(150, 180, 205));
        gradient.setColorAt(0.5, kGlass);
        gradient.setColorAt(1, Scale(kGlass, 0.7));
        sketch.Fill(dome, QBrush(gradient), OutlineOf(kGlass));
        return;
    }
    // Two windscreen panes either side of a centre post.
    const double z0 = lay.dAxisZ + 0.12 * D, z1 = lay.dAxisZ + 0.3 * D;
    for (double s : {1.0, -1.0}) {
        const QPainterPath pane = Polygon({P(s * 0.04 * W, z0), P(s * 0.04 * W, z1),
                                           P(s * 0.3 * W, z1 - 0.03 * D), P(s * 0.4 * W, z0)});
        sketch.FillInside(pane, body, kGlass);
    }
}

void BuriedEngines(const Layout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    if (d.eEngines != EngineLayout::Fuselage ||
        (d.eClass == AircraftClass::Bomber && d.eIntake == IntakeKind::Under))
        return;
    const double D = lay.dDepth, W = lay.dWidth, z = lay.dAxisZ;
    const QColor body = d.livery.body;
    const bool bTrainer = d.eClass == AircraftClass::Trainer;
    switch (d.eIntake) {
    case IntakeKind::Side:
        for (double s : {1.0, -1.0}) {
            const double x0 = s * 0.42 * W, x1 = s * (0.42 + (bTrainer ? 0.28 : 0.3)) * W;
            const double zT = z + (bTrainer ? 0.15 : 0.25) * D,
                         zL = z - (bTrainer ? 0.25 : 0.42) * D;
            QPainterPath box;
            box.addRoundedRect(QRectF(P(std::min(x0, x1), zT), P(std::max(x0, x1), zL)),
                               0.15 * (zT - zL), 0.15 * (zT - zL));
            sketch.Fill(box, body, OutlineOf(body));
            QPainterPath mouth;
            const double m = 0.12 * (zT - zL);
            mouth.addRoundedRect(
                QRectF(P(std::min(x0, x1) + m, zT - m), P(std::max(x0, x1) - m, zL + m)),
                0.1 * (zT - zL), 0.1 * (zT - zL));
            sketch.Fill(mouth, kIntake);
        }
        break;
    case IntakeKind::Under:
        for (double s : {1.0, -1.0}) {
            const double x0 = s * 0.12 * W, x1 = s * 0.5 * W;
            const double zT = z - 0.42 * D, zL = z - 0.95 * D;
            QPainterPath box;
            box.addRect(QRectF(P(std::min(x0, x1), zT), P(std::max(x0, x1), zL)));
            sketch.Fill(box, d.livery.underside.value_or(body), OutlineOf(body));
            const double m = 0.1 * (zT - zL);
            QPainterPath mouth;
            mouth.addRect(QRectF(P(std::min(x0, x1) + m, zT - m), P(std::max(x0, x1) - m, zL + m)));
            sketch.Fill(mouth, kIntake);
        }
        break;
    case IntakeKind::Chin: {
        QPainterPath lip;
        lip.addRoundedRect(QRectF(P(-0.4 * W, z - 0.42 * D), P(0.4 * W, z - 0.9 * D)), 0.15 * W,
                           0.15 * W);
        sketch.Fill(lip, d.livery.underside.value_or(body), OutlineOf(body));
        QPainterPath mouth;
        mouth.addRoundedRect(QRectF(P(-0.33 * W, z - 0.48 * D), P(0.33 * W, z - 0.84 * D)),
                             0.12 * W, 0.12 * W);
        sketch.Fill(mouth, kIntake);
        break;
    }
    case IntakeKind::Nose:
        sketch.Fill(Ellipse(P(0, lay.dNoseTipZ), 0.36 * D, 0.36 * D), kIntake);
        ShadeRound(sketch, Ellipse(P(0, lay.dNoseTipZ), 0.2 * D, 0.2 * D), kMetal);
        break;
    }
}

} // namespace

void SketchFront(const Layout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const AircraftLivery& livery = d.livery;
    const double D = lay.dDepth, W = lay.dWidth;

    // Behind the body: the tail, then the wing.
    for (const Fin& fin : lay.fins) {
        for (double s : {1.0, -1.0}) {
            sketch.Fill(FinFront(fin, s * fin.dX, s), livery.tail, OutlineOf(livery.tail));
            if (fin.dX == 0)
                break;
        }
    }
    if (lay.tailplane.IsSet())
        sketch.Fill(SurfaceFront(lay.tailplane, true), Scale(livery.body, 0.92),
                    OutlineOf(livery.body));
    if (d.eWingPosition != WingPosition::High) {
        if (lay.glove.IsSet())
            sketch.Fill(SurfaceFront(lay.glove, true), livery.body, OutlineOf(livery.body));
        sketch.Fill(SurfaceFront(lay.wing, true), livery.body, OutlineOf(livery.body));
    }
    Gear(lay, sketch);

    QPainterPath body = Ellipse(P(0, lay.dAxisZ), W / 2, D / 2);
    if (lay.dHumpHeight > 0)
        body = body.united(
            Ellipse(P(0, lay.dAxisZ + 0.22 * D), 0.36 * W, D / 2 + 0.5 * lay.dHumpHeight));
    if (d.eClass == AircraftClass::Light) {
        body = QPainterPath();
        body.addRoundedRect(QRectF(P(-W / 2, lay.dAxisZ + D / 2), P(W / 2, lay.dAxisZ - D / 2)),
                            0.35 * W, 0.35 * W);
    }
    if (d.eClass == AircraftClass::Transport) {
        // Gear fairings bulging from the lower sides.
        body = body.united(Ellipse(P(0, lay.dAxisZ - 0.3 * D), 0.62 * W, 0.22 * D));
    }
    sketch.Fill(body, livery.body);
    if (livery.underside) {
        QPainterPath below;
        below.addRect(QRectF(P(-W, lay.dAxisZ - 0.18 * D), P(W, lay.dAxisZ - D)));
        sketch.FillInside(below, body, *livery.underside);
    }
    const QRectF r = body.boundingRect();
    sketch.Fill(body, RoundOverlay(r.center(), 0.6 * std::max(r.width(), r.height())),
                OutlineOf(livery.body));
    Cockpit(lay, sketch, body);
    BuriedEngines(lay, sketch);

    if (d.eWingPosition == WingPosition::High) {
        if (lay.glove.IsSet())
            sketch.Fill(SurfaceFront(lay.glove, true), livery.body, OutlineOf(livery.body));
        sketch.Fill(SurfaceFront(lay.wing, true), livery.body, OutlineOf(livery.body));
        if (d.eClass == AircraftClass::Light && !d.bBiplane) {
            for (double s : {1.0, -1.0}) {
                QPainterPath strut(P(s * 0.45 * W, lay.dAxisZ - 0.35 * D));
                strut.lineTo(P(s * 0.5 * lay.wing.dTipX, lay.wing.ZAt(0.45)));
                sketch.Stroke(strut, Scale(livery.body, 0.75), 0.1 * D);
            }
        }
    }
    if (lay.upperWing.IsSet()) {
        for (double s : {1.0, -1.0}) {
            for (double t : {0.45, 0.85}) {
                const double x = s * (lay.wing.dRootX + t * (lay.wing.dTipX - lay.wing.dRootX));
                QPainterPath strut(P(x, lay.wing.ZAt(t)));
                strut.lineTo(P(x, lay.upperWing.dRootZ));
                sketch.Stroke(strut, kDarkMetal, 0.06 * D);
            }
        }
        sketch.Fill(SurfaceFront(lay.upperWing, true), livery.body, OutlineOf(livery.body));
    }
    if (lay.foreplane.IsSet())
        sketch.Fill(SurfaceFront(lay.foreplane, false), livery.body, OutlineOf(livery.body));
    if (d.bTipTanks) {
        for (double s : {1.0, -1.0}) {
            const double rt = 0.2 * lay.wing.dTipChord;
            ShadeRound(sketch, Ellipse(P(s * lay.wing.dTipX, lay.wing.dTipZ), rt, rt),
                       livery.stripe);
        }
    }
    Engines(lay, sketch);
    if (lay.bPropNose) {
        Disc(sketch, P(0, lay.dNoseTipZ), lay.dPropDiameter, 2);
    } else if (d.eEngines != EngineLayout::Fuselage || d.eIntake != IntakeKind::Nose) {
        // The nose cone, just catching the light.
        sketch.Fill(Ellipse(P(0, lay.dNoseTipZ), 0.1 * W, 0.1 * W), QColor(255, 255, 255, 40));
    }
}
