// The top view of a fixed-wing aircraft: nose up, x across (right wing to
// the right), y along the body drawn downwards.

#include "painter/aircraftshapes.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Both halves of a wing, tailplane or foreplane, joined across the body.
QPainterPath SurfacePlan(const Surface& s) {
    constexpr int kSteps = 24;
    std::vector<QPointF> right{{0, s.dRootY + 0.02 * s.dRootChord}, {s.dRootX, s.dRootY}};
    for (int k = 1; k <= kSteps; ++k) {
        const double t = double(k) / kSteps;
        right.emplace_back(s.XAt(t), s.LeadingY(t));
    }
    right.emplace_back(s.dTipX, s.dTipY + s.dTipChord);
    right.emplace_back(s.dRootX, s.dRootY + s.dRootChord);
    QPainterPath path;
    path.moveTo(right.front());
    for (std::size_t k = 1; k < right.size(); ++k)
        path.lineTo(right[k]);
    for (std::size_t k = right.size(); k-- > 1;)
        path.lineTo(-right[k].x(), right[k].y());
    path.closeSubpath();
    return path;
}

// Light from above: bright along the middle, darker towards the edges.
QBrush AcrossOverlay(double dHalf, double dStrength = 1) {
    QLinearGradient gradient(-dHalf, 0, dHalf, 0);
    gradient.setColorAt(0, QColor(0, 0, 0, int(60 * dStrength)));
    gradient.setColorAt(0.4, QColor(255, 255, 255, int(70 * dStrength)));
    gradient.setColorAt(0.6, QColor(255, 255, 255, int(50 * dStrength)));
    gradient.setColorAt(1, QColor(0, 0, 0, int(60 * dStrength)));
    return QBrush(gradient);
}

// Wings lit from the front, a little darker towards the trailing edge.
QBrush AlongOverlay(const QRectF& r) {
    QLinearGradient gradient(0, r.top(), 0, r.bottom());
    gradient.setColorAt(0, QColor(255, 255, 255, 60));
    gradient.setColorAt(0.5, QColor(255, 255, 255, 0));
    gradient.setColorAt(1, QColor(0, 0, 0, 40));
    return QBrush(gradient);
}

void ShadeSurface(CSketch& sketch, const QPainterPath& path, const QColor& color,
                  const QPainterPath* pCamouflage, const QColor* pCamouflageColor) {
    sketch.Fill(path, color);
    if (pCamouflage)
        sketch.FillInside(*pCamouflage, path, *pCamouflageColor);
    sketch.Fill(path, AlongOverlay(path.boundingRect()), OutlineOf(color));
}

QPainterPath PodPlan(double x, double y, double dLength, double dWidth, bool bBox) {
    QPainterPath path;
    const double r = dWidth / 2;
    if (bBox) {
        path.addRect(QRectF(x - r, y, dWidth, dLength));
        return path;
    }
    path.moveTo(x - r, y);
    path.lineTo(x + r, y);
    path.cubicTo(x + 1.05 * r, y + 0.5 * dLength, x + 0.8 * r, y + 0.8 * dLength, x + 0.4 * r,
                 y + dLength);
    path.lineTo(x - 0.4 * r, y + dLength);
    path.cubicTo(x - 0.8 * r, y + 0.8 * dLength, x - 1.05 * r, y + 0.5 * dLength, x - r, y);
    path.closeSubpath();
    return path;
}

void PropellerPlan(CSketch& sketch, double x, double y, double dDiameter, int nDiscs) {
    for (int k = 0; k < nDiscs; ++k) {
        const double yp = y - k * 0.07 * dDiameter;
        QLinearGradient blur(x - dDiameter / 2, 0, x + dDiameter / 2, 0);
        blur.setColorAt(0, QColor(60, 64, 70, 25));
        blur.setColorAt(0.5, QColor(60, 64, 70, 80));
        blur.setColorAt(1, QColor(60, 64, 70, 25));
        sketch.Fill(Ellipse({x, yp}, dDiameter / 2, 0.03 * dDiameter), QBrush(blur));
        QPainterPath blade({x - 0.47 * dDiameter, yp});
        blade.lineTo(x + 0.47 * dDiameter, yp);
        sketch.Stroke(blade, QColor(50, 52, 58, 190), 0.02 * dDiameter);
    }
    sketch.Fill(Ellipse({x, y + 0.02 * dDiameter}, 0.06 * dDiameter, 0.09 * dDiameter), kMetal,
                OutlineOf(kMetal));
}

void Engines(const Layout& lay, CSketch& sketch, bool bAboveWing) {
    const AircraftDrawing& d = *lay.pDrawing;
    const bool bProp = d.eEngines == EngineLayout::Turboprop;
    const bool bBox = d.eClass == AircraftClass::Supersonic ||
                      (d.eClass == AircraftClass::Bomber && d.eEngines == EngineLayout::Fuselage);
    const bool bUnder = d.eEngines == EngineLayout::Wing || bBox;
    if (bUnder == bAboveWing)
        return;
    const QColor color = Mix(d.livery.body, kMetal, 0.3);
    for (const Engine& e : lay.engines) {
        if (e.bInFin)
            continue;
        if (d.eEngines == EngineLayout::Fuselage && !bBox)
            continue;
        for (double x : {e.dX, -e.dX}) {
            if (d.eEngines == EngineLayout::Tail) {
                // Stub pylon to the body.
                QPainterPath pylon;
                pylon.addRect(QRectF(std::min(x, 0.0), e.dY + 0.35 * e.dLength, std::abs(x),
                                     0.3 * e.dLength));
                sketch.Fill(pylon, color, OutlineOf(color));
            }
            const QPainterPath pod = PodPlan(x, e.dY, e.dLength, e.dDiameter, bBox);
            sketch.Fill(pod, color);
            sketch.Fill(pod, AcrossOverlay(e.dDiameter / 2), OutlineOf(color));
            QPainterPath lip;
            lip.addRect(QRectF(x - 0.45 * e.dDiameter, e.dY, 0.9 * e.dDiameter,
                               std::max(0.03 * e.dLength, sketch.Pixel())));
            sketch.Fill(lip, kIntake);
            if (bProp)
                PropellerPlan(sketch, x, e.dY - 0.02 * e.dLength, e.dPropDiameter,
                              d.eClass == AircraftClass::Bomber ? 2 : 1);
            if (x == 0)
                break;
        }
    }
}

QPainterPath FinPlan(const Fin& fin, double dX) {
    const double y0 = fin.dRootY,
                 y1 = std::max(fin.dRootY + fin.dRootChord, fin.dTipY + fin.dTipChord);
    const double w = 0.05 * fin.dRootChord;
    QPainterPath path;
    path.moveTo(dX, y0);
    path.cubicTo(dX + w, y0 + 0.3 * (y1 - y0), dX + w, y0 + 0.6 * (y1 - y0), dX, y1);
    path.cubicTo(dX - w, y0 + 0.6 * (y1 - y0), dX - w, y0 + 0.3 * (y1 - y0), dX, y0);
    path.closeSubpath();
    return path;
}

void Canopy(const Layout& lay, CSketch& sketch) {
    const double y0 = lay.dCanopyY, y1 = y0 + lay.dCanopyLength;
    const double w = std::min(BodyHalfWidth(lay, y0 + 0.3 * lay.dCanopyLength), lay.dDepth * 0.4) *
                     (lay.pDrawing->eClass == AircraftClass::Light ? 1.6 : 1.1);
    QPainterPath bubble;
    bubble.moveTo(0, y0);
    bubble.cubicTo(0.7 * w, y0 + 0.05 * (y1 - y0), 0.75 * w, y0 + 0.5 * (y1 - y0), 0, y1);
    bubble.cubicTo(-0.75 * w, y0 + 0.5 * (y1 - y0), -0.7 * w, y0 + 0.05 * (y1 - y0), 0, y0);
    bubble.closeSubpath();
    QLinearGradient gradient(-w, y0, w, y1);
    gradient.setColorAt(0, Scale(kGlass, 0.8));
    gradient.setColorAt(0.45, QColor(140, 170, 196));
    gradient.setColorAt(0.6, kGlass);
    gradient.setColorAt(1, Scale(kGlass, 0.75));
    sketch.Fill(bubble, QBrush(gradient), OutlineOf(kGlass));
}

void Windscreen(const Layout& lay, CSketch& sketch) {
    const double y0 = lay.dNosePlan * 0.45, y1 = lay.dNosePlan * 0.8;
    const double w0 = BodyHalfWidth(lay, y0) * 0.7, w1 = BodyHalfWidth(lay, y1) * 0.85;
    QPainterPath glass;
    glass.moveTo(-w0, y0);
    glass.quadTo(0, y0 - 0.1 * (y1 - y0), w0, y0);
    glass.lineTo(w1, y1);
    glass.quadTo(0, y1 - 0.3 * (y1 - y0), -w1, y1);
    glass.closeSubpath();
    sketch.Fill(glass, kGlass);
}

void BuriedEngines(const Layout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    if (d.eEngines != EngineLayout::Fuselage || lay.engines.empty() ||
        (d.eClass == AircraftClass::Bomber && d.eIntake == IntakeKind::Under))
        return;
    const double L = lay.dLength;
    for (const Engine& e : lay.engines) {
        for (double x : {e.dX, -e.dX}) {
            QPainterPath nozzle;
            nozzle.addRoundedRect(
                QRectF(x - 0.42 * e.dDiameter, L - 0.04 * L, 0.84 * e.dDiameter, 0.06 * L),
                0.1 * e.dDiameter, 0.1 * e.dDiameter);
            sketch.Fill(nozzle, kDarkMetal, OutlineOf(kDarkMetal));
            if (x == 0)
                break;
        }
    }
    if (d.eIntake == IntakeKind::Side) {
        const bool bTrainer = d.eClass == AircraftClass::Trainer;
        const double yI = bTrainer ? 0.36 * L : 0.3 * L;
        const double w = lay.dWidth * (bTrainer ? 0.28 : 0.3);
        const double x0 = BodyHalfWidth(lay, yI) * 0.85;
        QPainterPath box;
        box.moveTo(x0, yI);
        box.lineTo(x0 + w, yI + 0.01 * L);
        box.cubicTo(x0 + w, yI + 0.2 * L, x0 + w * 0.8, yI + 0.3 * L, x0 - 0.1 * w, yI + 0.42 * L);
        box.lineTo(x0 - 0.2 * w, yI);
        box.closeSubpath();
        const QColor body = d.livery.body;
        for (const QPainterPath& side : {box, MirrorX(box)}) {
            sketch.Fill(side, body);
            if (d.livery.camouflage)
                sketch.FillInside(CamouflagePatches(side.boundingRect(), 0.09 * L, 11), side,
                                  *d.livery.camouflage);
            sketch.Fill(side, AlongOverlay(side.boundingRect()), OutlineOf(body));
        }
        for (double s : {1.0, -1.0}) {
            QPainterPath mouth;
            mouth.addRect(QRectF(std::min(s * x0, s * (x0 + w)), yI, w, 0.015 * L));
            sketch.Fill(mouth, kIntake);
        }
    } else if (d.eIntake == IntakeKind::Nose) {
        sketch.Fill(Ellipse({0, 0.006 * L}, BodyHalfWidth(lay, 0.012 * L) + 0.02, 0.006 * L),
                    kIntake);
    }
}

} // namespace

void SketchTop(const Layout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const AircraftLivery& livery = d.livery;
    const double L = lay.dLength;

    QPainterPath camouflage;
    if (livery.camouflage)
        camouflage = CamouflagePatches(QRectF(-lay.dSpan / 2, 0, lay.dSpan, L), 0.09 * L, 5);
    const QPainterPath* pCamo = livery.camouflage ? &camouflage : nullptr;
    const QColor* pCamoColor = livery.camouflage ? &*livery.camouflage : nullptr;

    const QPainterPath wing = SurfacePlan(lay.wing);
    const bool bHigh = d.eWingPosition == WingPosition::High;
    const bool bTTail = d.eTail == TailKind::TTail;

    // Under the wing: pods ahead of it; the wing itself when the body is above it.
    Engines(lay, sketch, false);
    if (lay.tailplane.IsSet() && !bTTail)
        ShadeSurface(sketch, SurfacePlan(lay.tailplane), livery.body, pCamo, pCamoColor);
    auto drawWing = [&] {
        if (lay.glove.IsSet())
            ShadeSurface(sketch, SurfacePlan(lay.glove), livery.body, pCamo, pCamoColor);
        ShadeSurface(sketch, wing, livery.body, pCamo, pCamoColor);
        if (d.bTipTanks) {
            const Surface& w = lay.wing;
            for (double x : {w.dTipX, -w.dTipX}) {
                const QPainterPath tank =
                    Ellipse({x, w.dTipY + 0.45 * w.dTipChord},
                            0.012 * lay.dSpan + 0.1 * w.dTipChord, 0.85 * w.dTipChord);
                sketch.Fill(tank, livery.stripe, OutlineOf(livery.stripe));
            }
        }
    };
    if (!bHigh)
        drawWing();

    // The body.
    const QPainterPath body = BodyPlan(lay);
    sketch.Fill(body, livery.body);
    if (pCamo)
        sketch.FillInside(camouflage, body, *pCamoColor);
    sketch.Fill(body, AcrossOverlay(lay.dWidth / 2), OutlineOf(livery.body));
    BuriedEngines(lay, sketch);
    const bool bCanopyUnderWing = bHigh && d.eClass == AircraftClass::Light;
    if (bCanopyUnderWing)
        Canopy(lay, sketch);
    if (bHigh)
        drawWing();
    if (lay.upperWing.IsSet()) {
        // The upper wing of a biplane hides the lower one.
        ShadeSurface(sketch, SurfacePlan(lay.upperWing), livery.body, pCamo, pCamoColor);
    }
    Engines(lay, sketch, true);
    if (lay.foreplane.IsSet())
        ShadeSurface(sketch, SurfacePlan(lay.foreplane), livery.body, pCamo, pCamoColor);

    for (const Fin& fin : lay.fins) {
        for (double x : {fin.dX, -fin.dX}) {
            sketch.Fill(FinPlan(fin, x), livery.tail, OutlineOf(livery.tail));
            if (x == 0)
                break;
        }
    }
    if (lay.tailplane.IsSet() && bTTail)
        ShadeSurface(sketch, SurfacePlan(lay.tailplane), livery.body, pCamo, pCamoColor);
    if (lay.dCanopyLength > 0) {
        if (!bCanopyUnderWing)
            Canopy(lay, sketch);
    } else
        Windscreen(lay, sketch);
    if (lay.bPropNose)
        PropellerPlan(sketch, 0, -0.01 * L, lay.dPropDiameter, 1);
}
