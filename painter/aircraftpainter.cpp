#include "painter/aircraftpainter.h"

#include "painter/aircraftshapes.h"

#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

using nlohmann::json;

namespace {

template <typename E> using Names = std::initializer_list<std::pair<const char*, E>>;

const Names<AircraftClass> kClasses = {
    {"airliner", AircraftClass::Airliner},     {"widebody", AircraftClass::WideBody},
    {"turboprop", AircraftClass::Turboprop},   {"supersonic", AircraftClass::Supersonic},
    {"transport", AircraftClass::Transport},   {"fighter", AircraftClass::Fighter},
    {"bomber", AircraftClass::Bomber},         {"trainer", AircraftClass::Trainer},
    {"helicopter", AircraftClass::Helicopter}, {"light", AircraftClass::Light},
};
const Names<EngineLayout> kEngineLayouts = {
    {"wing", EngineLayout::Wing},           {"tail", EngineLayout::Tail},
    {"fuselage", EngineLayout::Fuselage},   {"nose", EngineLayout::Nose},
    {"turboprop", EngineLayout::Turboprop},
};
const Names<WingShape> kWings = {{"straight", WingShape::Straight},
                                 {"swept", WingShape::Swept},
                                 {"delta", WingShape::Delta},
                                 {"variable", WingShape::Variable}};
const Names<WingPosition> kWingPositions = {
    {"low", WingPosition::Low}, {"mid", WingPosition::Mid}, {"high", WingPosition::High}};
const Names<TailKind> kTails = {{"conventional", TailKind::Conventional},
                                {"t", TailKind::TTail},
                                {"twin", TailKind::Twin},
                                {"canard", TailKind::Canard},
                                {"none", TailKind::None}};
const Names<GearKind> kGears = {{"tricycle", GearKind::Tricycle},
                                {"tailwheel", GearKind::Tailwheel},
                                {"skids", GearKind::Skids},
                                {"none", GearKind::None}};
const Names<UpperDeck> kDecks = {
    {"none", UpperDeck::None}, {"hump", UpperDeck::Hump}, {"full", UpperDeck::Full}};
const Names<IntakeKind> kIntakes = {{"side", IntakeKind::Side},
                                    {"under", IntakeKind::Under},
                                    {"chin", IntakeKind::Chin},
                                    {"nose", IntakeKind::Nose}};

[[noreturn]] void Fail(const std::string& strWhere, const std::string& strWhat) {
    throw std::invalid_argument(strWhere + ": " + strWhat);
}

template <typename E> E ReadName(const json& value, const std::string& strWhere, Names<E> names) {
    std::string strChoices;
    for (const auto& [pszName, e] : names) {
        if (value.is_string() && value.get_ref<const std::string&>() == pszName)
            return e;
        strChoices += strChoices.empty() ? "" : ", ";
        strChoices += pszName;
    }
    Fail(strWhere, "expected one of " + strChoices);
}

int ReadInt(const json& value, const std::string& strWhere, int nMin, int nMax) {
    if (!value.is_number_integer())
        Fail(strWhere, "expected an integer");
    const auto n = value.get<long long>();
    if (n < nMin || n > nMax)
        Fail(strWhere, "expected " + std::to_string(nMin) + " to " + std::to_string(nMax));
    return static_cast<int>(n);
}

bool ReadBool(const json& value, const std::string& strWhere) {
    if (!value.is_boolean())
        Fail(strWhere, "expected true or false");
    return value.get<bool>();
}

QColor ReadColor(const json& value, const std::string& strWhere) {
    const bool bForm = value.is_string() && value.get_ref<const std::string&>().size() == 7 &&
                       value.get_ref<const std::string&>()[0] == '#';
    const std::string strHex = bForm ? value.get<std::string>().substr(1) : std::string();
    if (!bForm || strHex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        Fail(strWhere, "expected a colour as \"#rrggbb\"");
    const unsigned long nRgb = std::stoul(strHex, nullptr, 16);
    return QColor((nRgb >> 16) & 0xFF, (nRgb >> 8) & 0xFF, nRgb & 0xFF);
}

// A livery replaces the class's: body, stripe and tail default to the class's
// colours, underside and camouflage are there only when named.
AircraftLivery ReadLivery(const json& obj, const std::string& strWhere, AircraftLivery livery) {
    if (!obj.is_object())
        Fail(strWhere, "expected an object");
    livery.underside.reset();
    livery.camouflage.reset();
    for (const auto& [strKey, value] : obj.items()) {
        const std::string strAt = strWhere + "." + strKey;
        if (strKey == "body")
            livery.body = ReadColor(value, strAt);
        else if (strKey == "stripe")
            livery.stripe = ReadColor(value, strAt);
        else if (strKey == "tail")
            livery.tail = ReadColor(value, strAt);
        else if (strKey == "underside")
            livery.underside = ReadColor(value, strAt);
        else if (strKey == "camouflage")
            livery.camouflage = ReadColor(value, strAt);
        else
            Fail(strAt, "unknown key");
    }
    return livery;
}

} // namespace

AircraftDrawing DefaultDrawing(AircraftClass eClass) {
    AircraftDrawing d;
    d.eClass = eClass;
    const QColor white(245, 246, 248);
    switch (eClass) {
    case AircraftClass::Airliner:
        break;
    case AircraftClass::WideBody:
        d.dSweepDeg = 31;
        break;
    case AircraftClass::Turboprop:
        d.eEngines = EngineLayout::Turboprop;
        d.eWing = WingShape::Straight;
        d.dSweepDeg = 3;
        d.eWingPosition = WingPosition::High;
        break;
    case AircraftClass::Supersonic:
        d.nEngines = 4;
        d.eWing = WingShape::Delta;
        d.dSweepDeg = 65;
        d.eTail = TailKind::None;
        break;
    case AircraftClass::Transport:
        d.nEngines = 4;
        d.eWingPosition = WingPosition::High;
        d.eTail = TailKind::TTail;
        d.livery = {QColor(192, 197, 202), QColor(192, 197, 202), QColor(192, 197, 202), {}, {}};
        break;
    case AircraftClass::Fighter:
        d.eEngines = EngineLayout::Fuselage;
        d.dSweepDeg = 42;
        d.eWingPosition = WingPosition::Mid;
        d.eTail = TailKind::Twin;
        d.eIntake = IntakeKind::Under;
        d.livery = {QColor(168, 178, 188), QColor(168, 178, 188), QColor(168, 178, 188),
                    QColor(206, 214, 220), QColor(128, 140, 152)};
        break;
    case AircraftClass::Bomber:
        d.nEngines = 4;
        d.dSweepDeg = 35;
        d.eWingPosition = WingPosition::Mid;
        d.livery = {QColor(232, 234, 236), QColor(232, 234, 236), QColor(232, 234, 236), {}, {}};
        break;
    case AircraftClass::Trainer:
        d.nEngines = 1;
        d.eEngines = EngineLayout::Fuselage;
        d.eWing = WingShape::Straight;
        d.dSweepDeg = 5;
        d.livery = {white, QColor(200, 36, 40), QColor(200, 36, 40), {}, {}};
        break;
    case AircraftClass::Helicopter:
        d.eEngines = EngineLayout::Fuselage;
        d.eWing = WingShape::Straight;
        d.dSweepDeg = 0;
        d.livery = {QColor(106, 120, 80),
                    QColor(106, 120, 80),
                    QColor(106, 120, 80),
                    QColor(160, 182, 200),
                    {}};
        break;
    case AircraftClass::Light:
        d.nEngines = 1;
        d.eEngines = EngineLayout::Nose;
        d.eWing = WingShape::Straight;
        d.dSweepDeg = 0;
        d.eWingPosition = WingPosition::High;
        d.livery = {white, QColor(190, 30, 44), QColor(190, 30, 44), {}, {}};
        break;
    }
    return d;
}

AircraftDrawing ParseDrawing(const json& obj, const std::string& strWhere) {
    if (!obj.is_object())
        Fail(strWhere, "expected an object");
    AircraftDrawing d;
    if (const auto it = obj.find("class"); it != obj.end())
        d = DefaultDrawing(ReadName(*it, strWhere + ".class", kClasses));
    for (const auto& [strKey, value] : obj.items()) {
        const std::string strAt = strWhere + "." + strKey;
        if (strKey == "class")
            continue;
        if (strKey == "engines")
            d.nEngines = ReadInt(value, strAt, 1, 8);
        else if (strKey == "engine_layout")
            d.eEngines = ReadName(value, strAt, kEngineLayouts);
        else if (strKey == "wing")
            d.eWing = ReadName(value, strAt, kWings);
        else if (strKey == "sweep_deg") {
            if (!value.is_number() || value.get<double>() < 0 || value.get<double>() > 80)
                Fail(strAt, "expected a number of degrees from 0 to 80");
            d.dSweepDeg = value.get<double>();
        } else if (strKey == "wing_position")
            d.eWingPosition = ReadName(value, strAt, kWingPositions);
        else if (strKey == "tail")
            d.eTail = ReadName(value, strAt, kTails);
        else if (strKey == "gear")
            d.eGear = ReadName(value, strAt, kGears);
        else if (strKey == "upper_deck")
            d.eUpperDeck = ReadName(value, strAt, kDecks);
        else if (strKey == "intake")
            d.eIntake = ReadName(value, strAt, kIntakes);
        else if (strKey == "biplane")
            d.bBiplane = ReadBool(value, strAt);
        else if (strKey == "tip_tanks")
            d.bTipTanks = ReadBool(value, strAt);
        else if (strKey == "rotor_blades")
            d.nRotorBlades = ReadInt(value, strAt, 2, 8);
        else if (strKey == "coaxial")
            d.bCoaxial = ReadBool(value, strAt);
        else if (strKey == "combat")
            d.bCombat = ReadBool(value, strAt);
        else if (strKey == "livery")
            d.livery = ReadLivery(value, strAt, d.livery);
        else
            Fail(strAt, "unknown key");
    }
    return d;
}

QImage PaintBackground(AircraftView view, int nWidth, int nHeight) {
    if (nWidth <= 0 || nHeight <= 0)
        return QImage();
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, nHeight);
    if (view == AircraftView::Side) {
        // Pale sky, lightest at the horizon.
        gradient.setColorAt(0, QColor(196, 219, 240));
        gradient.setColorAt(1, QColor(236, 243, 249));
    } else {
        gradient.setColorAt(0, QColor(230, 235, 226));
        gradient.setColorAt(1, QColor(214, 222, 210));
    }
    painter.fillRect(image.rect(), gradient);
    return image;
}

QImage PaintAircraft(const AircraftDrawing& drawing, AircraftView view, int nWidth, int nHeight) {
    QImage image = PaintBackground(view, nWidth, nHeight);
    if (image.isNull())
        return image;
    const double dMargin = std::max(3.0, 0.06 * std::min(nWidth, nHeight));
    const double dRoomX = std::max(1.0, nWidth - 2 * dMargin);
    const double dRoomY = std::max(1.0, nHeight - 2 * dMargin);

    // The pixel size from the nominal extent; the views use it only for details.
    const bool bRotor = drawing.eClass == AircraftClass::Helicopter;
    const AircraftSize typical = TypicalSize(drawing.eClass);
    const double L = drawing.dLength > 0 ? drawing.dLength : typical.dLength;
    const double S = drawing.dSpan > 0 ? drawing.dSpan : typical.dSpan;
    const double H = drawing.dHeight > 0 ? drawing.dHeight : typical.dHeight;
    double dExtentX = view == AircraftView::Front ? S : view == AircraftView::Top ? S : L;
    double dExtentY = view == AircraftView::Top ? L : H;
    if (bRotor && view != AircraftView::Front)
        dExtentX = std::max(dExtentX, 0.6 * L + 0.5 * S);
    CSketch sketch(std::max(dExtentX / dRoomX, dExtentY / dRoomY));

    if (bRotor) {
        const RotorLayout lay = MakeRotorLayout(drawing);
        SketchRotorcraft(lay, view, sketch);
    } else {
        const Layout lay = MakeLayout(drawing);
        if (view == AircraftView::Side)
            SketchSide(lay, sketch);
        else if (view == AircraftView::Top)
            SketchTop(lay, sketch);
        else
            SketchFront(lay, sketch);
    }

    const QRectF bounds = sketch.Bounds();
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return image;
    const double dScale = std::min(dRoomX / bounds.width(), dRoomY / bounds.height());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(nWidth / 2.0, nHeight / 2.0);
    painter.scale(dScale, dScale);
    painter.translate(-bounds.center());
    sketch.Paint(painter, std::clamp(std::min(nWidth, nHeight) / 380.0, 0.6, 1.3));
    return image;
}

// --- palette ----------------------------------------------------------------------

namespace {

struct ColorCount {
    QRgb rgb;
    std::uint32_t nCount;
};

int Channel(QRgb rgb, int nChannel) {
    return nChannel == 0 ? qRed(rgb) : nChannel == 1 ? qGreen(rgb) : qBlue(rgb);
}

struct Box {
    std::size_t nBegin, nEnd;
    double dError = 0; // squared distance of its pixels from their mean
    int nAxis = 0;     // the channel of widest spread
};

struct Sums {
    double n = 0, s[3] = {0, 0, 0}, q = 0;
    void Add(const ColorCount& c) {
        n += c.nCount;
        for (int k = 0; k < 3; ++k) {
            const double v = Channel(c.rgb, k);
            s[k] += v * c.nCount;
            q += v * v * c.nCount;
        }
    }
    double Error() const { return n > 0 ? q - (s[0] * s[0] + s[1] * s[1] + s[2] * s[2]) / n : 0; }
};

// The distinct colours of a picture with their pixel counts, by open
// addressing; a pixel's alpha is always set, so 0 marks a free slot. After
// Sorted() each slot holds the colour's place in the sorted list.
class CColourIndex {
public:
    explicit CColourIndex(std::size_t nPixels) {
        // Half full at most, however many of the pixels differ.
        std::size_t nSlots = 1024;
        while (nSlots < 2 * std::min(nPixels, kStartColours))
            nSlots *= 2;
        m_slots.assign(nSlots, {0, 0});
    }

    void Count(QRgb rgb) {
        if (rgb == m_nLastRgb) {
            ++m_slots[m_nLastSlot].nCount;
            return;
        }
        std::size_t k = Slot(rgb);
        if (m_slots[k].rgb == 0) {
            if (2 * (m_nUsed + 1) > m_slots.size()) {
                Grow();
                k = Slot(rgb);
            }
            m_slots[k].rgb = rgb;
            ++m_nUsed;
        }
        ++m_slots[k].nCount;
        m_nLastRgb = rgb;
        m_nLastSlot = k;
    }

    // The colours in ascending order, as the palette cut expects them.
    std::vector<ColorCount> Sorted() {
        std::vector<ColorCount> colors;
        colors.reserve(m_nUsed);
        for (const ColorCount& c : m_slots)
            if (c.rgb != 0)
                colors.push_back(c);
        std::sort(colors.begin(), colors.end(),
                  [](const ColorCount& a, const ColorCount& b) { return a.rgb < b.rgb; });
        for (std::size_t k = 0; k < colors.size(); ++k)
            m_slots[Slot(colors[k].rgb)].nCount = static_cast<std::uint32_t>(k);
        m_nLastRgb = 0;
        return colors;
    }

    // The place in Sorted() of a colour that was counted.
    std::size_t Find(QRgb rgb) const { return m_slots[Slot(rgb)].nCount; }

private:
    // A picture of the painter's sizes rarely has more; larger ones grow.
    static constexpr std::size_t kStartColours = 16384;

    std::size_t Slot(QRgb rgb) const {
        const std::size_t nMask = m_slots.size() - 1;
        std::size_t k = (std::uint64_t{rgb} * 0x9E3779B97F4A7C15u >> 32) & nMask;
        while (m_slots[k].rgb != 0 && m_slots[k].rgb != rgb)
            k = (k + 1) & nMask;
        return k;
    }

    void Grow() {
        std::vector<ColorCount> old(m_slots.size() * 2, {0, 0});
        old.swap(m_slots);
        for (const ColorCount& c : old)
            if (c.rgb != 0)
                m_slots[Slot(c.rgb)] = c;
        m_nLastRgb = 0;
    }

    std::vector<ColorCount> m_slots;
    std::size_t m_nUsed = 0;
    QRgb m_nLastRgb = 0;
    std::size_t m_nLastSlot = 0;
};

void Measure(Box& box, const std::vector<ColorCount>& colors) {
    Sums sums;
    double dSquares[3] = {0, 0, 0};
    for (std::size_t k = box.nBegin; k < box.nEnd; ++k) {
        sums.Add(colors[k]);
        for (int c = 0; c < 3; ++c)
            dSquares[c] +=
                double(Channel(colors[k].rgb, c)) * Channel(colors[k].rgb, c) * colors[k].nCount;
    }
    box.dError = sums.Error();
    double dWidest = -1;
    for (int c = 0; c < 3; ++c) {
        const double dSpread = dSquares[c] - sums.s[c] * sums.s[c] / sums.n;
        if (dSpread > dWidest) {
            dWidest = dSpread;
            box.nAxis = c;
        }
    }
}

QRgb MeanOf(const Box& box, const std::vector<ColorCount>& colors) {
    Sums sums;
    for (std::size_t k = box.nBegin; k < box.nEnd; ++k)
        sums.Add(colors[k]);
    auto mean = [&](int c) { return std::clamp(int(std::lround(sums.s[c] / sums.n)), 0, 255); };
    return qRgb(mean(0), mean(1), mean(2));
}

std::vector<QRgb> CutPalette(std::vector<ColorCount> colors) {
    std::vector<QRgb> palette;
    if (colors.size() <= 256) {
        for (const ColorCount& c : colors)
            palette.push_back(c.rgb);
        return palette;
    }
    std::vector<Box> boxes{{0, colors.size()}};
    Measure(boxes[0], colors);
    while (boxes.size() < 256) {
        // The box with the largest error; ties go to the first.
        std::size_t nPick = boxes.size();
        double dBest = 0;
        for (std::size_t k = 0; k < boxes.size(); ++k) {
            if (boxes[k].nEnd - boxes[k].nBegin > 1 && boxes[k].dError > dBest) {
                dBest = boxes[k].dError;
                nPick = k;
            }
        }
        if (nPick == boxes.size())
            break;
        Box& box = boxes[nPick];
        const int c = box.nAxis;
        std::stable_sort(colors.begin() + box.nBegin, colors.begin() + box.nEnd,
                         [c](const ColorCount& a, const ColorCount& b) {
                             return Channel(a.rgb, c) < Channel(b.rgb, c);
                         });
        // Cut along that channel where the two halves' errors add up to the least,
        // so that a small distinct detail gets an entry of its own.
        Sums total;
        for (std::size_t k = box.nBegin; k < box.nEnd; ++k)
            total.Add(colors[k]);
        Sums lower;
        std::size_t nSplit = box.nBegin + 1;
        double dLeast = -1;
        for (std::size_t k = box.nBegin; k + 1 < box.nEnd; ++k) {
            lower.Add(colors[k]);
            if (Channel(colors[k].rgb, c) == Channel(colors[k + 1].rgb, c))
                continue;
            Sums upper;
            upper.n = total.n - lower.n;
            for (int j = 0; j < 3; ++j)
                upper.s[j] = total.s[j] - lower.s[j];
            upper.q = total.q - lower.q;
            const double dError = lower.Error() + upper.Error();
            if (dLeast < 0 || dError < dLeast) {
                dLeast = dError;
                nSplit = k + 1;
            }
        }
        Box upper{nSplit, box.nEnd};
        box.nEnd = nSplit;
        Measure(box, colors);
        Measure(upper, colors);
        boxes.push_back(upper);
    }
    for (const Box& box : boxes)
        palette.push_back(MeanOf(box, colors));
    return palette;
}

} // namespace

QImage ToPalette8(const QImage& source) {
    if (source.isNull())
        return QImage();
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int nWidth = image.width(), nHeight = image.height();

    // Counted in a hash table rather than by sorting every pixel: a picture
    // has a few thousand colours in long runs, and the sort was most of the
    // time of a drawn picture. Only the distinct colours are sorted.
    CColourIndex index(std::size_t(nWidth) * nHeight);
    for (int y = 0; y < nHeight; ++y) {
        const auto* pRow = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < nWidth; ++x)
            index.Count(pRow[x] | 0xFF000000u);
    }
    const std::vector<ColorCount> colors = index.Sorted();
    const std::vector<QRgb> palette = CutPalette(colors);

    // Each distinct colour to its nearest entry, ties to the first; pixels
    // find theirs in the table. The entries in order of green, the heaviest
    // channel: from the colour's green outwards, the search stops in each
    // direction once the green difference alone costs more than the best.
    struct Entry {
        int r, g, b, nIndex;
    };
    std::vector<Entry> byGreen;
    for (std::size_t p = 0; p < palette.size(); ++p)
        byGreen.push_back({qRed(palette[p]), qGreen(palette[p]), qBlue(palette[p]), int(p)});
    std::sort(byGreen.begin(), byGreen.end(), [](const Entry& a, const Entry& b) {
        return a.g != b.g ? a.g < b.g : a.nIndex < b.nIndex;
    });
    std::vector<uchar> nearest(colors.size());
    for (std::size_t k = 0; k < colors.size(); ++k) {
        const int r = qRed(colors[k].rgb), g = qGreen(colors[k].rgb), b = qBlue(colors[k].rgb);
        int nLeast = INT_MAX, nBest = 0; // distances are at most 9 * 255 * 255
        const auto consider = [&](const Entry& e) {
            const int dr = r - e.r, dg = g - e.g, db = b - e.b;
            if (4 * dg * dg > nLeast)
                return false;
            const int nDist = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (nDist < nLeast || (nDist == nLeast && e.nIndex < nBest)) {
                nLeast = nDist;
                nBest = e.nIndex;
            }
            return true;
        };
        const auto itFrom = std::lower_bound(byGreen.begin(), byGreen.end(), g,
                                             [](const Entry& e, int n) { return e.g < n; });
        for (auto it = itFrom; it != byGreen.end() && consider(*it); ++it) {
        }
        for (auto it = itFrom; it != byGreen.begin() && consider(*(it - 1)); --it) {
        }
        nearest[k] = static_cast<uchar>(nBest);
    }

    QImage result(nWidth, nHeight, QImage::Format_Indexed8);
    result.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < nHeight; ++y) {
        const auto* pIn = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* pOut = result.scanLine(y);
        QRgb last = 0; // never a pixel: each has its alpha set
        uchar nLast = 0;
        for (int x = 0; x < nWidth; ++x) {
            const QRgb rgb = pIn[x] | 0xFF000000u;
            if (rgb != last) {
                last = rgb;
                nLast = nearest[index.Find(rgb)];
            }
            pOut[x] = nLast;
        }
    }
    return result;
}

QImage LoadImageFile(const std::string& strPath) {
    QImageReader reader(QString::fromStdString(strPath));
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw std::invalid_argument(strPath + ": " + reader.errorString().toStdString());
    QImage result(image.size(), QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}
