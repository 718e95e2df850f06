// The manual's COMMANDS section and the bash completion written from a
// command line's help.
#include "tools/cli/commandhelp.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct RoffCase {
    const char* pszText;
    const char* pszRoff;
};

class RoffTextTest : public testing::TestWithParam<RoffCase> {};

TEST_P(RoffTextTest, EscapesWhatRoffWouldReadAsMarkup) {
    EXPECT_EQ(RoffText(GetParam().pszText), GetParam().pszRoff);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RoffTextTest,
    testing::Values(RoffCase{".png files", "\\&.png files"},                    // a request line
                    RoffCase{"a\n'quoted", "a\n\\&'quoted"},                    // on every line
                    RoffCase{"line ends \\r\\n", "line ends \\er\\en"},         // backslash
                    RoffCase{"(-1: none), --from", "(\\-1: none), \\-\\-from"}, // minus signs
                    RoffCase{"pre-order, UTF-8", "pre-order, UTF-8"},           // hyphens stay
                    RoffCase{"Строка", "\\[u0421]\\[u0442]\\[u0440]\\[u043E]\\[u043A]\\[u0430]"},
                    RoffCase{"\xF0\x9F\x9B\xA9", "\\[u1F6E9]"})); // beyond the BMP

struct Tool {
    CLI::App app{"a tool", "my-tool"};
    std::string strDir, strOut;
    int nPosition = 0;
    bool bFast = false;

    Tool() {
        CLI::App* pRun = app.add_subcommand("run-it", "Run it on DIR");
        pRun->add_option("DIR", strDir, "database directory")->required();
        pRun->add_option("-o,--output", strOut, "file to write")->required()->type_name("FILE");
        pRun->add_option("--at", nPosition, "where to start")->type_name("POSITION");
        pRun->add_flag("--fast", bFast, "do it fast");
        pRun->add_flag("--secret", bFast, "not for users")->group("");
    }
};

TEST(CommandHelp, ManSectionShowsEachVisibleOptionWithItsValueName) {
    Tool tool;
    std::ostringstream out;
    WriteManCommands(tool.app, out);
    const std::string strMan = out.str();
    EXPECT_NE(strMan.find(".SS run-it\n"), std::string::npos);
    // Required words bare, optional ones bracketed, names typed as minus signs.
    EXPECT_NE(strMan.find("\\fBmy\\-tool run\\-it\\fR \\fIDIR\\fR \\fB\\-o\\fR \\fIFILE\\fR "
                          "[\\fB\\-\\-at\\fR \\fIPOSITION\\fR] [\\fB\\-\\-fast\\fR]\n"),
              std::string::npos)
        << strMan;
    EXPECT_NE(strMan.find(".TP\n\\fB\\-o\\fR, \\fB\\-\\-output\\fR \\fIFILE\\fR\nfile to write.\n"),
              std::string::npos);
    EXPECT_NE(strMan.find(".TP\n\\fB\\-\\-fast\\fR\ndo it fast.\n"), std::string::npos);
    EXPECT_EQ(strMan.find("secret"), std::string::npos);
    EXPECT_EQ(strMan.find("help"), std::string::npos);
}

TEST(CommandHelp, CompletionTypesPositionsAndCompletesPaths) {
    Tool tool;
    std::ostringstream out;
    WriteBashCompletion(tool.app, out);
    const std::string strScript = out.str();
    EXPECT_NE(strScript.find("_my_tool() {"), std::string::npos);
    EXPECT_NE(strScript.find("complete -F _my_tool my-tool\n"), std::string::npos);
    EXPECT_NE(strScript.find("options=\"--help -o --output --at --fast\""), std::string::npos)
        << strScript;
    EXPECT_NE(strScript.find("typed=\"--at\""), std::string::npos) << strScript;
    EXPECT_EQ(strScript.find("secret"), std::string::npos);
}

} // namespace
