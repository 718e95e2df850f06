#include "painter/aircraftpainter.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <unistd.h>

using nlohmann::json;

namespace {

const AircraftClass kAllClasses[] = {
    AircraftClass::Airliner,   AircraftClass::WideBody,  AircraftClass::Turboprop,
    AircraftClass::Supersonic, AircraftClass::Transport, AircraftClass::Fighter,
    AircraftClass::Bomber,     AircraftClass::Trainer,   AircraftClass::Helicopter,
    AircraftClass::Light,
};
const AircraftView kAllViews[] = {AircraftView::Side, AircraftView::Top, AircraftView::Front};

// The message of the std::invalid_argument that parsing throws, or "" when none.
std::string ParseError(const char* pszJson) {
    try {
        ParseDrawing(json::parse(pszJson), "pic");
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "";
}

bool StartsWith(const std::string& str, const std::string& strPrefix) {
    return str.compare(0, strPrefix.size(), strPrefix) == 0;
}

AircraftDrawing Drawing(AircraftClass eClass, double dLength, double dSpan, double dHeight) {
    AircraftDrawing d = DefaultDrawing(eClass);
    d.dLength = dLength;
    d.dSpan = dSpan;
    d.dHeight = dHeight;
    return d;
}

// The smallest rectangle holding every pixel that differs from the background.
QRect Silhouette(const QImage& image, const QImage& background) {
    int nLeft = image.width(), nTop = image.height(), nRight = -1, nBottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background.pixel(x, y)) {
                nLeft = std::min(nLeft, x);
                nRight = std::max(nRight, x);
                nTop = std::min(nTop, y);
                nBottom = std::max(nBottom, y);
            }
        }
    }
    return nRight < 0 ? QRect() : QRect(QPoint(nLeft, nTop), QPoint(nRight, nBottom));
}

QRect SilhouetteOf(const AircraftDrawing& d, AircraftView view, int nWidth, int nHeight) {
    return Silhouette(PaintAircraft(d, view, nWidth, nHeight),
                      PaintBackground(view, nWidth, nHeight));
}

} // namespace

// --- parameters ------------------------------------------------------------------

TEST(ParseDrawing, EmptyObjectGivesTheAirlinerDefaults) {
    const AircraftDrawing d = ParseDrawing(json::object(), "pic");
    EXPECT_EQ(d.eClass, AircraftClass::Airliner);
    EXPECT_EQ(d.nEngines, DefaultDrawing(AircraftClass::Airliner).nEngines);
}

TEST(ParseDrawing, ClassSetsItsDefaultsWhateverTheKeyOrder) {
    const AircraftDrawing d =
        ParseDrawing(json::parse(R"({"engines": 1, "class": "fighter"})"), "p");
    EXPECT_EQ(d.eClass, AircraftClass::Fighter);
    EXPECT_EQ(d.nEngines, 1);
    EXPECT_EQ(d.eEngines, DefaultDrawing(AircraftClass::Fighter).eEngines);
    EXPECT_TRUE(d.livery.camouflage.has_value());
}

TEST(ParseDrawing, ReadsEveryKey) {
    const AircraftDrawing d = ParseDrawing(json::parse(R"({
        "class": "transport", "engines": 6, "engine_layout": "turboprop", "wing": "variable",
        "sweep_deg": 35.5, "wing_position": "mid", "tail": "twin", "gear": "tailwheel",
        "upper_deck": "hump", "intake": "chin", "biplane": true, "tip_tanks": true,
        "rotor_blades": 7, "coaxial": true, "combat": true,
        "livery": {"body": "#102030", "stripe": "#A0B0C0", "tail": "#ffffff",
                   "underside": "#000001", "camouflage": "#7f8c98"}})"),
                                           "pic");
    EXPECT_EQ(d.eClass, AircraftClass::Transport);
    EXPECT_EQ(d.nEngines, 6);
    EXPECT_EQ(d.eEngines, EngineLayout::Turboprop);
    EXPECT_EQ(d.eWing, WingShape::Variable);
    EXPECT_DOUBLE_EQ(d.dSweepDeg, 35.5);
    EXPECT_EQ(d.eWingPosition, WingPosition::Mid);
    EXPECT_EQ(d.eTail, TailKind::Twin);
    EXPECT_EQ(d.eGear, GearKind::Tailwheel);
    EXPECT_EQ(d.eUpperDeck, UpperDeck::Hump);
    EXPECT_EQ(d.eIntake, IntakeKind::Chin);
    EXPECT_TRUE(d.bBiplane && d.bTipTanks && d.bCoaxial && d.bCombat);
    EXPECT_EQ(d.nRotorBlades, 7);
    EXPECT_EQ(d.livery.body, QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(d.livery.stripe, QColor(0xA0, 0xB0, 0xC0));
    EXPECT_EQ(d.livery.tail, QColor(255, 255, 255));
    EXPECT_EQ(d.livery.underside, QColor(0, 0, 1));
    EXPECT_EQ(d.livery.camouflage, QColor(0x7f, 0x8c, 0x98));
}

TEST(ParseDrawing, LiveryReplacesTheClassLivery) {
    const AircraftDrawing d =
        ParseDrawing(json::parse(R"({"class": "fighter", "livery": {"stripe": "#010203"}})"), "p");
    const AircraftLivery& typical = DefaultDrawing(AircraftClass::Fighter).livery;
    EXPECT_EQ(d.livery.body, typical.body);
    EXPECT_EQ(d.livery.tail, typical.tail);
    EXPECT_EQ(d.livery.stripe, QColor(1, 2, 3));
    // A fighter is camouflaged by default; a livery that names no camouflage has none.
    ASSERT_TRUE(typical.camouflage && typical.underside);
    EXPECT_FALSE(d.livery.camouflage);
    EXPECT_FALSE(d.livery.underside);
}

TEST(ParseDrawing, ErrorsNameTheKey) {
    struct Case {
        const char* pszJson;
        const char* pszWhere;
    };
    const Case cases[] = {
        {R"({"wingspan": 3})", "pic.wingspan:"},
        {R"({"class": "zeppelin"})", "pic.class:"},
        {R"({"class": 3})", "pic.class:"},
        {R"({"engines": "two"})", "pic.engines:"},
        {R"({"engines": 0})", "pic.engines:"},
        {R"({"engines": 2.5})", "pic.engines:"},
        {R"({"wing": "forward"})", "pic.wing:"},
        {R"({"sweep_deg": 95})", "pic.sweep_deg:"},
        {R"({"sweep_deg": "35"})", "pic.sweep_deg:"},
        {R"({"upper_deck": true})", "pic.upper_deck:"},
        {R"({"biplane": 1})", "pic.biplane:"},
        {R"({"coaxial": null})", "pic.coaxial:"},
        {R"({"rotor_blades": 1})", "pic.rotor_blades:"},
        {R"({"livery": "#ffffff"})", "pic.livery:"},
        {R"({"livery": {"wings": "#ffffff"}})", "pic.livery.wings:"},
        {R"({"livery": {"body": "#fffff"}})", "pic.livery.body:"},
        {R"({"livery": {"stripe": "ffffff0"}})", "pic.livery.stripe:"},
        {R"({"livery": {"tail": "#gg0000"}})", "pic.livery.tail:"},
        {R"({"livery": {"underside": 255}})", "pic.livery.underside:"},
        {"[1, 2]", "pic:"},
        {"\"airliner\"", "pic:"},
    };
    for (const Case& c : cases) {
        const std::string strError = ParseError(c.pszJson);
        EXPECT_TRUE(StartsWith(strError, c.pszWhere)) << c.pszJson << " gave \"" << strError << '"';
    }
}

TEST(ParseDrawing, EverySamplePictureParses) {
    std::ifstream in(VERLUMO_PAINTER_SAMPLE);
    ASSERT_TRUE(in) << VERLUMO_PAINTER_SAMPLE;
    const json source = json::parse(in);
    const std::set<std::string> views = {"side-large", "side", "top", "front"};
    int nTypes = 0;
    std::set<AircraftClass> classes;
    std::function<void(const json&)> walk = [&](const json& nodes) {
        for (const json& node : nodes) {
            if (node.contains("type")) {
                const json& type = node["type"];
                const std::string strWhere = node["caption"].get<std::string>() + ".picture";
                ASSERT_TRUE(type.contains("picture")) << strWhere;
                EXPECT_NO_THROW(classes.insert(ParseDrawing(type["picture"], strWhere).eClass))
                    << strWhere;
                ASSERT_TRUE(type.contains("views") && type["views"].is_array()) << strWhere;
                const json& list = type["views"];
                EXPECT_GE(list.size(), 1u) << strWhere;
                EXPECT_LE(list.size(), 4u) << strWhere;
                std::set<std::string> seen;
                for (const json& v : list) {
                    EXPECT_TRUE(views.count(v.get<std::string>())) << strWhere;
                    EXPECT_TRUE(seen.insert(v.get<std::string>()).second) << strWhere;
                }
                ++nTypes;
            }
            if (node.contains("children"))
                walk(node["children"]);
        }
    };
    walk(source.at("tree"));
    EXPECT_GT(nTypes, 0);
    EXPECT_EQ(classes.size(), std::size(kAllClasses)) << "every class appears in the sample";
}

// --- pictures ---------------------------------------------------------------------

TEST(PaintAircraft, FillsTheRequestedSize) {
    const QImage image =
        PaintAircraft(DefaultDrawing(AircraftClass::Airliner), AircraftView::Side, 480, 300);
    EXPECT_EQ(image.size(), QSize(480, 300));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_TRUE(
        PaintAircraft(DefaultDrawing(AircraftClass::Light), AircraftView::Top, 0, 10).isNull());
}

TEST(PaintAircraft, ParametersChangeThePicture) {
    AircraftDrawing d = DefaultDrawing(AircraftClass::Airliner);
    const QImage plain = PaintAircraft(d, AircraftView::Side, 480, 300);
    d.livery.stripe = QColor(200, 0, 0);
    EXPECT_FALSE(plain == PaintAircraft(d, AircraftView::Side, 480, 300));
    d = DefaultDrawing(AircraftClass::Airliner);
    d.eTail = TailKind::TTail;
    EXPECT_FALSE(plain == PaintAircraft(d, AircraftView::Side, 480, 300));
}

TEST(PaintAircraft, AircraftLiesInsideWithAMarginAndFillsIt) {
    const int nWidth = 400, nHeight = 260;
    for (AircraftClass eClass : kAllClasses) {
        for (AircraftView view : kAllViews) {
            // The class's own sizes and a few awkward ones.
            for (auto [L, S, H] : {std::tuple{0.0, 0.0, 0.0}, std::tuple{60.0, 10.0, 3.0},
                                   std::tuple{5.0, 40.0, 20.0}}) {
                const AircraftDrawing d = Drawing(eClass, L, S, H);
                const QRect r = SilhouetteOf(d, view, nWidth, nHeight);
                const std::string strCase = std::to_string(int(eClass)) + " view " +
                                            std::to_string(int(view)) + " L " + std::to_string(L);
                ASSERT_FALSE(r.isNull()) << strCase;
                EXPECT_GE(r.left(), 8) << strCase;
                EXPECT_GE(r.top(), 8) << strCase;
                EXPECT_LT(r.right(), nWidth - 8) << strCase;
                EXPECT_LT(r.bottom(), nHeight - 8) << strCase;
                // Scaled to fit: one of the two directions reaches the margin.
                EXPECT_TRUE(r.width() > nWidth * 0.8 || r.height() > nHeight * 0.8) << strCase;
                // Centred.
                EXPECT_NEAR(r.center().x(), nWidth / 2.0, 3) << strCase;
                EXPECT_NEAR(r.center().y(), nHeight / 2.0, 3) << strCase;
                EXPECT_TRUE(PaintAircraft(d, view, nWidth, nHeight) ==
                            PaintAircraft(d, view, nWidth, nHeight))
                    << strCase << " is not deterministic";
            }
        }
    }
}

TEST(PaintAircraft, KeepsTheProportionsOfTheType) {
    // Side: length by height; top: span by length; front: span by height.
    const AircraftDrawing d = Drawing(AircraftClass::Airliner, 40, 35, 12);
    const QRect side = SilhouetteOf(d, AircraftView::Side, 800, 500);
    EXPECT_NEAR(double(side.width()) / side.height(), 40.0 / 12, 0.35);
    const QRect top = SilhouetteOf(d, AircraftView::Top, 480, 480);
    EXPECT_NEAR(double(top.width()) / top.height(), 35.0 / 40, 0.1);
    const QRect front = SilhouetteOf(d, AircraftView::Front, 400, 260);
    EXPECT_NEAR(double(front.width()) / front.height(), 35.0 / 12, 0.35);
}

TEST(PaintAircraft, LongAirlinerIsWiderThanTallFromTheSide) {
    const QRect r = SilhouetteOf(Drawing(AircraftClass::Airliner, 47.9, 37.55, 11.4),
                                 AircraftView::Side, 480, 300);
    EXPECT_GT(r.width(), 3 * r.height());
    // The body, not just the fin, spans it: the middle row crosses the picture.
    const QImage image = PaintAircraft(Drawing(AircraftClass::Airliner, 47.9, 37.55, 11.4),
                                       AircraftView::Side, 480, 300);
    const QImage background = PaintBackground(AircraftView::Side, 480, 300);
    int nCovered = 0;
    const int y = r.top() + r.height() / 2;
    for (int x = r.left(); x <= r.right(); ++x)
        nCovered += image.pixel(x, y) != background.pixel(x, y);
    EXPECT_GT(nCovered, 0.7 * r.width());
}

TEST(PaintAircraft, HelicopterTopViewShowsTheRotorDisc) {
    const AircraftDrawing d = Drawing(AircraftClass::Helicopter, 18.17, 21.29, 5.65);
    const QImage image = PaintAircraft(d, AircraftView::Top, 480, 480);
    const QImage background = PaintBackground(AircraftView::Top, 480, 480);
    const QRect r = Silhouette(image, background);
    // The disc is wider than the fuselage is long, and round.
    EXPECT_GT(r.width(), 0.8 * r.height());
    // Find the disc's centre as the middle of its widest row, then walk round it.
    int nBestRow = r.top(), nBestWidth = 0, nBestLeft = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        int nLeft = -1, nRight = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background.pixel(x, y)) {
                nRight = x;
                if (nLeft < 0)
                    nLeft = x;
            }
        }
        if (nLeft >= 0 && nRight - nLeft > nBestWidth) {
            nBestWidth = nRight - nLeft;
            nBestRow = y;
            nBestLeft = nLeft;
        }
    }
    const QPointF ptCentre(nBestLeft + nBestWidth / 2.0, nBestRow);
    const double dRadius = nBestWidth / 2.0;
    EXPECT_NEAR(dRadius, r.width() / 2.0, 2);
    for (int k = 0; k < 24; ++k) {
        const double a = 2 * 3.14159265358979 * k / 24;
        const QPoint pt = (ptCentre + QPointF(std::cos(a), std::sin(a)) * 0.85 * dRadius).toPoint();
        EXPECT_NE(image.pixel(pt), background.pixel(pt)) << "angle step " << k;
    }
}

// --- palette ----------------------------------------------------------------------

TEST(ToPalette8, GivesIndexed8WithAtMost256Colours) {
    for (AircraftClass eClass :
         {AircraftClass::Airliner, AircraftClass::Fighter, AircraftClass::Helicopter}) {
        const QImage image = PaintAircraft(DefaultDrawing(eClass), AircraftView::Side, 800, 500);
        const QImage indexed = ToPalette8(image);
        ASSERT_EQ(indexed.format(), QImage::Format_Indexed8);
        EXPECT_EQ(indexed.size(), image.size());
        EXPECT_GE(indexed.colorCount(), 2);
        EXPECT_LE(indexed.colorCount(), 256);
        // Close to the original everywhere on average, and within bounds of it.
        double dSum = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb a = image.pixel(x, y), b = indexed.pixel(x, y);
                dSum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                        std::abs(qBlue(a) - qBlue(b));
            }
        }
        EXPECT_LT(dSum / (3.0 * image.width() * image.height()), 2.0) << int(eClass);
        EXPECT_TRUE(indexed == ToPalette8(image)) << "deterministic";
    }
}

TEST(ToPalette8, KeepsFewColoursExactly) {
    QImage image(50, 40, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    QPainter painter(&image);
    painter.fillRect(0, 0, 20, 10, QColor(200, 0, 0));
    painter.fillRect(30, 30, 1, 1, QColor(0, 255, 0)); // a single pixel keeps its entry
    painter.end();
    const QImage indexed = ToPalette8(image);
    ASSERT_EQ(indexed.format(), QImage::Format_Indexed8);
    EXPECT_EQ(indexed.colorCount(), 3);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(indexed.pixel(x, y), image.pixel(x, y)) << x << "," << y;
}

TEST(ToPalette8, KeepsASmallDistinctDetailAmongManyColours) {
    // A smooth gradient of far more than 256 colours and a small red mark.
    QImage image(512, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x)
            image.setPixel(x, y, qRgb(x / 2, y, 128));
    QPainter painter(&image);
    painter.fillRect(100, 100, 4, 4, QColor(255, 0, 0));
    painter.end();
    const QImage indexed = ToPalette8(image);
    EXPECT_EQ(indexed.colorCount(), 256);
    const QRgb mark = indexed.pixel(101, 101);
    EXPECT_GT(qRed(mark), 200);
    EXPECT_LT(qGreen(mark), 60);
    EXPECT_LT(qBlue(mark), 60);
}

TEST(ToPalette8, EveryPixelTakesItsNearestEntryAmongTensOfThousandsOfColours) {
    // 65,536 colours, more than the colour table starts with, in runs and not.
    QImage image(512, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x)
            image.setPixel(x, y, y % 2 ? qRgb(x / 2, y, 128) : qRgb(y, 255 - x / 2, x % 7 * 30));
    const QImage indexed = ToPalette8(image);
    const QList<QRgb> table = indexed.colorTable();
    const auto distance = [](QRgb a, QRgb b) {
        const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
        return 3 * dr * dr + 4 * dg * dg + 2 * db * db; // green weighs most, as the eye sees
    };
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = image.pixel(x, y);
            qsizetype nBest = 0;
            for (qsizetype p = 1; p < table.size(); ++p)
                if (distance(rgb, table[p]) < distance(rgb, table[nBest]))
                    nBest = p;
            ASSERT_EQ(indexed.pixelIndex(x, y), nBest) << x << "," << y;
        }
    }
}

// --- files ------------------------------------------------------------------------

class LoadImageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("verlumo-painter-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string File(const char* pszName) const { return (m_dir / pszName).string(); }
    std::filesystem::path m_dir;
};

TEST_F(LoadImageFileTest, TransparencyLiesOnWhite) {
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 0, 0, 128));
    ASSERT_TRUE(image.save(QString::fromStdString(File("a.png")), "PNG"));
    const QImage loaded = LoadImageFile(File("a.png"));
    EXPECT_EQ(loaded.format(), QImage::Format_RGB32);
    EXPECT_EQ(loaded.size(), QSize(4, 2));
    EXPECT_EQ(loaded.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(loaded.pixel(3, 1), qRgb(255, 255, 255));
    EXPECT_NEAR(qRed(loaded.pixel(1, 0)), 127, 2);
}

TEST_F(LoadImageFileTest, ReadsJpegAndBmp) {
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 200));
    ASSERT_TRUE(image.save(QString::fromStdString(File("b.jpg")), "JPG"));
    ASSERT_TRUE(image.save(QString::fromStdString(File("c.bmp")), "BMP"));
    const QImage jpeg = LoadImageFile(File("b.jpg"));
    EXPECT_EQ(jpeg.size(), QSize(16, 8));
    EXPECT_NEAR(qBlue(jpeg.pixel(8, 4)), 200, 8);
    EXPECT_EQ(LoadImageFile(File("c.bmp")).pixel(3, 3), qRgb(0, 0, 200));
}

TEST_F(LoadImageFileTest, MissingOrBrokenFileThrowsNamingIt) {
    for (const char* pszName : {"missing.png", "broken.png"}) {
        if (std::string(pszName) == "broken.png")
            std::ofstream(File(pszName)) << "not a picture";
        try {
            LoadImageFile(File(pszName));
            ADD_FAILURE() << pszName << " loaded";
        } catch (const std::invalid_argument& e) {
            EXPECT_TRUE(StartsWith(e.what(), File(pszName))) << e.what();
        }
    }
}
