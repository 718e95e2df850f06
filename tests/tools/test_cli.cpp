#include "support/dbwriter.h"
#include "support/runtool.h"
#include "support/tempdir.h"
#include "support/templates.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>

namespace {

using Result = ToolResult;

TEST(Cli, HelpNamesEveryCommand) {
    const Result r = RunTool("--help");
    EXPECT_EQ(r.nExit, 0);
    for (const char* psz : {"build", "dump", "check"})
        EXPECT_NE(r.strOut.find(psz), std::string::npos) << psz;
    for (const char* psz : {"build", "dump", "check"})
        EXPECT_EQ(RunTool(std::string(psz) + " --help").nExit, 0) << psz;
}

TEST(Cli, MissingDirectoryIsExitTwoWithAMessage) {
    for (const char* psz : {"dump", "check"}) {
        const Result r = RunTool(std::string(psz) + " /nonexistent/verlumo");
        EXPECT_EQ(r.nExit, 2) << psz;
        EXPECT_EQ(r.strOut, "");
        EXPECT_NE(r.strErr.find("/nonexistent/verlumo"), std::string::npos) << r.strErr;
    }
    EXPECT_EQ(RunTool("").nExit, 2);
    EXPECT_EQ(RunTool("frobnicate").nExit, 2);
}

TEST(Cli, BuildDumpCheck) {
    CTempDir src;
    src.WriteFile("card.rtf", CardTemplateRtf());
    src.WriteFile("extra.rtf", ExtraTemplateRtf());
    src.WriteFile("db.json", R"({"templates": {"card": "card.rtf", "extra": "extra.rtf"},
        "tree": [{"caption": "Самолёты", "children": [
                    {"caption": "Ан-2", "type": {"firm": "ОКБ Антонова", "crew": 2}}]}]})");
    CTempDir out;
    const std::string strDb = out.File("db");
    Result r = RunTool("build " + Quote(src.File("db.json")) + " -o " + Quote(strDb));
    ASSERT_EQ(r.nExit, 0) << r.strErr;

    r = RunTool("dump " + Quote(strDb));
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const auto dump = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(dump["tree"][1]["caption"], "Ан-2");
    EXPECT_EQ(dump["types"][0]["slots"][0], "ОКБ Антонова");

    r = RunTool("check " + Quote(strDb));
    EXPECT_EQ(r.nExit, 0) << r.strOut;
    EXPECT_NE(r.strOut.find("consistent: 1 types, 2 tree items"), std::string::npos) << r.strOut;

    std::remove((strDb + "/Strings.dat").c_str());
    r = RunTool("check " + Quote(strDb));
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strOut.find("Strings.dat: missing"), std::string::npos) << r.strOut;
    r = RunTool("dump " + Quote(strDb));
    EXPECT_EQ(r.nExit, 2);
    EXPECT_NE(r.strErr.find("Strings.dat"), std::string::npos) << r.strErr;
}

TEST(Cli, BuildErrorNamesTheField) {
    CTempDir src;
    src.WriteFile("db.json", R"({"tree": [{"caption": "a", "type": {"notes": "x²"}}]})");
    const Result r = RunTool("build " + Quote(src.File("db.json")) + " -o " + Quote(src.File("o")));
    EXPECT_EQ(r.nExit, 2);
    EXPECT_NE(r.strErr.find("tree[0].type.notes"), std::string::npos) << r.strErr;
}

} // namespace
