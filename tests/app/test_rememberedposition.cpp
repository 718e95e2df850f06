#include "app/rememberedposition.h"
#include "support/registryfixture.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class RememberedPositionTest : public RegistryTest {};

std::string StoreWith(const std::string& strValueLine) {
    return "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n" + strValueLine +
           "\r\n\r\n";
}

struct Row {
    const char* pszWhat;
    const char* pszValueLine; // null: no store file at all
    std::int32_t nExpected;
};

TEST_F(RememberedPositionTest, ReadsEveryStoredForm) {
    const Row rows[] = {
        {"no file", nullptr, -1},
        {"no value", "\"Other\"=\"3\"", -1},
        {"REG_DWORD 5", "\"FirstItem\"=dword:00000005", 5},
        {"REG_SZ 17", "\"FirstItem\"=\"17\"", 17},
        {"name in another case", "\"firstitem\"=\"4\"", 4},
        {"REG_BINARY", "\"FirstItem\"=hex:05,00,00,00", -1},
        {"corrupt file", "\"FirstItem\"=\"5", -1},
    };
    for (const auto& row : rows) {
        if (row.pszValueLine)
            WriteStore(StoreWith(row.pszValueLine));
        std::int32_t n = -1;
        ReadRememberedPosition(n);
        EXPECT_EQ(n, row.nExpected) << row.pszWhat;
    }
}

TEST_F(RememberedPositionTest, StoreReplacesAnyTypeWithText) {
    for (const char* pszLine :
         {"\"FirstItem\"=dword:00000005", "\"FirstItem\"=hex:01", "\"FIRSTITEM\"=\"8\""}) {
        WriteStore(StoreWith("\"Keep\"=\"me\"\r\n" + std::string(pszLine)));
        std::int32_t n = -1;
        ReadRememberedPosition(n);
        StoreRememberedPosition(n == -1 ? 23 : n);
        const std::string text = StoreText();
        EXPECT_EQ(text.find("dword"), std::string::npos) << pszLine;
        EXPECT_EQ(text.find("hex"), std::string::npos) << pszLine;
        EXPECT_NE(text.find("\"Keep\"=\"me\"\r\n"), std::string::npos) << pszLine;
        std::int32_t nBack = -1;
        ReadRememberedPosition(nBack);
        EXPECT_EQ(nBack, n == -1 ? 23 : n) << pszLine;
    }
    // The value keeps its first spelling.
    EXPECT_NE(StoreText().find("\"FIRSTITEM\"=\"8\""), std::string::npos);
}

// The read is where a store the viewer cannot use is told: once, naming the
// file and the cause; a missing or sound file says nothing.
TEST_F(RememberedPositionTest, UnusableStoreIsReportedOnceByTheRead) {
    const struct {
        const char* pszWhat;
        const char* pszText; // null: no store file at all
        const char* pszCause;
    } rows[] = {
        {"no file", nullptr, nullptr},
        {"sound file", "REGEDIT4\r\n\r\n", nullptr},
        {"empty file", "", "is empty"},
        {"no header", "[HKEY_LOCAL_MACHINE]\r\n", "is not a registry file"},
    };
    for (const auto& row : rows) {
        if (row.pszText)
            WriteStore(row.pszText);
        testing::internal::CaptureStderr();
        std::int32_t n = -1;
        ReadRememberedPosition(n);
        StoreRememberedPosition(3);
        const std::string strErr = testing::internal::GetCapturedStderr();
        if (!row.pszCause) {
            EXPECT_EQ(strErr, "") << row.pszWhat;
            continue;
        }
        EXPECT_NE(strErr.find(m_dir.File(kFile) + " " + row.pszCause), std::string::npos)
            << row.pszWhat << ": " << strErr;
        EXPECT_EQ(strErr.find('\n'), strErr.size() - 1) << row.pszWhat << ": " << strErr;
        // The file stays as the user left it.
        EXPECT_EQ(StoreText(), row.pszText) << row.pszWhat;
    }
}

} // namespace
