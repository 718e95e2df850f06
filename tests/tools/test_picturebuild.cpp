// Pictures in the source: drawn from parameters or converted from an image
// file, written so the viewer's scan and decoder find them, and the errors
// a source author sees.
#include "data/databasefiles.h"
#include "support/runtool.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/dbbuilder.h"
#include "tools/dbcheck.h"
#include "tools/dbsource.h"
#include "tools/picturebuild.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

void Build(const std::string& strJson, const CTempDir& src, const CTempDir& out) {
    SourceDatabase db = ParseSource(strJson, src.Path());
    src.WriteFile("card.rtf", CardTemplateRtf());
    src.WriteFile("extra.rtf", ExtraTemplateRtf());
    db.strCardTemplate = src.File("card.rtf");
    db.strExtraTemplate = src.File("extra.rtf");
    BuildDatabase(db, out.Path());
}

QImage Png(const CTempDir& dir, const std::string& strName) {
    return QImage(QString::fromStdString(dir.File(strName)));
}

TEST(PictureBuild, DrawnTypesGetAPreviewAndTheirViewsInOrder) {
    CTempDir src, db, png;
    Build(R"({"tree": [{"caption": "Группа", "children": [
        {"caption": "Ту", "type": {"length_m": 48, "wingspan_m": 37.5,
            "picture": {"class": "airliner", "engine_layout": "tail"},
            "views": ["top", "side", "front"]}},
        {"caption": "Без", "type": {"firm": "Фирма"}},
        {"caption": "Ми", "type": {"picture": {"class": "helicopter"}}}]}]})",
          src, db);
    std::ostringstream report;
    const CheckSummary summary = CheckDatabase(db.Path(), report);
    EXPECT_EQ(summary.nProblems, 0) << report.str();
    EXPECT_EQ(summary.nPictures, 4 + 2);

    ASSERT_EQ(RunTool("pictures " + Quote(db.Path()) + " 1 -o " + Quote(png.Path())).nExit, 0);
    EXPECT_EQ(Png(png, "preview.png").size(), QSize(232, 150));
    EXPECT_EQ(Png(png, "1.png").size(), QSize(480, 480));
    EXPECT_EQ(Png(png, "2.png").size(), QSize(480, 300));
    EXPECT_EQ(Png(png, "3.png").size(), QSize(400, 260));
    EXPECT_FALSE(std::filesystem::exists(png.File("4.png")));

    // A type without pictures writes nothing; the default series is one large side view.
    CTempDir none, heli;
    ASSERT_EQ(RunTool("pictures " + Quote(db.Path()) + " 2 -o " + Quote(none.Path())).nExit, 0);
    EXPECT_TRUE(std::filesystem::is_empty(none.Path()));
    ASSERT_EQ(RunTool("pictures " + Quote(db.Path()) + " 3 -o " + Quote(heli.Path())).nExit, 0);
    EXPECT_EQ(Png(heli, "1.png").size(), QSize(800, 500));
    EXPECT_FALSE(std::filesystem::exists(heli.File("2.png")));
}

TEST(PictureBuild, ImageFileIsScaledIntoEachView) {
    CTempDir src, db, png;
    // Red and blue halves: the scaled picture keeps both, left and right.
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < 100; ++y)
        for (int x = 100; x < 200; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    ASSERT_TRUE(image.save(QString::fromStdString(src.File("photo.png"))));
    Build(
        R"({"tree": [{"caption": "Фото", "type": {"image": "photo.png", "views": ["side", "top"]}}]})",
        src, db);
    ASSERT_EQ(RunTool("pictures " + Quote(db.Path()) + " 0 -o " + Quote(png.Path())).nExit, 0);
    const QImage side = Png(png, "1.png");
    ASSERT_EQ(side.size(), QSize(480, 300));
    EXPECT_EQ(QColor(side.pixel(100, 150)), QColor(Qt::red));
    EXPECT_EQ(QColor(side.pixel(380, 150)), QColor(Qt::blue));
    // 2:1 into a square: white above and below.
    const QImage top = Png(png, "2.png");
    EXPECT_EQ(QColor(top.pixel(240, 10)), QColor(Qt::white));
    EXPECT_EQ(QColor(top.pixel(100, 240)), QColor(Qt::red));
}

TEST(PictureBuild, SourceErrorsNameThePlace) {
    CTempDir src;
    const struct {
        const char* pszType;
        const char* pszWhere;
    } cases[] = {
        {R"({"picture": {}, "image": "a.png"})", "tree[0].type"},
        {R"({"picture": {}, "views": ["side", "back"]})", "tree[0].type.views"},
        {R"({"picture": {}, "views": []})", "tree[0].type.views"},
        {R"({"picture": {}, "views": ["side", "side", "top", "top", "front"]})",
         "tree[0].type.views"},
        {R"({"picture": {"class": "zeppelin"}})", "tree[0].type.picture.class"},
        {R"({"image": ""})", "tree[0].type.image"},
    };
    for (const auto& c : cases) {
        const std::string strJson =
            std::string(R"({"tree": [{"caption": "X", "type": )") + c.pszType + "}]}";
        try {
            ParseSource(strJson, src.Path());
            ADD_FAILURE() << c.pszType << " was accepted";
        } catch (const CSourceError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.pszWhere, 0), 0u) << e.what();
        }
    }
    // An image that cannot be read fails the build, naming the field.
    const SourceDatabase missing = ParseSource(
        R"({"tree": [{"caption": "X", "type": {"image": "missing.png"}}]})", src.Path());
    ASSERT_EQ(missing.types.size(), 1u);
    try {
        BuildTypePictures(missing.types[0], "tree[0].type");
        ADD_FAILURE() << "a missing image was accepted";
    } catch (const CSourceError& e) {
        EXPECT_NE(std::string(e.what()).find("tree[0].type.image"), std::string::npos) << e.what();
    }
}

} // namespace
