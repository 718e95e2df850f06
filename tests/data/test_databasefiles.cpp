// A start in the wrong directory, or with files missing: every file that
// cannot be opened is named once, with its cause, before anything reads it.
#include "data/databasefiles.h"
#include "platform/fileerrorreport.h"
#include "support/tempdir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<std::string, int>> Unopened(const CDatabaseFiles& files,
                                                  const std::string& strDir) {
    std::vector<std::pair<std::string, int>> result;
    for (const auto& file : files.UnopenedFiles(strDir))
        result.emplace_back(file.strPath, file.nError);
    return result;
}

TEST(UnopenedFiles, NamesEachMissingFileWithItsCauseInTheOrderOfOpening) {
    CTempDir dir;
    for (const char* pszName :
         {"Strings.dat", "AircraftItems.dat", "FlightStrips.dat", "Static texts add.rtf"})
        dir.WriteFile(pszName, "");
    std::filesystem::create_directory(dir.File("Pictures.dat"));
    CDatabaseFiles files;
    files.Open(dir.Path());
    const std::vector<std::pair<std::string, int>> expected = {
        {dir.File("Tree.dat"), ENOENT},
        {dir.File("Pictures.dat"), EISDIR},
        {dir.File("Static texts.rtf"), ENOENT},
    };
    EXPECT_EQ(Unopened(files, dir.Path()), expected);

    // An empty directory: all seven, so a start in the wrong place is told.
    CTempDir empty;
    CDatabaseFiles none;
    none.Open(empty.Path());
    EXPECT_EQ(Unopened(none, empty.Path()).size(), 7u);
}

TEST(UnopenedFiles, OneWarningForAllAndNoSecondOneWhenTheFileIsRead) {
    CFileErrorReport report;
    std::vector<std::string> shown;
    report.m_sink = [&](const std::string&, const std::string& strText) {
        shown.push_back(strText);
    };
    report.ReportUnopened({});
    EXPECT_TRUE(shown.empty());

    report.ReportUnopened({{"Tree.dat", ENOENT}, {"Pictures.dat", EISDIR}});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Не удалось открыть файлы базы данных:\n"
                        "«Tree.dat»: файла нет;\n"
                        "«Pictures.dat»: это не обычный файл.\n"
                        "Без них часть данных не будет показана.");
    EXPECT_FALSE(report.Report(CFileException(CFileException::fileNotOpen, "Tree.dat", "")));
    EXPECT_TRUE(report.Report(CFileException(CFileException::readError, "Strings.dat", "")));
    EXPECT_EQ(shown.size(), 2u);
}

} // namespace
