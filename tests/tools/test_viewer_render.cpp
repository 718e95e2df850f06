// `verlumo-db render --viewer` end to end through the binary.
#include "pictures/lzwencoder.h"
#include "platform/cp1251.h"
#include "platform/dibsection.h"
#include "support/dbwriter.h"
#include "support/runtool.h"
#include "support/tempdir.h"

#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

// One colour all over, at 8 bits.
std::string Plain(int nWidth, int nHeight, RGBQUAD colour) {
    const std::vector<RGBQUAD> colours = {colour};
    const std::vector<unsigned char> pixels(
        CDibSection::StrideFor(nWidth, 8) * static_cast<std::size_t>(nHeight), 0);
    const auto record = WritePictureRecord(nWidth, nHeight, 8, colours, pixels);
    return std::string(record.begin(), record.end());
}

const RGBQUAD kRed{0, 0, 255, 0}, kGreen{0, 200, 0, 0}, kBlue{255, 0, 0, 0};

// Group "Самолёты" (0) with "Ан-2" (1, a preview and two pictures).
class ViewerRender : public testing::Test {
protected:
    void SetUp() override {
        CDbWriter db;
        db.AddString("");
        db.AddTreeNamed(-1, -1, *cp1251::FromUtf8("Самолёты"));
        db.AddTreeNamed(0, 0, *cp1251::FromUtf8("Ан-2"));
        AircraftRecord rec{};
        rec.previewOffset = db.AddPicture(Plain(50, 40, kRed));
        db.AddPicture(Plain(300, 200, kGreen));
        db.AddPicture(Plain(120, 90, kBlue));
        rec.pictureCount = 2;
        db.AddAircraft(rec);
        db.Write(m_dir.Path());
    }
    std::string Args(const std::string& strRest) {
        return "render " + Quote(m_dir.Path()) + " -o " + Quote(m_out.File("v.png")) + " " +
               strRest;
    }
    bool Written() {
        struct stat st;
        return ::stat(m_out.File("v.png").c_str(), &st) == 0;
    }
    CTempDir m_dir, m_out;
};

int Count(const QImage& image, QRgb rgb) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == rgb;
    return n;
}

TEST_F(ViewerRender, ShowsPictureKOverTheMainWindow) {
    const ToolResult r = RunTool(Args("--select 1 --viewer 2"));
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const QImage image =
        QImage(QString::fromStdString(m_out.File("v.png"))).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(image.isNull());
    // The second picture whole, centred in the 300 x 200 area below the band;
    // the first is not on show, the preview is, where the viewer leaves it.
    EXPECT_EQ(Count(image, qRgb(0, 0, 255)), 120 * 90);
    EXPECT_EQ(Count(image, qRgb(0, 200, 0)), 0);
    const int nGrey = Count(image, qRgb(194, 194, 194));
    EXPECT_GE(nGrey, 300 * 200 - 120 * 90);
}

TEST_F(ViewerRender, FirstPictureIsK1) {
    const ToolResult r = RunTool(Args("--select 1 --viewer 1"));
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const QImage image = QImage(QString::fromStdString(m_out.File("v.png")));
    EXPECT_EQ(Count(image.convertToFormat(QImage::Format_ARGB32), qRgb(0, 200, 0)), 300 * 200);
}

// The offscreen screen is 800 x 600; a user whose screen is large enough sees
// the whole picture in its frame, and so does the render.
TEST(ViewerRenderLarge, IsNotCutToTheOffscreenScreen) {
    CTempDir dir, out;
    CDbWriter db;
    db.AddString("");
    db.AddTreeNamed(-1, 0, "A");
    AircraftRecord rec{};
    rec.previewOffset = db.AddPicture(Plain(50, 40, kRed));
    db.AddPicture(Plain(1000, 700, kGreen));
    rec.pictureCount = 1;
    db.AddAircraft(rec);
    db.Write(dir.Path());
    const ToolResult r = RunTool("render " + Quote(dir.Path()) + " -o " + Quote(out.File("v.png")) +
                                 " --select 0 --viewer 1");
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const QImage image = QImage(QString::fromStdString(out.File("v.png")));
    EXPECT_EQ(Count(image.convertToFormat(QImage::Format_ARGB32), qRgb(0, 200, 0)), 1000 * 700);
    EXPECT_GE(image.width(), 1000 + 2 * 3);
    EXPECT_GE(image.height(), 700 + 30 + 2 * 3);
}

// The fixture has no templates, so every start warns about them; a position
// outside the tree is still that error alone, as if nothing had started.
TEST_F(ViewerRender, PositionOutsideTheTreeIsOnlyThatError) {
    for (const char* pszPosition : {"2", "-1", "99999"}) {
        const ToolResult r = RunTool(Args(std::string("--select ") + pszPosition));
        EXPECT_EQ(r.nExit, 2);
        EXPECT_EQ(r.strErr, "verlumo-db: position " + std::string(pszPosition) +
                                " is not in the tree of " + m_dir.Path() + "\n");
        EXPECT_FALSE(Written());
    }
    const ToolResult r = RunTool(Args("--select 1"));
    EXPECT_EQ(r.nExit, 0);
    EXPECT_NE(r.strErr.find("Static texts.rtf"), std::string::npos) << r.strErr;
    EXPECT_TRUE(Written());
}

struct CBadRow {
    const char* pszName;
    const char* pszArgs;
    const char* pszMessage;
};

class ViewerRenderRefuses : public ViewerRender, public testing::WithParamInterface<CBadRow> {};

TEST_P(ViewerRenderRefuses, WithExit2AndNoFile) {
    const ToolResult r = RunTool(Args(GetParam().pszArgs));
    EXPECT_EQ(r.nExit, 2);
    EXPECT_NE(r.strErr.find(GetParam().pszMessage), std::string::npos) << r.strErr;
    EXPECT_FALSE(Written());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewerRenderRefuses,
    testing::Values(CBadRow{"BeyondTheSeries", "--select 1 --viewer 3", "no picture 3"},
                    CBadRow{"Group", "--select 0 --viewer 1", "only on a type with pictures"},
                    CBadRow{"NothingSelected", "--viewer 1", "only on a type with pictures"},
                    CBadRow{"Zero", "--select 1 --viewer 0", "--viewer"},
                    CBadRow{"WithExtra", "--select 1 --viewer 1 --extra", "excludes"}),
    [](const testing::TestParamInfo<CBadRow>& info) { return info.param.pszName; });

} // namespace
