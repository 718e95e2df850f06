#pragma once

// The drawing of aircraft pictures, shared by aircraftpainter.cpp and the
// files that draw each view. Everything here is in metres.

#include "painter/aircraftpainter.h"

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QRectF>

#include <vector>

class QPainter;

// Shapes in metres, painted in the order added (far to near) once fitted to
// a picture. The outline is cosmetic so that it stays thin at any scale.
class CSketch {
public:
    explicit CSketch(double dPixel) : m_dPixel(dPixel) {}

    // Metres per pixel, roughly: lets the views leave out details too small to
    // see and keep thin parts at least about a pixel wide.
    double Pixel() const { return m_dPixel; }

    // An invalid outline colour draws no outline.
    void Fill(const QPainterPath& path, const QBrush& brush, const QColor& outline = QColor());
    // Painted inside clip only (stripes, windows, camouflage).
    void FillInside(const QPainterPath& path, const QPainterPath& clip, const QBrush& brush);
    // A line dWidth metres wide, never much thinner than a pixel.
    void Stroke(const QPainterPath& path, const QColor& color, double dWidth);

    QRectF Bounds() const;
    void Paint(QPainter& painter, double dOutlinePx) const;

private:
    struct Part {
        QPainterPath path;
        QBrush brush;
        QColor outline;
        QPainterPath clip;
        bool bClip = false;
    };
    double m_dPixel;
    std::vector<Part> m_parts;
};

// The outline colour of a part filled with color.
QColor OutlineOf(const QColor& color);
// color shaded from light at ptLight to dark at ptDark.
QBrush Shaded(const QColor& color, QPointF ptLight, QPointF ptDark, double dContrast = 1.0);
// Lighter (dFactor > 1) or darker, in RGB so that white stays neutral.
QColor Scale(const QColor& color, double dFactor);
QColor Mix(const QColor& a, const QColor& b, double dB);
QPainterPath Polygon(std::initializer_list<QPointF> points);
QPainterPath Ellipse(QPointF ptCentre, double dRx, double dRy);
// The same path mirrored across x = 0 (the other side in top and front views).
QPainterPath MirrorX(const QPainterPath& path);

// Colours that no livery sets.
inline const QColor kGlass{46, 62, 84};
inline const QColor kTyre{38, 38, 40};
inline const QColor kMetal{168, 172, 178};
inline const QColor kDarkMetal{82, 84, 90};
inline const QColor kIntake{30, 32, 36};

// One wing (or tailplane, foreplane) on the right side as the top view shows
// it: x across (positive to the right), y along the body (positive to the
// rear), z height above the ground.
struct Surface {
    double dRootY = 0, dRootChord = 0, dRootX = 0, dRootZ = 0;
    double dTipY = 0, dTipChord = 0, dTipX = 0, dTipZ = 0;
    double dThickness = 0; // at the root, as the side and front views show it
    bool bOgee = false;    // curved leading edge of a supersonic delta
    bool IsSet() const { return dRootChord > 0; }
    // The leading edge at a span position (0 root .. 1 tip).
    double LeadingY(double t) const;
    double ChordAt(double t) const { return dRootChord + (dTipChord - dRootChord) * t; }
    double XAt(double t) const { return dRootX + (dTipX - dRootX) * t; }
    double ZAt(double t) const { return dRootZ + (dTipZ - dRootZ) * t; }
};

struct Fin {
    double dRootY = 0, dRootChord = 0, dRootZ = 0;
    double dTipY = 0, dTipChord = 0, dTipZ = 0;
    double dX = 0;       // across: 0 on the centre line, else one of a mirrored pair
    double dCantDeg = 0; // outward lean of a pair
};

struct Engine {
    double dY = 0; // front face, along the body
    double dLength = 0, dDiameter = 0;
    double dX = 0, dZ = 0;    // centre; every engine off the centre line has a mirror twin
    double dPropDiameter = 0; // 0 for jets
    bool bInFin = false;      // the third engine of a tri-jet, inside the rear body
};

struct Wheel {
    double dY = 0, dX = 0, dRadius = 0;
    double dStrutTop = 0; // where the leg meets the aircraft
    int nTandem = 1;      // wheels one behind the other (bogies)
};

struct AircraftSize {
    double dLength, dSpan, dHeight;
};
// For types that give no figures.
AircraftSize TypicalSize(AircraftClass eClass);

// Where everything of a fixed-wing aircraft lies, worked out once from the
// drawing parameters so that the three views agree.
struct Layout {
    const AircraftDrawing* pDrawing = nullptr;
    double dLength = 0, dSpan = 0, dHeight = 0;
    double dDepth = 0, dWidth = 0; // of the body
    double dAxisZ = 0;             // body centre line above the ground
    // Side profile of the body: the nose and tail lengths of its top and
    // bottom lines and where those lines end.
    double dNoseTop = 0, dNoseBottom = 0, dNoseTipZ = 0, dNosePoint = 2;
    double dTailTop = 0, dTailBottom = 0, dTailTopZ = 0, dTailBottomZ = 0, dTailPower = 1.7;
    double dNosePlan = 0, dTailPlan = 0, dTailHalfWidth = 0; // top view
    double dHumpEnd = 0, dHumpHeight = 0;                    // upper deck
    double dCanopyY = 0, dCanopyLength = 0, dCanopyHeight = 0;
    Surface wing, tailplane, foreplane, upperWing, glove;
    std::vector<Fin> fins;
    std::vector<Engine> engines; // right side and centre line only
    std::vector<Wheel> wheels;   // right side and centre line only
    bool bPropNose = false;
    double dPropDiameter = 0;
};

Layout MakeLayout(const AircraftDrawing& drawing);
double BodyTopZ(const Layout& lay, double dY);
double BodyBottomZ(const Layout& lay, double dY);
double BodyHalfWidth(const Layout& lay, double dY);
// The body's outline in the side view (y along, z up) and the top view.
QPainterPath BodySide(const Layout& lay);
QPainterPath BodyPlan(const Layout& lay);

// The helicopter's own measures.
struct RotorLayout {
    const AircraftDrawing* pDrawing = nullptr;
    double dLength = 0, dDiameter = 0, dHeight = 0;
    double dCabinLength = 0, dCabinDepth = 0, dCabinWidth = 0, dCabinBottom = 0;
    double dMastY = 0, dRotorZ = 0;
    double dBoomZ = 0, dBoomDepth = 0;
    double dTailRotorDiameter = 0, dTailRotorY = 0, dTailRotorZ = 0;
};

RotorLayout MakeRotorLayout(const AircraftDrawing& drawing);

void SketchSide(const Layout& lay, CSketch& sketch);
void SketchTop(const Layout& lay, CSketch& sketch);
void SketchFront(const Layout& lay, CSketch& sketch);
void SketchRotorcraft(const RotorLayout& lay, AircraftView view, CSketch& sketch);

// Deterministic patches of a second colour over a rectangle, for camouflage.
QPainterPath CamouflagePatches(const QRectF& area, double dPatch, unsigned nSeed);
