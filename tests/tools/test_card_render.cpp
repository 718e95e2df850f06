// `verlumo-db card` and `verlumo-db render` end to end through the binary.
#include "platform/cp1251.h"
#include "support/dbwriter.h"
#include "support/runtool.h"
#include "support/tempdir.h"
#include "support/templates.h"

#include <QImage>
#include <QString>
#include <cstdio>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>

namespace {

std::string W(const std::string& strUtf8) {
    return *cp1251::FromUtf8(strUtf8);
}

// Group "Самолёты" (0) with the type "Ан-2" (1, record 0).
void WriteDb(const CTempDir& dir, const std::string& strTemplate) {
    CDbWriter db;
    db.AddString("");
    db.AddTreeNamed(-1, -1, W("Самолёты"));
    db.AddTreeNamed(0, 0, W("Ан-2"));
    AircraftRecord rec{};
    rec.firm = db.AddString(W("ОКБ Антонова"));
    rec.name = db.AddString(W("Кукурузник\r\n«Аннушка»"));
    rec.year = 1947;
    rec.value7 = 18.18f;
    rec.value16 = 258;
    rec.value22 = 1200;
    db.AddAircraft(rec);
    db.Write(dir.Path());
    if (!strTemplate.empty())
        dir.WriteFile("Static texts.rtf", strTemplate);
}

std::vector<std::pair<int, std::string>> Panes(const std::string& strJson) {
    std::vector<std::pair<int, std::string>> panes;
    const nlohmann::json card = nlohmann::json::parse(strJson);
    for (const auto& pane : card.at("panes"))
        panes.emplace_back(pane.at("control").get<int>(), pane.at("text").get<std::string>());
    return panes;
}

TEST(CardTool, PrintsThePanesAsTheViewerShowsThem) {
    CTempDir dir;
    WriteDb(dir, CardTemplateRtf());
    const ToolResult r = RunTool("card " + Quote(dir.Path()) + " 1");
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const auto panes = Panes(r.strOut);
    ASSERT_EQ(panes.size(), 3u) << r.strOut;
    EXPECT_EQ(panes[0].first, 1000);
    EXPECT_EQ(panes[1].first, 1003);
    EXPECT_EQ(panes[2].first, 1001);
    EXPECT_EQ(panes[0].second, "Фирма: ОКБ Антонова\r\nСтрана: -\r\nМодель: -\r\nТип: -\r\n"
                               "Название: Кукурузник\r\n«Аннушка»\r\nГод: 1947\r\n");
    EXPECT_EQ(panes[1].second.rfind("ТТХ\r\nРазмах, м: 18.18\r\nДлина, м: -\r\n", 0), 0u);
    EXPECT_TRUE(panes[2].second.ends_with("\r\nПерегоночная, км: 1200")) << panes[2].second;
}

TEST(CardTool, GroupShowsCaptionsWithEmptyValues) {
    CTempDir dir;
    WriteDb(dir, CardTemplateRtf());
    const ToolResult r = RunTool("card " + Quote(dir.Path()) + " 0");
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(Panes(r.strOut)[0].second,
              "Фирма: \r\nСтрана: \r\nМодель: \r\nТип: \r\nНазвание: \r\nГод: \r\n");
}

// Templates as other word processors write them: Unicode escapes with
// fallbacks, font tables without a Cyrillic charset, styles and destinations.
struct CTemplateRow {
    const char* pszName;
    std::string strRtf;
};

class CardToolTemplates : public testing::TestWithParam<CTemplateRow> {};

TEST_P(CardToolTemplates, GiveTheSameCard) {
    CTempDir dir;
    WriteDb(dir, GetParam().strRtf);
    const ToolResult r = RunTool("card " + Quote(dir.Path()) + " 1");
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const auto panes = Panes(r.strOut);
    EXPECT_EQ(panes[0].second, "Фирма: ОКБ Антонова\r\nСтрана: -\r\n");
    EXPECT_EQ(panes[1].second, "ТТХ\r\nРазмах: 18.18\r\n");
    EXPECT_EQ(panes[2].second, "Скорости\r\nМакс.: 258");
}

// "Фирма:", "Страна:", "ТТХ", "Размах:", "Скорости", "Макс.:" as \u escapes.
std::string U(const char* pszUtf8, const char* pszFallback) {
    std::string out;
    const QString str = QString::fromUtf8(pszUtf8);
    for (QChar ch : str) {
        if (ch.unicode() < 0x80)
            out += static_cast<char>(ch.unicode());
        else
            out += "\\u" + std::to_string(ch.unicode()) + pszFallback;
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Writers, CardToolTemplates,
    testing::Values(
        CTemplateRow{
            "LibreOfficeStyle",
            "{\\rtf1\\ansi\\deff3\\adeflang1025{\\fonttbl{\\f0\\froman\\fcharset0 Times "
            "New Roman;}{\\f3\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
            "{\\stylesheet{\\s0\\snext0 Default;}}{\\*\\generator LibreOffice/7.4}"
            "{\\info{\\title " +
                U("Шаблон", "\\'3f") + "}}\\pard\\plain\\s0\\f3\\fs20{\\b " + U("Фирма:", "\\'3f") +
                "}\\par\\pard " + U("Страна:", "\\'3f") + "\\par\\pard{\\cf1 " + U("ТТХ", "\\'3f") +
                "}\\par " + U("Размах:", "\\'3f") + "\\par " + U("Скорости", "\\'3f") + "\\par " +
                U("Макс.:", "\\'3f") + "\\par}"},
        CTemplateRow{"PandocStyle",
                     "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 \\fswiss Helvetica;}{\\f1 Courier;}}\n"
                     "{\\colortbl;\\red255\\green0\\blue0;}\n\\uc1\n{\\pard \\ql \\f0 \\sa180 " +
                         U("Фирма:", "?") + "\\par}\n{\\pard \\ql \\f0 " + U("Страна:", "?") +
                         "\\par}\n{\\pard \\ql \\f0 {\\b " + U("ТТХ", "?") + "}\\par}\n{\\pard " +
                         U("Размах:", "?") + "\\par}\n{\\pard " + U("Скорости", "?") +
                         "\\par}\n{\\pard " + U("Макс.:", "?") + "\\par}\n}"},
        CTemplateRow{"AbiWordStyle",
                     "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
                     "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0}}}"
                     "\\uc0\\pard\\plain\\f0 " +
                         U("Фирма:", "") + "\\line " + U("Страна:", "") + "\\par\\sect\\sectd " +
                         U("ТТХ", "") + "\\par " + U("Размах:", "") + "\\par " + U("Скорости", "") +
                         "\\par " + U("Макс.:", "") + "\\par}"}),
    [](const testing::TestParamInfo<CTemplateRow>& info) {
        return std::string(info.param.pszName);
    });

TEST(CardTool, MissingTemplateGivesEmptyPanesAndAWarning) {
    CTempDir dir;
    WriteDb(dir, "");
    const ToolResult r = RunTool("card " + Quote(dir.Path()) + " 1");
    EXPECT_EQ(r.nExit, 0);
    for (const auto& [nControl, strText] : Panes(r.strOut))
        EXPECT_EQ(strText, "") << nControl;
    EXPECT_NE(r.strErr.find("Static texts.rtf"), std::string::npos) << r.strErr;
}

TEST(CardTool, BadInputIsExitTwo) {
    CTempDir dir;
    WriteDb(dir, CardTemplateRtf());
    for (const std::string& strArgs :
         {std::string("card /nonexistent/verlumo 0"), "card " + Quote(dir.Path()) + " 2",
          "card " + Quote(dir.Path()) + " -1", "card " + Quote(dir.Path())}) {
        const ToolResult r = RunTool(strArgs);
        EXPECT_EQ(r.nExit, 2) << strArgs;
        EXPECT_EQ(r.strOut, "") << strArgs;
    }
    std::remove(dir.File("Strings.dat").c_str());
    const ToolResult r = RunTool("card " + Quote(dir.Path()) + " 1");
    EXPECT_EQ(r.nExit, 2);
    EXPECT_NE(r.strErr.find("Strings.dat"), std::string::npos) << r.strErr;
}

TEST(RenderTool, DrawsTheMainWindowWithTheCard) {
    CTempDir dir;
    WriteDb(dir, CardTemplateRtf());
    CTempDir out;
    const ToolResult r =
        RunTool("render " + Quote(dir.Path()) + " -o " + Quote(out.File("w.png")) + " --select 1");
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const QImage image(QString::fromStdString(out.File("w.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(686, 427));
    // The preview's inside is grey, and the values stand in blue in pane 1000.
    EXPECT_EQ(image.pixel(432 + 1 + 120, 221 + 1 + 80), qRgb(194, 194, 194));
    int nBlue = 0;
    for (int y = 11; y < 11 + 171; ++y)
        for (int x = 234; x < 234 + 215; ++x) {
            const QRgb p = image.pixel(x, y);
            nBlue += qBlue(p) > 180 && qRed(p) < 90 && qGreen(p) < 90;
        }
    EXPECT_GT(nBlue, 50);
}

TEST(RenderTool, BadInputIsExitTwo) {
    CTempDir dir;
    WriteDb(dir, CardTemplateRtf());
    CTempDir out;
    const std::string strOut = " -o " + Quote(out.File("w.png"));
    EXPECT_EQ(RunTool("render /nonexistent/verlumo" + strOut).nExit, 2);
    EXPECT_EQ(RunTool("render " + Quote(dir.Path()) + strOut + " --select 5").nExit, 2);
    EXPECT_EQ(RunTool("render " + Quote(dir.Path())).nExit, 2);
    EXPECT_EQ(
        RunTool("render " + Quote(dir.Path()) + " -o " + Quote(out.File("no/such/w.png"))).nExit,
        2);
    // Without --select nothing is selected, and that renders.
    EXPECT_EQ(RunTool("render " + Quote(dir.Path()) + strOut).nExit, 0);
}

} // namespace
