// The boundary every window message of the viewer runs inside: nothing a
// handler throws may reach Qt's event loop, and the user hears of each fault.
#include "platform/qt/messageboundary.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class MessageBoundaryTest : public testing::Test {
protected:
    void SetUp() override {
        m_report.m_sink = [this](const std::string&, const std::string& strText) {
            m_shown.push_back(strText);
        };
    }
    CFileErrorReport m_report;
    std::vector<std::string> m_shown;
};

TEST_F(MessageBoundaryTest, FileErrorsAreShownOncePerFile) {
    auto readFails = [](const char* pszFile) {
        return [=] { throw CFileException(CFileException::readError, pszFile, "read"); };
    };
    HandleMessage(&m_report, readFails("Tree.dat"));
    HandleMessage(&m_report, readFails("Tree.dat"));
    HandleMessage(&m_report, readFails("Strings.dat"));
    ASSERT_EQ(m_shown.size(), 2u);
    EXPECT_NE(m_shown[0].find("Tree.dat"), std::string::npos);
    EXPECT_NE(m_shown[1].find("Strings.dat"), std::string::npos);
}

TEST_F(MessageBoundaryTest, OtherExceptionsAreShownEachTime) {
    HandleMessage(&m_report, [] { throw std::bad_alloc(); });
    HandleMessage(&m_report, [] { throw std::bad_alloc(); });
    HandleMessage(&m_report, [] { throw std::length_error("basic_string::_M_create"); });
    ASSERT_EQ(m_shown.size(), 3u);
    EXPECT_EQ(m_shown[0], "Недостаточно памяти: действие прервано.");
    EXPECT_EQ(m_shown[1], m_shown[0]);
    EXPECT_NE(m_shown[2].find("basic_string::_M_create"), std::string::npos);
}

TEST_F(MessageBoundaryTest, TheRestOfTheHandlerIsSkippedAndNothingEscapes) {
    bool bAfter = false;
    EXPECT_NO_THROW(HandleMessage(&m_report, [&] {
        throw std::runtime_error("x");
        bAfter = true;
    }));
    EXPECT_FALSE(bAfter);
    // Without a report (a dialog opened by no application) it stays silent.
    EXPECT_NO_THROW(HandleMessage(nullptr, [] { throw std::bad_alloc(); }));
    HandleMessage(&m_report, [&] { bAfter = true; });
    EXPECT_TRUE(bAfter);
    EXPECT_EQ(m_shown.size(), 1u);
}

} // namespace
