// Helicopters in all three views. Side view: nose to the left; top view:
// nose up; front view: from ahead. y runs along the body, z is the height.

#include "painter/aircraftshapes.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

namespace {

QPointF P(double a, double z) {
    return {a, -z};
}
constexpr double kPi = std::numbers::pi;

QBrush Overlay(double zTop, double zBottom) {
    QLinearGradient gradient(P(0, zTop), P(0, zBottom));
    gradient.setColorAt(0, QColor(255, 255, 255, 80));
    gradient.setColorAt(0.35, QColor(255, 255, 255, 0));
    gradient.setColorAt(1, QColor(0, 0, 0, 70));
    return QBrush(gradient);
}

QBrush AcrossOverlay(double dHalf) {
    QLinearGradient gradient(-dHalf, 0, dHalf, 0);
    gradient.setColorAt(0, QColor(0, 0, 0, 60));
    gradient.setColorAt(0.42, QColor(255, 255, 255, 70));
    gradient.setColorAt(1, QColor(0, 0, 0, 60));
    return QBrush(gradient);
}

void Shade(CSketch& sketch, const QPainterPath& path, const QColor& color, bool bAcross = false) {
    const QRectF r = path.boundingRect();
    sketch.Fill(path, color);
    sketch.Fill(path, bAcross ? AcrossOverlay(r.width() / 2) : Overlay(-r.top(), -r.bottom()),
                OutlineOf(color));
}

const QColor kBlade(48, 50, 54);

// A rotor seen edge-on: blurred disc, blade line, hub.
void RotorEdge(CSketch& sketch, double a, double z, double dDiameter) {
    QLinearGradient blur(P(a - dDiameter / 2, 0), P(a + dDiameter / 2, 0));
    blur.setColorAt(0, QColor(50, 54, 60, 10));
    blur.setColorAt(0.5, QColor(50, 54, 60, 60));
    blur.setColorAt(1, QColor(50, 54, 60, 10));
    sketch.Fill(Ellipse(P(a, z), dDiameter / 2, 0.025 * dDiameter), QBrush(blur));
    QPainterPath blade(P(a - dDiameter / 2, z - 0.012 * dDiameter));
    blade.quadTo(P(a, z + 0.008 * dDiameter), P(a + dDiameter / 2, z - 0.012 * dDiameter));
    sketch.Stroke(blade, kBlade, 0.006 * dDiameter);
    sketch.Fill(Ellipse(P(a, z), 0.025 * dDiameter, 0.012 * dDiameter), kDarkMetal);
}

// A rotor seen face-on: blurred disc and its blades.
void RotorFace(CSketch& sketch, QPointF ptHub, double dDiameter, int nBlades, double dTurn,
               bool bDisc) {
    const double R = dDiameter / 2;
    if (bDisc) {
        QRadialGradient blur(ptHub, R);
        blur.setColorAt(0, QColor(50, 54, 60, 25));
        blur.setColorAt(0.9, QColor(50, 54, 60, 45));
        blur.setColorAt(1, QColor(50, 54, 60, 12));
        sketch.Fill(Ellipse(ptHub, R, R), QBrush(blur));
    }
    for (int k = 0; k < nBlades; ++k) {
        const double a = dTurn + 2 * kPi * k / nBlades;
        const QPointF u(std::cos(a), std::sin(a)), n(-u.y(), u.x());
        const double w = std::max(0.028 * R, 1.2 * sketch.Pixel());
        sketch.Fill(Polygon({ptHub + n * w * 0.6, ptHub + u * R + n * w * 0.5,
                             ptHub + u * R - n * w * 0.5, ptHub - n * w * 0.6}),
                    kBlade);
    }
    sketch.Fill(Ellipse(ptHub, 0.05 * R, 0.05 * R), kDarkMetal, OutlineOf(kDarkMetal));
}

// The cabin's side outline.
QPainterPath CabinSide(const RotorLayout& lay) {
    const AircraftDrawing& d = *lay.pDrawing;
    const double L = lay.dLength, z0 = lay.dCabinBottom, h = lay.dCabinDepth;
    const double yEnd = lay.dCabinLength;
    QPainterPath path;
    if (d.bCombat) {
        // Pointed nose, the gunner low in front.
        path.moveTo(P(0, z0 + 0.35 * h));
        path.cubicTo(P(0.02 * L, z0 + 0.75 * h), P(0.1 * L, z0 + 0.85 * h), P(0.2 * L, z0 + h));
    } else {
        path.moveTo(P(0.02 * L, z0 + 0.2 * h));
        path.cubicTo(P(-0.005 * L, z0 + 0.5 * h), P(0.01 * L, z0 + 0.95 * h), P(0.12 * L, z0 + h));
    }
    path.lineTo(P(yEnd, z0 + h));
    path.cubicTo(P(yEnd + 0.06 * L, z0 + h), P(yEnd + 0.05 * L, lay.dBoomZ + lay.dBoomDepth / 2),
                 P(yEnd + 0.12 * L, lay.dBoomZ + lay.dBoomDepth / 2));
    path.lineTo(P(yEnd + 0.12 * L, lay.dBoomZ - lay.dBoomDepth / 2));
    path.cubicTo(P(yEnd, lay.dBoomZ - lay.dBoomDepth / 2), P(yEnd, z0), P(yEnd - 0.1 * L, z0));
    path.lineTo(P(0.1 * L, z0));
    path.cubicTo(P(0.05 * L, z0), P(0.03 * L, z0 + 0.05 * h),
                 P(d.bCombat ? 0 : 0.02 * L, z0 + (d.bCombat ? 0.35 : 0.2) * h));
    path.closeSubpath();
    return path;
}

QPainterPath BoomSide(const RotorLayout& lay) {
    const double L = lay.dLength, y0 = lay.dCabinLength, b = lay.dBoomDepth;
    const double yTail = L - 0.06 * L;
    const double zTop = lay.dTailRotorZ + 0.1 * lay.dTailRotorDiameter;
    return Polygon({P(y0, lay.dBoomZ + b / 2), P(yTail - 0.04 * L, lay.dBoomZ + 0.25 * b),
                    P(L - 0.05 * L, zTop), P(L, zTop), P(L - 0.04 * L, lay.dBoomZ - 0.3 * b),
                    P(y0, lay.dBoomZ - b / 2)});
}

void GearSide(const RotorLayout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const double L = lay.dLength, z0 = lay.dCabinBottom;
    if (d.eGear == GearKind::Skids) {
        QPainterPath skid(P(0.08 * L, 0.12 * z0 + 0.15));
        skid.quadTo(P(0.1 * L, 0.04), P(0.16 * L, 0.04));
        skid.lineTo(P(0.6 * L, 0.04));
        sketch.Stroke(skid, kDarkMetal, 0.09);
        for (double y : {0.22 * L, 0.5 * L}) {
            QPainterPath tube(P(y, z0 + 0.05));
            tube.lineTo(P(y - 0.02 * L, 0.04));
            sketch.Stroke(tube, kDarkMetal, 0.08);
        }
        return;
    }
    if (d.eGear == GearKind::None)
        return;
    const double r = std::min(0.3, 0.4 * z0) + 0.012 * L;
    const bool bTail = d.eGear == GearKind::Tailwheel;
    const double yMain = bTail ? 0.25 * L : 0.42 * L, yOther = bTail ? 0.86 * L : 0.09 * L;
    const double zOther = bTail ? lay.dBoomZ - lay.dBoomDepth / 2 : z0;
    for (auto [y, rr, zTop] : {std::tuple{yMain, r, z0}, std::tuple{yOther, 0.7 * r, zOther}}) {
        QPainterPath leg(P(y, zTop));
        leg.lineTo(P(y, rr));
        sketch.Stroke(leg, kDarkMetal, 0.3 * rr);
        sketch.Fill(Ellipse(P(y, rr), rr, rr), kTyre, OutlineOf(kTyre));
        sketch.Fill(Ellipse(P(y, rr), 0.45 * rr, 0.45 * rr), kMetal);
    }
}

void SideView(const RotorLayout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const AircraftLivery& livery = d.livery;
    const double L = lay.dLength, S = lay.dDiameter, z0 = lay.dCabinBottom, h = lay.dCabinDepth;

    QRadialGradient shadow(P(0.45 * L, 0), 0.45 * L);
    shadow.setColorAt(0, QColor(40, 60, 80, 60));
    shadow.setColorAt(1, QColor(40, 60, 80, 0));
    sketch.Fill(Ellipse(P(0.45 * L, 0), 0.45 * L, 0.015 * L), QBrush(shadow));
    GearSide(lay, sketch);

    // Boom, fin and tailplane, then the cabin over the boom's root.
    const QPainterPath boom = BoomSide(lay);
    Shade(sketch, boom, livery.body);
    QPainterPath tailplane;
    const double yTp = d.bCoaxial ? 0.86 * L : 0.8 * L;
    tailplane.addRoundedRect(QRectF(P(yTp, lay.dBoomZ + 0.12 * h), P(yTp + 0.07 * L, lay.dBoomZ)),
                             0.04 * h, 0.04 * h);
    Shade(sketch, tailplane, livery.tail);
    if (d.bCoaxial) {
        QPainterPath fin = Polygon(
            {P(yTp + 0.01 * L, lay.dBoomZ - 0.25 * h), P(yTp + 0.03 * L, lay.dBoomZ + 0.75 * h),
             P(yTp + 0.08 * L, lay.dBoomZ + 0.75 * h), P(yTp + 0.075 * L, lay.dBoomZ - 0.25 * h)});
        Shade(sketch, fin, livery.tail);
    }
    const QPainterPath cabin = CabinSide(lay);
    sketch.Fill(cabin, livery.body);
    if (livery.underside) {
        QPainterPath below;
        below.addRect(QRectF(P(-L, z0 + 0.25 * h), P(2 * L, z0 - h)));
        sketch.FillInside(below, cabin.united(boom), *livery.underside);
    }
    if (livery.camouflage) {
        QPainterPath above;
        above.addRect(QRectF(P(-L, z0 + 2 * h), P(2 * L, z0 + 0.3 * h)));
        sketch.FillInside(CamouflagePatches(QRectF(P(0, z0 + 2 * h), P(L, 0)), 0.12 * L, 9),
                          above.intersected(cabin.united(boom)), *livery.camouflage);
    }
    if (livery.stripe != livery.body) {
        QPainterPath stripe;
        stripe.addRect(QRectF(P(0, z0 + 0.42 * h), P(L, z0 + 0.3 * h)));
        sketch.FillInside(stripe, cabin.united(boom), livery.stripe);
    }
    // Glazing: a stepped tandem pair on a gunship, a glazed nose on the others.
    if (d.bCombat) {
        for (auto [y, zb, len, hh] : {std::tuple{0.06 * L, z0 + 0.68 * h, 0.13 * L, 0.35 * h},
                                      std::tuple{0.19 * L, z0 + 0.95 * h, 0.13 * L, 0.38 * h}}) {
            QPainterPath canopy(P(y, zb));
            canopy.cubicTo(P(y + 0.15 * len, zb + hh), P(y + 0.6 * len, zb + hh),
                           P(y + len, zb + hh));
            canopy.lineTo(P(y + len, zb - 0.1 * h));
            canopy.lineTo(P(y + 0.1 * len, zb - 0.15 * h));
            canopy.closeSubpath();
            QLinearGradient g(canopy.boundingRect().topLeft(), canopy.boundingRect().bottomRight());
            g.setColorAt(0, QColor(150, 180, 205));
            g.setColorAt(0.4, kGlass);
            g.setColorAt(1, Scale(kGlass, 0.7));
            sketch.Fill(canopy, QBrush(g), OutlineOf(kGlass));
        }
    } else {
        QPainterPath glass;
        glass.moveTo(P(0.005 * L, z0 + 0.45 * h));
        glass.cubicTo(P(0.0 * L, z0 + 0.8 * h), P(0.04 * L, z0 + 0.93 * h),
                      P(0.12 * L, z0 + 0.93 * h));
        glass.lineTo(P(0.13 * L, z0 + 0.5 * h));
        glass.closeSubpath();
        sketch.FillInside(glass, cabin, kGlass);
        if (0.4 / sketch.Pixel() > 2) {
            QPainterPath windows;
            const double s = std::min(0.45, 0.16 * h);
            for (double y = 0.2 * L; y < lay.dCabinLength - 0.05 * L; y += 2.3 * s)
                windows.addRoundedRect(
                    QRectF(P(y, z0 + 0.62 * h + s / 2), P(y + s, z0 + 0.62 * h - s / 2)), 0.4 * s,
                    0.4 * s);
            sketch.FillInside(windows, cabin, kGlass);
        }
    }
    sketch.Fill(cabin, Overlay(z0 + h, z0), OutlineOf(livery.body));

    // Engines on the roof, the mast and the rotors.
    const double zRoof = z0 + h;
    const double zHouse = zRoof + 0.45 * (lay.dRotorZ - zRoof);
    QPainterPath house;
    house.moveTo(P(0.13 * L, zRoof - 0.05));
    house.cubicTo(P(0.15 * L, zHouse), P(0.2 * L, zHouse), P(0.25 * L, zHouse));
    house.lineTo(P(lay.dCabinLength - 0.02 * L, zHouse - 0.05 * h));
    house.cubicTo(P(lay.dCabinLength + 0.04 * L, zHouse - 0.1 * h),
                  P(lay.dCabinLength + 0.06 * L, zRoof),
                  P(lay.dCabinLength + 0.08 * L, lay.dBoomZ + lay.dBoomDepth / 2 - 0.05));
    house.lineTo(P(0.13 * L, zRoof - 0.05));
    house.closeSubpath();
    Shade(sketch, house, livery.body);
    if (livery.camouflage)
        sketch.FillInside(CamouflagePatches(house.boundingRect(), 0.1 * L, 13), house,
                          *livery.camouflage);
    sketch.Fill(Ellipse(P(0.165 * L, 0.5 * (zRoof + zHouse)), 0.012 * L, 0.3 * (zHouse - zRoof)),
                kIntake);
    if (d.bCombat) {
        // Stub wing with a rocket pod under it.
        QPainterPath stub = Polygon({P(0.36 * L, z0 + 0.62 * h), P(0.47 * L, z0 + 0.6 * h),
                                     P(0.48 * L, z0 + 0.5 * h), P(0.36 * L, z0 + 0.54 * h)});
        Shade(sketch, stub, livery.body);
        QPainterPath pod;
        pod.addRoundedRect(QRectF(P(0.35 * L, z0 + 0.5 * h), P(0.47 * L, z0 + 0.3 * h)), 0.1 * h,
                           0.1 * h);
        Shade(sketch, pod, kDarkMetal);
    }
    QPainterPath mast(P(lay.dMastY, zHouse - 0.05));
    mast.lineTo(P(lay.dMastY, lay.dRotorZ));
    sketch.Stroke(mast, kDarkMetal, 0.05 * h + 0.1);
    RotorEdge(sketch, lay.dMastY, lay.dRotorZ, S);
    if (d.bCoaxial)
        RotorEdge(sketch, lay.dMastY, lay.dRotorZ - 0.16 * (lay.dRotorZ - zRoof) - 0.3, S);
    else
        RotorFace(sketch, P(lay.dTailRotorY, lay.dTailRotorZ), lay.dTailRotorDiameter,
                  d.nRotorBlades >= 5 ? 3 : 2, 0.3, true);
}

void TopView(const RotorLayout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const AircraftLivery& livery = d.livery;
    const double L = lay.dLength, w = lay.dCabinWidth / 2, y1 = lay.dCabinLength;

    // Boom, tailplane, cabin, roof, then the rotor over everything.
    QPainterPath boom =
        Polygon({QPointF(0.4 * w, y1), QPointF(0.18 * w, L - 0.05 * L), QPointF(0.12 * w, L),
                 QPointF(-0.12 * w, L), QPointF(-0.18 * w, L - 0.05 * L), QPointF(-0.4 * w, y1)});
    Shade(sketch, boom, livery.body, true);
    const double yTp = d.bCoaxial ? 0.86 * L : 0.8 * L,
                 dTp = (d.bCoaxial ? 0.2 : 0.12) * lay.dDiameter;
    QPainterPath tailplane;
    tailplane.addRoundedRect(QRectF(-dTp / 2, yTp, dTp, 0.06 * L), 0.02 * L, 0.02 * L);
    Shade(sketch, tailplane, livery.tail);
    if (d.bCoaxial) {
        for (double x : {dTp / 2, -dTp / 2})
            sketch.Fill(Ellipse({x, yTp + 0.03 * L}, 0.15 * w, 0.05 * L), livery.tail,
                        OutlineOf(livery.tail));
    }
    QPainterPath cabin;
    cabin.moveTo(0, 0);
    cabin.cubicTo(0.8 * w, 0, w, 0.05 * L, w, 0.15 * L);
    cabin.lineTo(w, y1 - 0.06 * L);
    cabin.cubicTo(w, y1, 0.6 * w, y1 + 0.05 * L, 0.4 * w, y1 + 0.08 * L);
    cabin.lineTo(-0.4 * w, y1 + 0.08 * L);
    cabin.cubicTo(-0.6 * w, y1 + 0.05 * L, -w, y1, -w, y1 - 0.06 * L);
    cabin.lineTo(-w, 0.15 * L);
    cabin.cubicTo(-w, 0.05 * L, -0.8 * w, 0, 0, 0);
    cabin.closeSubpath();
    if (d.bCombat) {
        QPainterPath stubs;
        stubs.addRect(QRectF(-0.19 * lay.dDiameter, 0.36 * L, 0.38 * lay.dDiameter, 0.09 * L));
        Shade(sketch, stubs, livery.body);
        for (double x : {0.14 * lay.dDiameter, -0.14 * lay.dDiameter}) {
            QPainterPath pod;
            pod.addRoundedRect(QRectF(x - 0.25 * w, 0.34 * L, 0.5 * w, 0.13 * L), 0.2 * w, 0.2 * w);
            Shade(sketch, pod, kDarkMetal, true);
        }
    }
    sketch.Fill(cabin, livery.body);
    if (livery.camouflage)
        sketch.FillInside(CamouflagePatches(QRectF(-w, 0, 2 * w, L), 0.12 * L, 17), cabin,
                          *livery.camouflage);
    sketch.Fill(cabin, AcrossOverlay(w), OutlineOf(livery.body));
    QPainterPath glass;
    if (d.bCombat) {
        glass.addEllipse(QRectF(-0.45 * w, 0.06 * L, 0.9 * w, 0.27 * L));
    } else {
        glass.moveTo(-0.8 * w, 0.09 * L);
        glass.quadTo(0, -0.01 * L, 0.8 * w, 0.09 * L);
        glass.lineTo(0.7 * w, 0.13 * L);
        glass.quadTo(0, 0.1 * L, -0.7 * w, 0.13 * L);
        glass.closeSubpath();
    }
    sketch.FillInside(glass, cabin, kGlass);
    QPainterPath house;
    house.addRoundedRect(QRectF(-0.55 * w, 0.15 * L, 1.1 * w, y1 - 0.1 * L), 0.4 * w, 0.4 * w);
    Shade(sketch, house, Scale(livery.body, 0.92), true);
    if (!d.bCoaxial) {
        QPainterPath tailRotor;
        tailRotor.addRect(QRectF(0.2 * w, lay.dTailRotorY - lay.dTailRotorDiameter / 2,
                                 0.06 * w + 0.05, lay.dTailRotorDiameter));
        sketch.Fill(tailRotor, kBlade);
    }
    const QPointF ptHub(0, lay.dMastY);
    RotorFace(sketch, ptHub, lay.dDiameter, d.nRotorBlades, kPi / 4, true);
    if (d.bCoaxial)
        RotorFace(sketch, ptHub, lay.dDiameter, d.nRotorBlades, kPi / 4 + kPi / d.nRotorBlades,
                  false);
}

void FrontView(const RotorLayout& lay, CSketch& sketch) {
    const AircraftDrawing& d = *lay.pDrawing;
    const AircraftLivery& livery = d.livery;
    const double w = lay.dCabinWidth / 2, z0 = lay.dCabinBottom, h = lay.dCabinDepth;

    // Behind the cabin: tailplane, fins and the tail rotor.
    const double dTp = (d.bCoaxial ? 0.2 : 0.12) * lay.dDiameter;
    QPainterPath tailplane;
    tailplane.addRect(QRectF(P(-dTp / 2, lay.dBoomZ + 0.06 * h), P(dTp / 2, lay.dBoomZ)));
    sketch.Fill(tailplane, livery.tail, OutlineOf(livery.tail));
    if (d.bCoaxial) {
        for (double x : {dTp / 2, -dTp / 2}) {
            QPainterPath fin;
            fin.addRect(QRectF(P(x - 0.04 * w, lay.dBoomZ + 0.75 * h),
                               P(x + 0.04 * w, lay.dBoomZ - 0.25 * h)));
            sketch.Fill(fin, livery.tail, OutlineOf(livery.tail));
        }
    } else {
        QPainterPath fin;
        fin.addRect(QRectF(P(-0.08 * w, lay.dTailRotorZ + 0.1 * lay.dTailRotorDiameter),
                           P(0.08 * w, lay.dBoomZ)));
        sketch.Fill(fin, livery.tail, OutlineOf(livery.tail));
        QPainterPath tailRotor;
        tailRotor.addRect(QRectF(P(0.2 * w, lay.dTailRotorZ + lay.dTailRotorDiameter / 2),
                                 P(0.26 * w + 0.05, lay.dTailRotorZ - lay.dTailRotorDiameter / 2)));
        sketch.Fill(tailRotor, kBlade);
    }

    // Gear.
    if (d.eGear == GearKind::Skids) {
        for (double s : {1.0, -1.0}) {
            QPainterPath tube(P(s * 0.5 * w, z0 + 0.05));
            tube.quadTo(P(s * 1.2 * w, z0), P(s * 1.25 * w, 0.08));
            sketch.Stroke(tube, kDarkMetal, 0.08);
            sketch.Fill(Ellipse(P(s * 1.25 * w, 0.06), 0.08, 0.06), kDarkMetal);
        }
    } else if (d.eGear != GearKind::None) {
        const double r = std::min(0.3, 0.4 * z0) + 0.012 * lay.dLength;
        for (double x : {1.1 * w, -1.1 * w, 0.0}) {
            QPainterPath leg(P(x == 0 ? 0 : x * 0.6, z0 + 0.05));
            leg.lineTo(P(x, r));
            sketch.Stroke(leg, kDarkMetal, 0.25 * r);
            QPainterPath tyre;
            tyre.addRoundedRect(QRectF(P(x - 0.35 * r, 2 * r), P(x + 0.35 * r, 0)), 0.2 * r,
                                0.2 * r);
            sketch.Fill(tyre, kTyre, OutlineOf(kTyre));
        }
    }

    QPainterPath cabin;
    cabin.addRoundedRect(QRectF(P(-w, z0 + h), P(w, z0)), 0.45 * w, 0.35 * h);
    if (d.bCombat) {
        QPainterPath stubs;
        stubs.addRect(QRectF(P(-0.19 * lay.dDiameter, z0 + 0.62 * h),
                             P(0.19 * lay.dDiameter, z0 + 0.54 * h)));
        Shade(sketch, stubs, livery.body);
        for (double x : {0.14 * lay.dDiameter, -0.14 * lay.dDiameter}) {
            Shade(sketch, Ellipse(P(x, z0 + 0.4 * h), 0.25 * w, 0.25 * w), kDarkMetal);
            sketch.Fill(Ellipse(P(x, z0 + 0.4 * h), 0.15 * w, 0.15 * w), kIntake);
        }
    }
    sketch.Fill(cabin, livery.body);
    if (livery.underside) {
        QPainterPath below;
        below.addRect(QRectF(P(-2 * w, z0 + 0.25 * h), P(2 * w, 0)));
        sketch.FillInside(below, cabin, *livery.underside);
    }
    sketch.Fill(cabin, AcrossOverlay(w), OutlineOf(livery.body));
    QPainterPath glass;
    if (d.bCombat) {
        glass.addEllipse(QRectF(P(-0.55 * w, z0 + h + 0.25 * h), P(0.55 * w, z0 + 0.55 * h)));
        glass.addEllipse(QRectF(P(-0.5 * w, z0 + 0.95 * h), P(0.5 * w, z0 + 0.45 * h)));
        sketch.Fill(glass.simplified(), kGlass, OutlineOf(kGlass));
    } else {
        for (double s : {1.0, -1.0})
            glass.addRoundedRect(
                QRectF(P(s * 0.05 * w, z0 + 0.9 * h), P(s * 0.8 * w, z0 + 0.45 * h)), 0.1 * w,
                0.1 * w);
        sketch.FillInside(glass, cabin, kGlass);
    }
    const double zRoof = z0 + h, zHouse = zRoof + 0.45 * (lay.dRotorZ - zRoof);
    QPainterPath house;
    house.addRoundedRect(QRectF(P(-0.7 * w, zHouse), P(0.7 * w, zRoof - 0.05)), 0.3 * w, 0.3 * w);
    Shade(sketch, house, livery.body, true);
    for (double s : {1.0, -1.0})
        sketch.Fill(
            Ellipse(P(s * 0.35 * w, 0.5 * (zRoof + zHouse)), 0.22 * w, 0.3 * (zHouse - zRoof)),
            kIntake);
    QPainterPath mast(P(0, zHouse - 0.05));
    mast.lineTo(P(0, lay.dRotorZ));
    sketch.Stroke(mast, kDarkMetal, 0.05 * h + 0.1);
    RotorEdge(sketch, 0, lay.dRotorZ, lay.dDiameter);
    if (d.bCoaxial)
        RotorEdge(sketch, 0, lay.dRotorZ - 0.16 * (lay.dRotorZ - zRoof) - 0.3, lay.dDiameter);
}

} // namespace

RotorLayout MakeRotorLayout(const AircraftDrawing& d) {
    const AircraftSize typical = TypicalSize(AircraftClass::Helicopter);
    RotorLayout lay;
    lay.pDrawing = &d;
    const double L = lay.dLength = d.dLength > 0 ? d.dLength : typical.dLength;
    lay.dDiameter = d.dSpan > 0 ? d.dSpan : typical.dSpan;
    const double H = lay.dHeight = d.dHeight > 0 ? d.dHeight : typical.dHeight;
    lay.dCabinLength = (d.bCombat ? 0.46 : 0.5) * L;
    lay.dCabinDepth = std::min(0.17 * L, 0.5 * H) * (d.bCombat ? 0.85 : 1);
    lay.dCabinWidth = lay.dCabinDepth * (d.bCombat ? 0.5 : 0.85);
    lay.dCabinBottom = (d.eGear == GearKind::Skids ? 0.16 : 0.12) * H;
    lay.dMastY = 0.38 * L;
    lay.dRotorZ = H - 0.03 * H;
    lay.dBoomZ = lay.dCabinBottom + 0.62 * lay.dCabinDepth;
    lay.dBoomDepth = 0.4 * lay.dCabinDepth;
    lay.dTailRotorDiameter = d.bCoaxial ? 0 : 0.18 * lay.dDiameter;
    lay.dTailRotorY = L - 0.04 * L;
    lay.dTailRotorZ =
        std::max(lay.dBoomZ + 0.45 * lay.dTailRotorDiameter, lay.dTailRotorDiameter / 2 + 0.3);
    return lay;
}

void SketchRotorcraft(const RotorLayout& lay, AircraftView view, CSketch& sketch) {
    if (view == AircraftView::Side)
        SideView(lay, sketch);
    else if (view == AircraftView::Top)
        TopView(lay, sketch);
    else
        FrontView(lay, sketch);
}
