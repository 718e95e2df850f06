// verlumo-db: builds, dumps and checks Verlumo databases. Each subcommand
// only parses its arguments and calls the tool library.
#include "data/databasefiles.h"
#include "platform/cfile.h"
#include "platform/cp1251.h"
#include "platform/processheap.h"
#include "platform/qt/qtmessages.h"
#include "tools/cli/commandhelp.h"
#include "tools/dbbuilder.h"
#include "tools/dbcard.h"
#include "tools/dbcheck.h"
#include "tools/dbdump.h"
#include "tools/dbextra.h"
#include "tools/dbgenerate.h"
#include "tools/dbpictures.h"
#include "tools/dbsearch.h"
#include "tools/dbsource.h"
#include "tools/dbunbuild.h"
#include "tools/htmlexport.h"
#include "tools/render/dbrender.h"
#include "tools/treeposition.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <limits>
#include <optional>
#include <unistd.h>

namespace {

constexpr int kExitBadInput = 2;

// A database directory must exist and be readable; anything else is a
// message and exit 2 before any file is touched.
bool CheckDatabaseDir(const std::string& strDir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(strDir, ec)) {
        std::cerr << "verlumo-db: " << strDir << ": no such database directory\n";
        return false;
    }
    if (::access(strDir.c_str(), R_OK | X_OK) != 0) {
        std::cerr << "verlumo-db: " << strDir << ": directory cannot be read\n";
        return false;
    }
    return true;
}

// The boundary of every command: whatever a command throws (a file that
// fails to read, memory the data asks for, a bad source) is its message on
// stderr and exit 2, after what it already printed.
template <class F> int RunCommand(const char* pszName, F&& command) {
    try {
        return command();
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "verlumo-db " << pszName << ": " << e.what() << '\n';
        return kExitBadInput;
    }
}

// The findings on stderr, the summary on stdout; exit 1 when something
// cannot come back from the source as it is.
int RunUnbuild(const std::string& strDir, const std::string& strOutDir) {
    if (!CheckDatabaseDir(strDir))
        return kExitBadInput;
    const UnbuildSummary s = UnbuildDatabase(strDir, strOutDir, std::cerr,
                                             ::isatty(STDERR_FILENO) ? &std::cerr : nullptr);
    std::cout << strOutDir << ": " << s.nTreeItems << " tree items, " << s.nTypes << " types, "
              << s.nPictures << " pictures; " << s.nLost << " cannot round trip, " << s.nNotes
              << " notes\n";
    return s.nLost ? 1 : 0;
}

int RunBuild(const std::string& strSource, const std::string& strOutDir) {
    BuildDatabase(ReadSourceFile(strSource), strOutDir);
    return 0;
}

int RunGenerate(const GenerateOptions& options, const std::string& strOutDir) {
    GenerateDatabase(options, strOutDir, ::isatty(STDERR_FILENO) ? &std::cerr : nullptr);
    return 0;
}

int RunDump(const std::string& strDir) {
    if (!CheckDatabaseDir(strDir))
        return kExitBadInput;
    CDatabaseFiles files;
    files.Open(strDir);
    DumpDatabase(files, std::cout);
    return 0;
}

int RunCheck(const std::string& strDir) {
    if (!CheckDatabaseDir(strDir))
        return kExitBadInput;
    const CheckSummary summary = CheckDatabase(strDir, std::cout);
    if (summary.nProblems == 0)
        std::cout << "consistent: ";
    else
        std::cout << summary.nProblems << (summary.nProblems == 1 ? " problem" : " problems")
                  << " found; ";
    std::cout << summary.nTypes << " types, " << summary.nTreeItems << " tree items, "
              << summary.nPictures << " pictures\n";
    return summary.nProblems == 0 ? 0 : 1;
}

// Opens the database and finds the tree item at a position; prints the
// message and returns nullopt when either is not there.
std::optional<std::int32_t> OpenAtPosition(CDatabaseFiles& files, const std::string& strDir,
                                           std::int32_t nPosition) {
    if (!CheckDatabaseDir(strDir))
        return std::nullopt;
    files.Open(strDir);
    auto item = ItemDataAtPosition(files, nPosition);
    if (!item)
        std::cerr << "verlumo-db: position " << nPosition << " is not in the tree of " << strDir
                  << '\n';
    return item;
}

int RunPictures(const std::string& strDir, std::int32_t nPosition, const std::string& strOutDir) {
    CDatabaseFiles files;
    const auto item = OpenAtPosition(files, strDir, nPosition);
    if (!item)
        return kExitBadInput;
    ExportPictures(files, *item, strOutDir, std::cerr);
    return 0;
}

int RunSearch(const std::string& strDir, const std::string& strText, bool bWholeWord,
              std::optional<std::int32_t> nFrom) {
    if (!CheckDatabaseDir(strDir))
        return kExitBadInput;
    return SearchDatabase(strDir, strText, bWholeWord, nFrom, std::cout, std::cerr);
}

int RunExtraCard(CDatabaseFiles& files, const std::string& strDir, std::int32_t nItem) {
    if (nItem < 0) {
        std::cerr << "verlumo-db card: the additional data dialog does not open on a group\n";
        return kExitBadInput;
    }
    const ExtraDataPanes panes = ReadExtraDataPanes(files, strDir, nItem);
    std::cout << ExtraDataPanesJson(panes) << '\n';
    if (!panes.strWarning.empty())
        std::cerr << "verlumo-db card: " << cp1251::ToUtf8(panes.strWarning) << '\n';
    return 0;
}

int RunCard(const std::string& strDir, std::int32_t nPosition, bool bExtra) {
    CDatabaseFiles files;
    const auto item = OpenAtPosition(files, strDir, nPosition);
    if (!item)
        return kExitBadInput;
    if (bExtra)
        return RunExtraCard(files, strDir, *item);
    if (!WriteCard(files, strDir, *item, std::cout))
        std::cerr << "verlumo-db card: "
                  << CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kCardTemplateName)
                  << " cannot be opened; the panes are empty, as in the viewer\n";
    return 0;
}

int RunExportHtml(const HtmlExportOptions& options) {
    if (!CheckDatabaseDir(options.strDir))
        return kExitBadInput;
    const HtmlExportSummary s =
        ExportHtml(options, std::cerr, ::isatty(STDERR_FILENO) ? &std::cerr : nullptr);
    std::cout << options.strOutDir << ": " << s.nTreeItems << " tree items, " << s.nTypes
              << " types, " << s.nPictures << " pictures; " << s.nFiles << " files, "
              << (s.nBytes + 512 * 1024) / (1024 * 1024) << " MiB\n";
    return 0;
}

int RunRender(const RenderRequest& request, bool bSelect) {
    if (!CheckDatabaseDir(request.strDir))
        return kExitBadInput;
    // The window builds the tree anyway; the walk that finds a position is
    // left for saying why one is not there.
    if (!bSelect || request.nSelect >= 0) {
        const int nExit = RenderMainWindow(request);
        if (nExit != kRenderNoSuchPosition)
            return nExit;
    }
    CDatabaseFiles files;
    if (!OpenAtPosition(files, request.strDir, request.nSelect))
        return kExitBadInput;
    // There after all (the files changed in between): drawn as found now.
    const int nExit = RenderMainWindow(request);
    return nExit == kRenderNoSuchPosition ? kExitBadInput : nExit;
}

} // namespace

int main(int argc, char** argv) {
    QuietRuntimeDirWarning();
    SetProcessHeap();
    CLI::App app{"verlumo-db: builds, dumps and checks Verlumo aircraft type databases.\n"
                 "A database is a directory with Strings.dat, Tree.dat, AircraftItems.dat,\n"
                 "FlightStrips.dat, Pictures.dat and the templates \"Static texts.rtf\" and\n"
                 "\"Static texts add.rtf\". Texts in JSON output are UTF-8.",
                 "verlumo-db"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("verlumo-db ") + VERLUMO_VERSION);
    // For the build: the manual's COMMANDS section and the bash completion
    // come from the help below. Hidden: an empty group.
    app.add_flag_callback(
           "--man-commands",
           [&app] {
               WriteManCommands(app, std::cout);
               throw CLI::Success();
           },
           "print the manual page's COMMANDS section (roff)")
        ->group("");
    app.add_flag_callback(
           "--bash-completion",
           [&app] {
               WriteBashCompletion(app, std::cout);
               throw CLI::Success();
           },
           "print the bash completion script")
        ->group("");

    std::string strSource, strDir, strOutDir;

    CLI::App* pBuild = app.add_subcommand(
        "build",
        "Build a database from a JSON source into DIR (the source format: sample/README.md, "
        "installed as source-format.md beside the sample's aircraft.json)");
    pBuild->add_option("SOURCE", strSource, "source file (JSON, UTF-8)")->required();
    pBuild
        ->add_option("-o,--output", strOutDir, "database directory to write (created when missing)")
        ->required()
        ->type_name("DIR");

    GenerateOptions generate;
    std::int32_t nGenerateItems = 0;
    CLI::App* pGenerate = app.add_subcommand(
        "generate", "Write a synthetic database of any size into DIR, the same for the same "
                    "options (for measuring and testing)");
    pGenerate
        ->add_option("-o,--output", strOutDir, "database directory to write (created when missing)")
        ->required()
        ->type_name("DIR");
    pGenerate->add_option("--types", generate.nTypes, "aircraft types")
        ->required()
        ->check(CLI::Range(1, std::numeric_limits<std::int32_t>::max()))
        ->type_name("N");
    CLI::Option* pGenerateItems =
        pGenerate
            ->add_option("--items", nGenerateItems,
                         "tree items, groups included (default: every type once)")
            ->check(CLI::Range(1, std::numeric_limits<std::int32_t>::max()))
            ->type_name("M");
    pGenerate->add_option("--depth", generate.nDepth, "tree levels, the types' level included")
        ->check(CLI::Range(1, kMaxGeneratedDepth))
        ->type_name("D");
    pGenerate->add_option("--pictures", generate.nPictures, "series pictures per type (0: none)")
        ->check(CLI::Range(0, kMaxGeneratedPictures))
        ->type_name("K");
    pGenerate->add_option("--seed", generate.nSeed, "seed of the generator")->type_name("S");

    CLI::App* pUnbuild = app.add_subcommand(
        "unbuild", "Write an editable source of a database (JSON and PNG pictures) that build "
                   "turns back into it; exit 1 when something cannot round trip");
    pUnbuild->add_option("DIR", strDir, "database directory")->required();
    pUnbuild->add_option("-o,--output", strOutDir, "source directory to write")
        ->required()
        ->type_name("SRC");

    CLI::App* pDump = app.add_subcommand(
        "dump", "Print the tree as the viewer builds it and every type record with its texts, "
                "as JSON");
    pDump->add_option("DIR", strDir, "database directory")->required();

    CLI::App* pCheck = app.add_subcommand(
        "check", "Report every inconsistency of a database; exit 0 only when it is consistent");
    pCheck->add_option("DIR", strDir, "database directory")->required();

    std::int32_t nPosition = -1;
    CLI::App* pPictures = app.add_subcommand(
        "pictures", "Write the pictures of the tree item at POSITION as PNG files: preview.png "
                    "when the viewer draws a preview, then 1.png ... N.png for the series");
    pPictures->add_option("DIR", strDir, "database directory")->required();
    pPictures->add_option("POSITION", nPosition, "pre-order position of the item in the tree")
        ->required();
    pPictures->add_option("-o,--output", strOutDir, "directory for the PNG files")
        ->required()
        ->type_name("OUTDIR");

    std::string strText;
    bool bWholeWord = false;
    std::int32_t nFrom = -1;
    CLI::App* pSearch = app.add_subcommand(
        "search", "Find the next type whose firm, country, model, type or name contains TEXT, as "
                  "the search dialog does: print its pre-order position (exit 0), or "
                  "\"Строка не найдена\" (exit 1)");
    pSearch->add_option("DIR", strDir, "database directory")->required();
    pSearch->add_option("TEXT", strText, "text to find (UTF-8); an empty text finds nothing")
        ->required();
    pSearch->add_flag("--whole-word", bWholeWord, "only a whole word counts");
    CLI::Option* pFrom =
        pSearch
            ->add_option(
                "--from", nFrom,
                "search from the current item: the item at POSITION is the selected one and is "
                "never "
                "reported (-1: nothing selected); without it the search starts at the first item")
            ->type_name("POSITION");

    CLI::App* pCard = app.add_subcommand(
        "card", "Print the card panes of the tree item at POSITION as the viewer shows them, "
                "as JSON (controls 1000, 1003, 1001; texts UTF-8, line ends \\r\\n)");
    pCard->add_option("DIR", strDir, "database directory")->required();
    pCard->add_option("POSITION", nPosition, "pre-order position of the item in the tree")
        ->required();
    bool bExtra = false;
    pCard->add_flag("--extra", bExtra,
                    "the additional data dialog's panes instead (controls 1008, 1001, 1003); "
                    "a group is exit 2");

    HtmlExportOptions exportHtml;
    CLI::App* pExportHtml = app.add_subcommand(
        "export-html", "Write the whole database as a static web site (tree, cards, additional "
                       "data, pictures, search) that works from a file and from any web server");
    pExportHtml->add_option("DIR", exportHtml.strDir, "database directory")->required();
    pExportHtml
        ->add_option("-o,--output", exportHtml.strOutDir,
                     "site directory to write (created when missing); open SITE/index.html")
        ->required()
        ->type_name("SITE");
    pExportHtml
        ->add_option("--title", exportHtml.strTitle,
                     "the page's title (UTF-8; default: the main window's title)")
        ->type_name("TEXT");

    // The windows beyond the main dialog come as options of their own here.
    RenderRequest render;
    CLI::App* pRender = app.add_subcommand(
        "render", "Draw the real main window offscreen, with the card of the selected item "
                  "shown, into a PNG file");
    pRender->add_option("DIR", render.strDir, "database directory")->required();
    pRender->add_option("-o,--output", render.strOutput, "PNG file to write")
        ->required()
        ->type_name("FILE.png");
    CLI::Option* pSelect =
        pRender
            ->add_option("--select", render.nSelect,
                         "pre-order position of the item to select (default: none)")
            ->type_name("POSITION");
    CLI::Option* pExtra = pRender->add_flag(
        "--extra", render.bExtra,
        "draw the additional data dialog open on the selected type (a group is exit 2)");
    CLI::Option* pSearchText = pRender
                                   ->add_option("--search", render.strSearch,
                                                "draw the search dialog open, TEXT (UTF-8) being "
                                                "the last search; nothing is searched")
                                   ->type_name("TEXT");
    pExtra->excludes(pSearchText);
    CLI::Option* pViewer =
        pRender
            ->add_option("--viewer", render.nViewer,
                         "draw the picture viewer open on picture K (from 1) of the selected "
                         "type's series; a type without picture K is exit 2")
            ->check(CLI::Range(1, std::numeric_limits<std::int32_t>::max()))
            ->type_name("K");
    pViewer->excludes(pExtra)->excludes(pSearchText);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int nCode = app.exit(e);
        return nCode == 0 ? 0 : kExitBadInput;
    }

    if (pBuild->parsed())
        return RunCommand("build", [&] { return RunBuild(strSource, strOutDir); });
    if (pGenerate->parsed()) {
        if (pGenerateItems->count())
            generate.nItems = nGenerateItems;
        return RunCommand("generate", [&] { return RunGenerate(generate, strOutDir); });
    }
    if (pUnbuild->parsed())
        return RunCommand("unbuild", [&] { return RunUnbuild(strDir, strOutDir); });
    if (pDump->parsed())
        return RunCommand("dump", [&] { return RunDump(strDir); });
    if (pCheck->parsed())
        return RunCommand("check", [&] { return RunCheck(strDir); });
    if (pPictures->parsed())
        return RunCommand("pictures", [&] { return RunPictures(strDir, nPosition, strOutDir); });
    if (pSearch->parsed())
        return RunCommand("search", [&] {
            return RunSearch(strDir, strText, bWholeWord,
                             pFrom->count() ? std::optional<std::int32_t>(nFrom) : std::nullopt);
        });
    if (pCard->parsed())
        return RunCommand("card", [&] { return RunCard(strDir, nPosition, bExtra); });
    if (pExportHtml->parsed())
        return RunCommand("export-html", [&] { return RunExportHtml(exportHtml); });
    render.bSearch = pSearchText->count() > 0;
    if (pRender->parsed())
        return RunCommand("render", [&] { return RunRender(render, pSelect->count() > 0); });
    return kExitBadInput;
}
