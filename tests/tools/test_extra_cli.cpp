// `verlumo-db card --extra`, `render --extra` and `render --search` through
// the binary: what the user types, what comes out.
#include "platform/cp1251.h"
#include "support/dbwriter.h"
#include "support/runtool.h"
#include "support/tempdir.h"
#include "support/templates.h"

#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>

namespace {

std::string W(const std::string& strUtf8) {
    return *cp1251::FromUtf8(strUtf8);
}

// 0 Самолёты (group), 1 Ан-12 (record 0: two strip rows, then a row past
// the end of FlightStrips.dat).
void WriteExtraDb(const CTempDir& dir) {
    CDbWriter db;
    db.AddString("");
    db.AddTreeNamed(-1, -1, W("Самолёты"));
    db.AddTreeNamed(0, 0, W("Ан-12"));
    AircraftRecord rec{};
    rec.firm = db.AddString(W("ОКБ Антонова"));
    rec.firstStrip = 0;
    rec.stripCount = 3;
    db.AddAircraft(rec);
    db.AddStrip(0, 550, 3600);
    db.AddStrip(7000, 670, 0);
    db.Write(dir.Path());
    dir.WriteFile("Static texts.rtf", CardTemplateRtf());
    dir.WriteFile("Static texts add.rtf", ExtraTemplateRtf());
}

TEST(ExtraCli, CardExtraGivesTheDialogsPanesInItsOrder) {
    CTempDir dir;
    WriteExtraDb(dir);
    const ToolResult r = RunTool("card " + Quote(dir.Path()) + " 1 --extra");
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "");
    const nlohmann::json card = nlohmann::json::parse(r.strOut);
    const auto& panes = card.at("panes");
    ASSERT_EQ(panes.size(), 3u);
    EXPECT_EQ(panes[0]["control"], 1008);
    EXPECT_EQ(panes[1]["control"], 1001);
    EXPECT_EQ(panes[2]["control"], 1003);
    // The table ends at the row that cannot be read; a 0 shows "-".
    EXPECT_EQ(panes[0]["text"], "Лётные данные по высотам\r\nВысота\tСкорость\tДальность\r\n"
                                "-\t550\t3600\r\n7000\t670\t-\r\n");
    EXPECT_EQ(panes[1]["text"].get<std::string>().rfind("Скорости\r\nКрейсерская: -\r\n", 0), 0u);
}

TEST(ExtraCli, CardExtraOnAGroupAndRenderExtraOnAGroupAreExitTwo) {
    CTempDir dir;
    WriteExtraDb(dir);
    const ToolResult card = RunTool("card " + Quote(dir.Path()) + " 0 --extra");
    EXPECT_EQ(card.nExit, 2);
    EXPECT_EQ(card.strOut, "");
    EXPECT_NE(card.strErr.find("group"), std::string::npos) << card.strErr;
    const std::string strPng = dir.File("extra.png");
    const ToolResult render =
        RunTool("render " + Quote(dir.Path()) + " -o " + Quote(strPng) + " --select 0 --extra");
    EXPECT_EQ(render.nExit, 2);
    EXPECT_TRUE(QImage(QString::fromStdString(strPng)).isNull());
}

TEST(ExtraCli, RenderDrawsTheDialogOverTheMainWindow) {
    CTempDir dir;
    WriteExtraDb(dir);
    const std::string strMain = dir.File("main.png");
    ASSERT_EQ(
        RunTool("render " + Quote(dir.Path()) + " -o " + Quote(strMain) + " --select 1").nExit, 0);
    const QImage main(QString::fromStdString(strMain));
    for (const std::string strWhich : {"--extra", "--search 'Ан 12'"}) {
        const std::string strPng = dir.File("dialog.png");
        const ToolResult r = RunTool("render " + Quote(dir.Path()) + " -o " + Quote(strPng) +
                                     " --select 1 " + strWhich);
        ASSERT_EQ(r.nExit, 0) << strWhich << r.strErr;
        const QImage image(QString::fromStdString(strPng));
        ASSERT_FALSE(image.isNull()) << strWhich;
        // Not the plain main window: the dialog covers part of it.
        EXPECT_GE(image.width(), main.width()) << strWhich;
        EXPECT_NE(image.convertToFormat(QImage::Format_ARGB32).copy(main.rect()),
                  main.convertToFormat(QImage::Format_ARGB32))
            << strWhich;
    }
    EXPECT_NE(RunTool("render " + Quote(dir.Path()) + " -o x.png --extra --search a").nExit, 0);
}

} // namespace
