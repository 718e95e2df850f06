#include "painter/aircraftshapes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <numbers>

namespace {

double Rad(double dDeg) {
    return dDeg * std::numbers::pi / 180.0;
}

// Proportions of each class, as fractions of the length (or of the body depth
// where so named), from measured drawings of typical members.
struct ClassShape {
    double dDepth, dDepthMax, dWidthRatio, dClearance; // clearance: of the depth
    double dNoseTop, dNoseBottom, dNoseTipZ, dNosePoint;
    double dTailTop, dTailBottom, dTailTopZ, dTailBottomZ; // z: of the depth, from the axis
    double dNosePlan, dTailPlan, dTailHalfWidth;
    double dWingY, dWingChord, dWingTaper;
    double dTailplaneSpan, dTailplaneChord, dFinChord;
    double dTailPower; // how late the tail starts to narrow
    double dThickness; // of the wing, to its chord
    friend constexpr bool operator==(const ClassShape&, const ClassShape&) = default;
};

struct ClassRow {
    AircraftClass eClass;
    AircraftSize typical; // metres, for types that give no figures
    ClassShape shape;
};

// Every class's typical size and proportions: one row per class, in the order of AircraftClass
// (checked below). A row's three lines hold
//   class, {length, span, height}, {dDepth, dDepthMax, dWidthRatio, dClearance,
//   dNoseTop, dNoseBottom, dNoseTipZ, dNosePoint,  dTailTop, dTailBottom, dTailTopZ, dTailBottomZ,
//   dNosePlan, dTailPlan, dTailHalfWidth,  dWingY, dWingChord, dWingTaper,
//       dTailplaneSpan, dTailplaneChord, dFinChord,  dTailPower, dThickness}
// clang-format off
constexpr ClassRow kClassRows[] = {
    {AircraftClass::Airliner,    {38, 34,   12},    {0.092, 4.1, 1.0,  0.42,
        0.085, 0.045, -0.12, 2.0,  0.2,  0.27, 0.28,  0.12,
        0.06,  0.24, 0.07,  0.36, 0.19, 0.27,  0.36, 0.1,  0.15,  1.7, 0.1}},
    {AircraftClass::WideBody,    {64, 60,   17},    {0.09,  7.0, 0.97, 0.4,
        0.07,  0.04,  -0.12, 2.0,  0.2,  0.27, 0.28,  0.12,
        0.05,  0.24, 0.07,  0.35, 0.2,  0.26,  0.34, 0.1,  0.14,  1.7, 0.1}},
    {AircraftClass::Turboprop,   {27, 27,    8},    {0.1,   3.2, 0.96, 0.36,
        0.075, 0.045, -0.14, 2.0,  0.24, 0.32, 0.3,   0.16,
        0.055, 0.28, 0.08,  0.38, 0.1,  0.55,  0.32, 0.09, 0.15,  1.6, 0.12}},
    {AircraftClass::Supersonic,  {62, 26,   12},    {0.048, 3.2, 1.0,  1.3,
        0.2,   0.16,  -0.05, 1.0,  0.14, 0.12, 0.12, -0.1,
        0.2,   0.12, 0.2,   0.3,  0.63, 0.05,  0.0,  0.0,  0.21,  1.5, 0.03}},
    {AircraftClass::Transport,   {47, 50,   15},    {0.12,  8.8, 0.98, 0.22,
        0.08,  0.05,  -0.12, 2.0,  0.3,  0.38, 0.3,   0.22,
        0.06,  0.3,  0.08,  0.36, 0.15, 0.36,  0.36, 0.1,  0.16,  1.6, 0.1}},
    {AircraftClass::Fighter,     {17, 11.5,  4.8},  {0.085, 2.0, 1.0,  0.85,
        0.3,   0.2,   -0.05, 1.3,  0.55, 0.22, 0.12, -0.28,
        0.34,  0.1,  0.85,  0.44, 0.33, 0.25,  0.58, 0.14, 0.18,  1.4, 0.05}},
    {AircraftClass::Bomber,      {50, 50,   13},    {0.075, 4.2, 0.95, 0.55,
        0.13,  0.1,   -0.05, 1.6,  0.18, 0.24, 0.16,  0.0,
        0.16,  0.2,  0.15,  0.38, 0.2,  0.3,   0.34, 0.1,  0.17,  1.6, 0.07}},
    {AircraftClass::Trainer,     {12,  9.5,  4.5},  {0.12,  1.7, 0.85, 0.6,
        0.32,  0.2,   -0.1,  1.6,  0.45, 0.4,  0.05, -0.12,
        0.3,   0.3,  0.35,  0.4,  0.2,  0.5,   0.4,  0.11, 0.2,   1.3, 0.09}},
    {AircraftClass::Helicopter,  {18, 21,    5.6},  {0.15,  1.6, 0.8,  0.42,
        0.22,  0.14,   0.0,  1.4,  0.58, 0.62, 0.12,  0.0,
        0.2,   0.55, 0.1,   0.27, 0.17, 0.75,  0.36, 0.11, 0.13,  1.1, 0.13}},
    {AircraftClass::Light,       { 8, 11,    2.7},  {0.15,  1.6, 0.8,  0.42,
        0.22,  0.14,   0.0,  1.4,  0.58, 0.62, 0.12,  0.0,
        0.2,   0.55, 0.1,   0.27, 0.17, 0.75,  0.36, 0.11, 0.13,  1.1, 0.13}},
};
// clang-format on

// Light is the last class.
constexpr std::size_t kClassCount = static_cast<std::size_t>(AircraftClass::Light) + 1;

constexpr bool OneRowPerClassInOrder() {
    if (std::size(kClassRows) != kClassCount)
        return false;
    for (std::size_t k = 0; k < kClassCount; ++k) {
        if (kClassRows[k].eClass != static_cast<AircraftClass>(k))
            return false;
    }
    return true;
}
static_assert(OneRowPerClassInOrder(), "kClassRows: one row per AircraftClass, in its order");

constexpr const ClassRow& RowOf(AircraftClass eClass) {
    // A value outside the enum gets the last row, Light's.
    return kClassRows[std::min(static_cast<std::size_t>(eClass), kClassCount - 1)];
}

// PaintAircraft draws helicopters from MakeRotorLayout; MakeLayout, given one, takes the light
// aircraft's proportions.
static_assert(RowOf(AircraftClass::Helicopter).shape == RowOf(AircraftClass::Light).shape,
              "Helicopter keeps the proportions of Light");

ClassShape ShapeOf(AircraftClass eClass) {
    return RowOf(eClass).shape;
}

} // namespace

AircraftSize TypicalSize(AircraftClass eClass) {
    return RowOf(eClass).typical;
}

namespace {

double Typical(double dGiven, double dTypical) {
    return dGiven > 0 ? dGiven : dTypical;
}

double TailCurve(double u, double dPower) {
    return std::pow(std::clamp(u, 0.0, 1.0), dPower);
}

// Nose and tail curves: 0 at the tip, 1 where the body reaches full size.
double NoseCurve(double t, double dPoint) {
    t = std::clamp(t, 0.0, 1.0);
    const double u = 1 - (1 - t) * (1 - t);
    return dPoint >= 2 ? std::sqrt(u) : std::pow(u, 1.0 / dPoint);
}

void AddWingEngines(Layout& lay, const ClassShape&, int nEngines) {
    const AircraftDrawing& d = *lay.pDrawing;
    const bool bProp = d.eEngines == EngineLayout::Turboprop;
    const int nPerSide = nEngines / 2;
    std::vector<double> stations;
    if (nPerSide == 1)
        stations = {bProp ? 0.32 : 0.3};
    else if (nPerSide == 2)
        stations = bProp ? std::vector<double>{0.27, 0.56} : std::vector<double>{0.3, 0.6};
    else if (nPerSide == 3)
        stations = {0.24, 0.44, 0.64};
    else if (nPerSide >= 4)
        stations = {0.32, 0.6}; // paired pods
    const double dL = lay.dLength;
    double dDia = 0.055 * dL;
    if (d.eClass == AircraftClass::WideBody)
        dDia = nPerSide == 1 ? 0.047 * dL : 0.038 * dL;
    else if (d.eClass == AircraftClass::Transport || d.eClass == AircraftClass::Bomber)
        dDia = (nPerSide >= 4 ? 0.026 : 0.04) * dL;
    else if (d.eClass == AircraftClass::Supersonic)
        dDia = 0.027 * dL;
    if (bProp)
        dDia = (nPerSide >= 2 ? 0.04 : 0.05) * dL;
    const Surface& w = lay.wing;
    for (double t : stations) {
        Engine e;
        const double dChord = w.ChordAt(t);
        e.dDiameter = dDia;
        e.dX = w.XAt(t);
        if (bProp) {
            e.dPropDiameter = (nPerSide >= 2 ? 0.13 : 0.145) * dL;
            if (d.eClass == AircraftClass::Bomber)
                e.dPropDiameter = 0.115 * dL;
            e.dLength = dChord * 1.25 + 0.6 * dDia;
            e.dY = w.LeadingY(t) - 0.45 * dChord;
            const bool bHigh = d.eWingPosition == WingPosition::High;
            e.dZ = w.ZAt(t) + (bHigh ? -0.25 : 0.1) * dDia;
        } else if (d.eClass == AircraftClass::Supersonic) {
            e.dLength = 0.2 * dL;
            e.dY = w.dRootY + w.dRootChord - e.dLength - 0.01 * dL;
            e.dX = lay.dWidth / 2 + 0.9 * dDia + t * 0.4 * (w.dTipX - w.dRootX) * 0.3;
            e.dZ = w.dRootZ - 0.55 * dDia;
        } else {
            e.dLength = 2.1 * dDia;
            e.dY = w.LeadingY(t) - 0.55 * e.dLength;
            e.dZ = w.ZAt(t) - 0.7 * dDia;
            if (d.eWingPosition == WingPosition::High)
                e.dZ = w.ZAt(t) - 0.62 * dDia;
        }
        if (nPerSide >= 4) {
            Engine twin = e;
            e.dX -= 0.52 * dDia;
            twin.dX += 0.52 * dDia;
            lay.engines.push_back(twin);
        }
        lay.engines.push_back(e);
    }
    if (d.eClass == AircraftClass::Supersonic && nPerSide >= 2) {
        // Concorde and the Ту-144 pair their engines in two boxes.
        const double dInner = lay.dWidth / 2 + 0.8 * dDia;
        for (std::size_t k = 0; k < lay.engines.size(); ++k)
            lay.engines[k].dX = dInner + (k % 2) * 1.02 * dDia + (k / 2) * 2.2 * dDia;
    }
}

void AddTailEngines(Layout& lay, int nEngines) {
    const double dL = lay.dLength;
    const double dDia = (nEngines >= 3 ? 0.046 : 0.052) * dL;
    const double dY = dL * (nEngines >= 3 ? 0.7 : 0.68);
    for (int k = 0; k < nEngines / 2; ++k) {
        Engine e;
        e.dDiameter = dDia;
        e.dLength = 0.16 * dL;
        e.dY = dY + 0.01 * k * dL;
        e.dX = lay.dWidth / 2 + 0.62 * dDia;
        e.dZ = lay.dAxisZ + 0.18 * lay.dDepth + k * 1.05 * dDia;
        lay.engines.push_back(e);
    }
    if (nEngines % 2) {
        Engine e;
        e.dDiameter = dDia;
        e.dLength = 0.22 * dL;
        e.dY = 0.78 * dL;
        e.dZ = lay.dAxisZ + 0.25 * lay.dDepth;
        e.bInFin = true;
        lay.engines.push_back(e);
    }
}

void AddBuriedEngines(Layout& lay, int nEngines) {
    const AircraftDrawing& d = *lay.pDrawing;
    const double dL = lay.dLength;
    if (d.eClass == AircraftClass::Bomber && d.eIntake == IntakeKind::Under) {
        // Nacelles of two engines each under the wing roots.
        const int nPerSide = std::max(1, nEngines / 2);
        Engine e;
        e.dDiameter = 0.045 * dL;
        e.dLength = 0.3 * dL;
        e.dY = 0.48 * dL;
        e.dZ = lay.dAxisZ - 0.55 * lay.dDepth;
        for (int k = 0; k < nPerSide; ++k) {
            e.dX = lay.dWidth * 0.45 + (k + 0.5) * 1.02 * e.dDiameter;
            lay.engines.push_back(e);
        }
        return;
    }
    // Nozzles side by side at the tail; the intakes follow from eIntake.
    const double dDia = (d.eClass == AircraftClass::Bomber ? 0.04 : 0.05) * dL;
    const bool bWide = d.eClass == AircraftClass::Fighter && d.eTail == TailKind::Twin;
    for (int k = 0; k < (nEngines + 1) / 2; ++k) {
        Engine e;
        e.dDiameter = dDia;
        e.dLength = 0.45 * dL;
        e.dY = dL - e.dLength;
        e.dX = nEngines % 2 ? 0 : (bWide ? lay.dWidth * 0.32 : 0.52 * dDia);
        e.dZ = lay.dAxisZ - 0.05 * lay.dDepth;
        lay.engines.push_back(e);
    }
}

} // namespace

// --- layout ----------------------------------------------------------------------

double Surface::LeadingY(double t) const {
    if (bOgee)
        return dRootY + (dTipY - dRootY) * (1 - std::pow(1 - t, 1.8));
    return dRootY + (dTipY - dRootY) * t;
}

Layout MakeLayout(const AircraftDrawing& d) {
    const ClassShape c = ShapeOf(d.eClass);
    const AircraftSize typical = TypicalSize(d.eClass);
    Layout lay;
    lay.pDrawing = &d;
    const double L = lay.dLength = Typical(d.dLength, typical.dLength);
    const double S = lay.dSpan = Typical(d.dSpan, typical.dSpan);
    lay.dHeight = Typical(d.dHeight, typical.dHeight);

    lay.dDepth = std::min(c.dDepth * L, c.dDepthMax);
    lay.dWidth = lay.dDepth * c.dWidthRatio;
    if (d.eClass == AircraftClass::Fighter)
        lay.dWidth = L * (d.nEngines > 1 ? 0.15 : 0.1);
    if (d.eUpperDeck == UpperDeck::Full)
        lay.dDepth *= 1.3;
    double dClearance = c.dClearance * lay.dDepth;
    if (d.eGear == GearKind::None)
        dClearance = 0.1 * lay.dDepth;
    lay.dAxisZ = dClearance + lay.dDepth / 2;
    lay.dNoseTop = c.dNoseTop * L;
    lay.dNoseBottom = c.dNoseBottom * L;
    lay.dNoseTipZ = lay.dAxisZ + c.dNoseTipZ * lay.dDepth;
    lay.dNosePoint = c.dNosePoint;
    lay.dTailPower = c.dTailPower;
    lay.dTailTop = c.dTailTop * L;
    lay.dTailBottom = c.dTailBottom * L;
    lay.dTailTopZ = lay.dAxisZ + c.dTailTopZ * lay.dDepth;
    lay.dTailBottomZ = lay.dAxisZ + c.dTailBottomZ * lay.dDepth;
    lay.dNosePlan = c.dNosePlan * L;
    lay.dTailPlan = c.dTailPlan * L;
    lay.dTailHalfWidth = c.dTailHalfWidth * lay.dWidth / 2;
    if (d.eUpperDeck == UpperDeck::Hump) {
        lay.dHumpEnd = 0.33 * L;
        lay.dHumpHeight = 0.3 * lay.dDepth;
    }
    if (d.eClass == AircraftClass::Fighter || d.eClass == AircraftClass::Trainer ||
        d.eClass == AircraftClass::Light) {
        const bool bTandem = d.eClass == AircraftClass::Trainer;
        lay.dCanopyY = (d.eClass == AircraftClass::Light ? 0.22 : bTandem ? 0.19 : 0.16) * L;
        lay.dCanopyLength = (d.eClass == AircraftClass::Light ? 0.2 : bTandem ? 0.28 : 0.16) * L;
        lay.dCanopyHeight = (d.eClass == AircraftClass::Light ? 0.3
                             : bTandem                        ? 0.4
                                                              : 0.48) *
                            lay.dDepth;
    }

    // Wing.
    const double dBodyHalf = lay.dWidth / 2;
    Surface& w = lay.wing;
    const bool bDelta = d.eWing == WingShape::Delta;
    w.dRootY = c.dWingY * L;
    if (d.eEngines == EngineLayout::Tail && d.eClass != AircraftClass::Fighter)
        w.dRootY += 0.07 * L;
    w.dRootChord = c.dWingChord * L;
    double dTaper = c.dWingTaper;
    if (bDelta && d.eClass != AircraftClass::Supersonic) {
        w.dRootY = (d.eTail == TailKind::Conventional ? 0.42 : 0.38) * L;
        w.dRootChord = (d.eTail == TailKind::Conventional ? 0.45 : 0.56) * L;
        dTaper = 0.08;
    }
    if (d.eWing == WingShape::Straight && d.eClass != AircraftClass::Light)
        dTaper = std::max(dTaper, 0.5);
    w.dRootX = dBodyHalf * 0.85;
    w.dTipX = S / 2 - (d.bTipTanks ? 0.02 * S : 0);
    w.dTipChord = w.dRootChord * dTaper;
    const double dExposed = w.dTipX - w.dRootX;
    double dSweep = std::clamp(d.dSweepDeg, 0.0, 80.0);
    w.dTipY = w.dRootY + dExposed * std::tan(Rad(dSweep));
    if (bDelta) {
        // The tip's trailing edge no further back than the root's.
        w.dTipY = std::min(w.dTipY, w.dRootY + w.dRootChord - w.dTipChord - 0.01 * L);
        w.bOgee = d.eClass == AircraftClass::Supersonic;
    }
    w.dThickness = w.dRootChord * (bDelta ? std::min(c.dThickness, 0.05) : c.dThickness);
    double dDihedral = 4;
    if (d.eWingPosition == WingPosition::Low) {
        w.dRootZ = lay.dAxisZ - 0.34 * lay.dDepth;
        dDihedral = d.eClass == AircraftClass::Supersonic || bDelta ? 0 : 5;
    } else if (d.eWingPosition == WingPosition::Mid) {
        w.dRootZ = lay.dAxisZ - 0.05 * lay.dDepth;
        dDihedral = d.eClass == AircraftClass::Fighter ? -2 : 1;
    } else {
        // On top of the body.
        w.dRootZ = lay.dAxisZ + 0.5 * lay.dDepth - 0.3 * w.dThickness;
        const bool bJet = d.eEngines != EngineLayout::Turboprop && d.eEngines != EngineLayout::Nose;
        dDihedral = bJet && d.eClass != AircraftClass::Light ? -3 : 1.5;
    }
    w.dTipZ = w.dRootZ + dExposed * std::tan(Rad(dDihedral));
    if (d.eWing == WingShape::Variable) {
        // The fixed glove, a narrow triangle ahead of the pivot.
        lay.glove = Surface{w.dRootY - 0.12 * L,
                            0.12 * L + w.dRootChord,
                            w.dRootX,
                            w.dRootZ,
                            w.dRootY + 0.03 * L,
                            0.12 * L,
                            w.dRootX + 0.14 * S,
                            w.dRootZ,
                            w.dThickness,
                            false};
        w.dRootX = lay.glove.dTipX - 0.02 * S;
        w.dRootY = lay.glove.dTipY;
        w.dRootChord *= 0.6;
        w.dTipChord = w.dRootChord * 0.4;
        w.dTipY = w.dRootY + (w.dTipX - w.dRootX) * std::tan(Rad(dSweep));
    } else if (d.eClass == AircraftClass::Fighter && !bDelta) {
        // Leading-edge root extension, from beside the cockpit.
        lay.glove = Surface{0.24 * L,
                            w.dRootY + w.dRootChord - 0.24 * L,
                            dBodyHalf * 0.8,
                            w.dRootZ,
                            w.dRootY + 0.02 * L,
                            w.dRootChord * 0.8,
                            dBodyHalf * 0.9 + 0.06 * S,
                            w.dRootZ,
                            w.dThickness,
                            false};
    }
    if (d.bBiplane) {
        lay.upperWing = w;
        lay.upperWing.dRootZ = lay.upperWing.dTipZ = lay.dAxisZ + lay.dDepth * 0.56;
        lay.upperWing.dRootY -= 0.04 * L;
        lay.upperWing.dTipY -= 0.04 * L;
        lay.upperWing.dRootX = 0;
        w.dTipX = w.dRootX + (w.dTipX - w.dRootX) * 0.8;
        w.dRootZ = lay.dAxisZ - 0.4 * lay.dDepth;
        w.dTipZ = w.dRootZ + (w.dTipX - w.dRootX) * std::tan(Rad(3));
    }

    // Tail surfaces. The fin reaches the full height.
    const bool bFighter = d.eClass == AircraftClass::Fighter;
    const bool bTwinOnBody = d.eTail == TailKind::Twin && bFighter;
    double dFinChord = c.dFinChord * L * (bTwinOnBody ? 0.82 : 1);
    if (d.eTail == TailKind::TTail && !bFighter)
        dFinChord *= 1.15;
    Fin fin;
    fin.dRootY = L - dFinChord - (bFighter ? 0.04 : 0.02) * L;
    fin.dRootChord = dFinChord;
    fin.dRootZ = BodyTopZ(lay, fin.dRootY + dFinChord / 2) - 0.1 * lay.dDepth;
    fin.dTipZ = std::max(lay.dHeight, fin.dRootZ + 0.6 * lay.dDepth);
    const double dFinHeight = fin.dTipZ - fin.dRootZ;
    fin.dTipChord = dFinChord * (d.eTail == TailKind::TTail ? 0.62 : 0.42);
    const double dFinSweep = d.eClass == AircraftClass::Light ? 25 : bFighter ? 48 : 42;
    fin.dTipY = fin.dRootY + dFinHeight * std::tan(Rad(dFinSweep));
    fin.dTipY = std::min(fin.dTipY, L - fin.dTipChord + 0.02 * L);

    Surface& tp = lay.tailplane;
    const bool bTailplane = d.eTail == TailKind::Conventional || d.eTail == TailKind::TTail ||
                            d.eTail == TailKind::Twin;
    if (bTailplane) {
        tp.dRootChord = c.dTailplaneChord * L;
        tp.dTipChord = tp.dRootChord * 0.42;
        tp.dRootX = d.eTail == TailKind::TTail ? 0 : BodyHalfWidth(lay, L - 0.1 * L) * 0.9;
        tp.dTipX = c.dTailplaneSpan * S / 2;
        const double dTpSweep = bFighter ? 45 : std::min(dSweep + 5, 45.0);
        if (d.eTail == TailKind::TTail) {
            tp.dRootY = fin.dTipY + fin.dTipChord * 0.35;
            tp.dRootChord = std::min(tp.dRootChord, fin.dTipChord * 1.1);
            tp.dTipChord = tp.dRootChord * 0.5;
            tp.dRootZ = fin.dTipZ - 0.03 * dFinHeight;
            tp.dTipZ = tp.dRootZ - 0.03 * tp.dTipX;
        } else {
            tp.dRootY = L - tp.dRootChord - (bFighter ? 0.02 : 0.04) * L;
            tp.dRootZ =
                d.eClass == AircraftClass::Transport ? lay.dAxisZ + 0.25 * lay.dDepth : lay.dAxisZ;
            tp.dTipZ = tp.dRootZ + tp.dTipX * std::tan(Rad(bFighter ? -3 : 5));
        }
        tp.dTipY = tp.dRootY + (tp.dTipX - tp.dRootX) * std::tan(Rad(dTpSweep));
        tp.dThickness = tp.dRootChord * (d.eTail == TailKind::TTail ? 0.14 : 0.1);
    }
    if (d.eTail == TailKind::Canard) {
        Surface& fp = lay.foreplane;
        fp.dRootChord = 0.1 * L;
        fp.dTipChord = 0.035 * L;
        fp.dRootY = 0.2 * L;
        fp.dRootX = BodyHalfWidth(lay, fp.dRootY) * 0.8;
        fp.dTipX = 0.3 * S;
        fp.dTipY = fp.dRootY + (fp.dTipX - fp.dRootX) * std::tan(Rad(50));
        fp.dRootZ = fp.dTipZ = lay.dAxisZ + 0.15 * lay.dDepth;
        fp.dThickness = fp.dRootChord * 0.08;
    }
    if (d.eTail == TailKind::Twin && !bFighter) {
        // Fins at the tips of the tailplane.
        fin.dX = tp.dTipX;
        fin.dRootChord = fin.dTipChord = tp.dTipChord * 1.3;
        fin.dRootY = fin.dTipY = tp.dTipY - 0.15 * tp.dTipChord;
        const double dH = std::max(lay.dHeight - tp.dTipZ, 0.5 * lay.dDepth);
        fin.dRootZ = tp.dTipZ - 0.3 * dH;
        fin.dTipZ = tp.dTipZ + dH;
        fin.dTipY += 0.4 * dH * std::tan(Rad(30));
    } else if (bTwinOnBody) {
        fin.dX = lay.dWidth * 0.36;
        fin.dCantDeg = 12;
    }
    lay.fins.push_back(fin);

    // Engines.
    switch (d.eEngines) {
    case EngineLayout::Wing:
    case EngineLayout::Turboprop:
        AddWingEngines(lay, c, d.nEngines);
        if (d.nEngines % 2 && d.eEngines == EngineLayout::Wing)
            AddTailEngines(lay, 1);
        lay.bPropNose = d.eEngines == EngineLayout::Turboprop && d.nEngines % 2;
        break;
    case EngineLayout::Tail:
        AddTailEngines(lay, d.nEngines);
        break;
    case EngineLayout::Fuselage:
        AddBuriedEngines(lay, d.nEngines);
        break;
    case EngineLayout::Nose:
        lay.bPropNose = true;
        break;
    }
    if (lay.bPropNose)
        lay.dPropDiameter = std::min(0.26 * L, 2 * (lay.dNoseTipZ - 0.12));

    // Gear, standing on z = 0.
    const double dMainY = bDelta || d.eClass == AircraftClass::Fighter
                              ? std::max(w.dRootY + 0.35 * w.dRootChord, 0.56 * L)
                              : w.dRootY + 0.62 * w.dRootChord;
    double dWheel = 0.016 * L;
    int nTandem = 1;
    double dTrack = 0.11 * S;
    switch (d.eClass) {
    case AircraftClass::WideBody:
        dWheel = 0.0105 * L;
        nTandem = 3;
        break;
    case AircraftClass::Supersonic:
        dWheel = 0.011 * L;
        nTandem = 2;
        dTrack = 0.3 * S;
        break;
    case AircraftClass::Transport:
        dWheel = 0.013 * L;
        nTandem = 3;
        dTrack = lay.dWidth * 0.55;
        break;
    case AircraftClass::Bomber:
        dWheel = 0.014 * L;
        nTandem = 2;
        dTrack = 0.08 * S;
        break;
    case AircraftClass::Turboprop:
        dTrack = d.eWingPosition == WingPosition::High ? lay.dWidth * 0.6 : 0.14 * S;
        break;
    case AircraftClass::Fighter:
    case AircraftClass::Trainer:
        dWheel = 0.028 * L;
        dTrack = 0.15 * S;
        break;
    case AircraftClass::Light:
        dWheel = 0.03 * L;
        dTrack = 0.14 * S;
        break;
    default:
        nTandem = L > 40 ? 2 : 1;
        break;
    }
    dWheel = std::min(dWheel, 0.45 * dClearance + 0.1);
    if (d.eGear == GearKind::Tricycle) {
        lay.wheels.push_back({dMainY, dTrack, dWheel, BodyBottomZ(lay, dMainY), nTandem});
        const double dNoseY = std::max(lay.dNoseBottom * 1.4, 0.1 * L);
        lay.wheels.push_back({dNoseY, 0, dWheel * 0.8, BodyBottomZ(lay, dNoseY), 1});
    } else if (d.eGear == GearKind::Tailwheel) {
        const double dY = w.dRootY - 0.05 * L;
        lay.wheels.push_back({dY, dTrack, dWheel, BodyBottomZ(lay, dY), 1});
        lay.wheels.push_back({0.93 * L, 0, dWheel * 0.4, BodyBottomZ(lay, 0.93 * L), 1});
    }
    return lay;
}

double BodyTopZ(const Layout& lay, double dY) {
    const double dTop = lay.dAxisZ + lay.dDepth / 2;
    double z = dTop;
    if (dY < lay.dNoseTop)
        z = lay.dNoseTipZ + (dTop - lay.dNoseTipZ) * NoseCurve(dY / lay.dNoseTop, lay.dNosePoint);
    const double dTailStart = lay.dLength - lay.dTailTop;
    if (dY > dTailStart)
        z = dTop -
            (dTop - lay.dTailTopZ) * TailCurve((dY - dTailStart) / lay.dTailTop, lay.dTailPower);
    if (lay.dHumpHeight > 0 && dY < lay.dHumpEnd) {
        // The upper deck rises from the cockpit and fairs back into the body.
        const double dPeak = dTop + lay.dHumpHeight;
        const double dFair = 0.7 * lay.dHumpEnd;
        double zHump =
            lay.dNoseTipZ + (dPeak - lay.dNoseTipZ) * NoseCurve(dY / (1.3 * lay.dNoseTop), 2);
        if (dY > dFair) {
            const double u = (dY - dFair) / (lay.dHumpEnd - dFair);
            zHump = dPeak - lay.dHumpHeight * u * u * (3 - 2 * u);
        }
        z = std::max(z, zHump);
    }
    return z;
}

double BodyBottomZ(const Layout& lay, double dY) {
    const double dBottom = lay.dAxisZ - lay.dDepth / 2;
    double z = dBottom;
    if (dY < lay.dNoseBottom)
        z = lay.dNoseTipZ -
            (lay.dNoseTipZ - dBottom) * NoseCurve(dY / lay.dNoseBottom, lay.dNosePoint);
    const double dTailStart = lay.dLength - lay.dTailBottom;
    if (dY > dTailStart)
        z = dBottom + (lay.dTailBottomZ - dBottom) *
                          TailCurve((dY - dTailStart) / lay.dTailBottom, lay.dTailPower);
    return z;
}

double BodyHalfWidth(const Layout& lay, double dY) {
    const double dHalf = lay.dWidth / 2;
    if (dY < lay.dNosePlan)
        return dHalf * NoseCurve(dY / lay.dNosePlan, lay.dNosePoint);
    const double dTailStart = lay.dLength - lay.dTailPlan;
    if (dY > dTailStart)
        return dHalf - (dHalf - lay.dTailHalfWidth) *
                           TailCurve((dY - dTailStart) / lay.dTailPlan, lay.dTailPower);
    return dHalf;
}

namespace {
constexpr int kBodySteps = 160;
}

QPainterPath BodySide(const Layout& lay) {
    QPainterPath path;
    path.moveTo(0, -lay.dNoseTipZ);
    for (int k = 1; k <= kBodySteps; ++k) {
        const double y = lay.dLength * k / kBodySteps;
        path.lineTo(y, -BodyTopZ(lay, y));
    }
    for (int k = kBodySteps; k >= 1; --k) {
        const double y = lay.dLength * k / kBodySteps;
        path.lineTo(y, -BodyBottomZ(lay, y));
    }
    path.closeSubpath();
    return path;
}

QPainterPath BodyPlan(const Layout& lay) {
    QPainterPath path;
    path.moveTo(0, 0);
    for (int k = 1; k <= kBodySteps; ++k) {
        const double y = lay.dLength * k / kBodySteps;
        path.lineTo(BodyHalfWidth(lay, y), y);
    }
    for (int k = kBodySteps; k >= 1; --k) {
        const double y = lay.dLength * k / kBodySteps;
        path.lineTo(-BodyHalfWidth(lay, y), y);
    }
    path.closeSubpath();
    return path;
}
