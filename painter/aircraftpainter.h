#pragma once

#include <QColor>
#include <QImage>

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>

// Pictures of aircraft types drawn from a few parameters, for databases built
// without photographs. Raster only (QImage, QPainter): no QGuiApplication and
// no fonts are needed.

enum class AircraftClass {
    Airliner,   // narrow-body jet
    WideBody,   // wide-body jet
    Turboprop,  // regional turboprop or light twin
    Supersonic, // supersonic airliner: slender body, ogival delta
    Transport,  // high-wing freighter with an upswept tail
    Fighter,
    Bomber,
    Trainer, // jet trainer with a tandem canopy
    Helicopter,
    Light, // light piston aircraft
};

enum class EngineLayout {
    Wing,      // pods under the wings
    Tail,      // pods on the rear fuselage; a third one inside under the fin
    Fuselage,  // buried, with intakes and nozzles
    Nose,      // one propeller on the nose
    Turboprop, // nacelles with propellers on the wings
};

enum class WingShape { Straight, Swept, Delta, Variable };
enum class WingPosition { Low, Mid, High };

enum class TailKind {
    Conventional,
    TTail,
    Twin,   // two fins: on the rear body of a fighter, else at the tailplane tips
    Canard, // foreplanes and a single fin, no tailplane
    None,   // a single fin and no tailplane (delta)
};

enum class GearKind { Tricycle, Tailwheel, Skids, None };
enum class UpperDeck { None, Hump, Full };
enum class IntakeKind { Side, Under, Chin, Nose }; // of buried engines

struct AircraftLivery {
    QColor body{245, 246, 248};
    QColor stripe{27, 79, 156}; // cheatline; the body colour draws none
    QColor tail{27, 79, 156};
    std::optional<QColor> underside;  // none: the body colour
    std::optional<QColor> camouflage; // patches of a second colour on the upper surfaces
};

struct AircraftDrawing {
    AircraftClass eClass = AircraftClass::Airliner;
    // Metres, from the type's own figures; 0 or less takes a size typical of
    // the class. For helicopters the span is the main rotor's diameter.
    double dLength = 0;
    double dSpan = 0;
    double dHeight = 0;
    int nEngines = 2;
    EngineLayout eEngines = EngineLayout::Wing;
    WingShape eWing = WingShape::Swept;
    double dSweepDeg = 25; // leading edge; the spread position of a swing wing
    WingPosition eWingPosition = WingPosition::Low;
    TailKind eTail = TailKind::Conventional;
    GearKind eGear = GearKind::Tricycle;
    UpperDeck eUpperDeck = UpperDeck::None;
    IntakeKind eIntake = IntakeKind::Side;
    bool bBiplane = false;
    bool bTipTanks = false;
    int nRotorBlades = 5;
    bool bCoaxial = false; // no tail rotor
    bool bCombat = false;  // helicopter: narrow body, stepped tandem canopy, stub wings
    AircraftLivery livery;
};

// The parameters a type gets when it names only its class.
AircraftDrawing DefaultDrawing(AircraftClass eClass);

// Reads a "picture" object: every key optional, class defaults for the rest.
// A "livery" replaces the class's: body, stripe and tail default to the
// class's colours, underside and camouflage are there only when named.
// Throws std::invalid_argument whose message begins with strWhere + "." + key
// (strWhere alone when obj is not an object).
AircraftDrawing ParseDrawing(const nlohmann::json& obj, const std::string& strWhere);

enum class AircraftView { Side, Top, Front };

// The plain background of a view (RGB32), as PaintAircraft lays it under the
// aircraft.
QImage PaintBackground(AircraftView view, int nWidth, int nHeight);

// The aircraft centred, scaled to fit with a margin, proportions kept: nose
// to the left in the side view, nose up in the top view. RGB32; the same
// parameters always give the same pixels.
QImage PaintAircraft(const AircraftDrawing& drawing, AircraftView view, int nWidth, int nHeight);

// Indexed8 with a palette of at most 256 colours cut from the image itself
// (median cut weighted by pixel count: the box of largest squared error is
// cut where the halves' errors are least), each pixel its nearest entry, no
// dithering: the pictures are flat shapes and soft gradients, which a
// per-image palette keeps smooth, and undithered areas compress well.
QImage ToPalette8(const QImage& image);

// A picture given as a file (PNG, JPEG, BMP), as RGB32 with any transparency
// laid on white. Throws std::invalid_argument naming the file.
QImage LoadImageFile(const std::string& strPath);
