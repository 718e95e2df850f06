// The application shell without a window: command line, single instance,
// the report of file errors.
#include "app/appcommandlineinfo.h"
#include "platform/fileerrorreport.h"
#include "platform/singleinstance.h"
#include "support/tempdir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct CArgsRow {
    std::vector<std::string> args; // without the program name
    bool bTopMost;
};

void PrintTo(const CArgsRow& row, std::ostream* pOut) {
    for (const std::string& s : row.args)
        *pOut << '[' << s << ']';
}

class TopMostFlag : public testing::TestWithParam<CArgsRow> {};

TEST_P(TopMostFlag, LastArgumentDecides) {
    std::vector<std::string> args{"verlumo"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    CAppCommandLineInfo info;
    info.ParseCommandLine(args);
    EXPECT_EQ(info.m_bTopMost, GetParam().bTopMost);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, TopMostFlag,
    testing::Values(CArgsRow{{}, false}, CArgsRow{{"/tm"}, true}, CArgsRow{{"-tm"}, true},
                    CArgsRow{{"/TM"}, false}, CArgsRow{{"tm"}, false}, CArgsRow{{"/tmx"}, false},
                    CArgsRow{{"-"}, false}, CArgsRow{{""}, false}, CArgsRow{{"x", "/tm"}, true},
                    CArgsRow{{"/tm", "x"}, false}, CArgsRow{{"/tm", "/y"}, false}));

// Points the lock at a directory of the test's own.
class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override {
        const char* psz = std::getenv("XDG_RUNTIME_DIR");
        m_bHadRuntime = psz != nullptr;
        if (psz)
            m_strOldRuntime = psz;
        ::setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
    }
    void TearDown() override {
        if (m_bHadRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_strOldRuntime.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    CTempDir m_dir;
    bool m_bHadRuntime = false;
    std::string m_strOldRuntime;
};

TEST_F(SingleInstanceTest, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    EXPECT_EQ(CSingleInstance::LockPath(), m_dir.File("verlumo.lock"));
    CSingleInstance first, second;
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(first.Acquire()); // holding it already
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_TRUE(second.Acquire());
    EXPECT_TRUE(second.IsHeld());
}

TEST_F(SingleInstanceTest, LockGoesWithTheObject) {
    {
        CSingleInstance first;
        ASSERT_TRUE(first.Acquire());
    }
    CSingleInstance second;
    EXPECT_TRUE(second.Acquire());
}

TEST_F(SingleInstanceTest, WithoutAUsableRuntimeDirectoryTheLockIsInTmp) {
    ::setenv("XDG_RUNTIME_DIR", "relative/dir", 1);
    EXPECT_EQ(CSingleInstance::LockPath().rfind("/tmp/verlumo-", 0), 0u);
    ::setenv("XDG_RUNTIME_DIR", m_dir.File("missing").c_str(), 1);
    EXPECT_EQ(CSingleInstance::LockPath().rfind("/tmp/verlumo-", 0), 0u);
}

TEST_F(SingleInstanceTest, LockFileThatCannotBeMadeGuardsNothing) {
    // A directory where the lock file would be: the start goes on.
    ASSERT_EQ(::mkdir(m_dir.File("verlumo.lock").c_str(), 0700), 0);
    CSingleInstance first, second;
    EXPECT_TRUE(first.Acquire());
    EXPECT_TRUE(second.Acquire());
    EXPECT_FALSE(first.IsHeld());
}

TEST(FileErrorReport, EachFileOncePerRun) {
    std::vector<std::string> shown;
    CFileErrorReport report;
    report.m_strTitle = "Verlumo";
    report.m_sink = [&](const std::string& strTitle, const std::string& strText) {
        shown.push_back(strTitle + "|" + strText);
    };
    const CFileException strings(CFileException::fileNotOpen, "Strings.dat", "x");
    const CFileException tree(CFileException::readError, "Tree.dat", "y");
    EXPECT_TRUE(report.Report(strings));
    EXPECT_FALSE(report.Report(strings));
    EXPECT_TRUE(report.Report(tree));
    EXPECT_FALSE(report.Report(CFileException(CFileException::badSeek, "Tree.dat", "z")));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].rfind("Verlumo|", 0), 0u);
    EXPECT_NE(shown[0].find("«Strings.dat»"), std::string::npos);
    EXPECT_NE(shown[0].find("не удалось открыть"), std::string::npos);
    EXPECT_NE(shown[1].find("«Tree.dat»"), std::string::npos);
    EXPECT_NE(shown[1].find("ошибка чтения"), std::string::npos);
    EXPECT_TRUE(report.WasReported("Strings.dat"));
    EXPECT_FALSE(report.WasReported("Pictures.dat"));
}

TEST(FileErrorReport, EveryCauseHasRussianWords) {
    for (auto cause : {CFileException::none, CFileException::fileNotOpen, CFileException::badSeek,
                       CFileException::readError}) {
        const std::string strText = CFileErrorReport::Message(CFileException(cause, "", "w"));
        EXPECT_NE(strText.find("(без имени)"), std::string::npos) << strText;
        EXPECT_EQ(strText.find('w'), std::string::npos) << "the English text stays out";
    }
}

} // namespace
