#include "app/rememberedposition.h"
#include "registry/key.h"
#include "support/registryfixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr const char* kSubKey = "SOFTWARE\\KORV\\Verlumo";

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
        {"REG_DWORD -2", "\"FirstItem\"=dword:fffffffe", -2},
        {"REG_SZ 17", "\"FirstItem\"=\"17\"", 17},
        {"REG_SZ 7abc", "\"FirstItem\"=\"7abc\"", 7},
        {"REG_SZ abc", "\"FirstItem\"=\"abc\"", 0},
        {"REG_SZ -1", "\"FirstItem\"=\"-1\"", -1},
        {"name in another case", "\"firstitem\"=\"4\"", 4},
        {"REG_BINARY", "\"FirstItem\"=hex:05,00,00,00", -1},
        {"REG_EXPAND_SZ", "\"FirstItem\"=hex(2):35,00", -1},
        {"short REG_DWORD", "\"FirstItem\"=hex(4):05", -1},
        {"REG_SZ without NUL", "\"FirstItem\"=hex(1):39", 9},
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

TEST_F(RememberedPositionTest, AbsentValueIsCreatedOnStoreAsText) {
    std::int32_t n = -1;
    ReadRememberedPosition(n);
    EXPECT_EQ(n, -1);
    StoreRememberedPosition(n);
    DWORD dwType = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(Query(kSubKey, "FirstItem", dwType, data), ERROR_SUCCESS);
    EXPECT_EQ(dwType, REG_SZ);
    EXPECT_EQ(data, Bytes(std::string("-1\0", 3)));
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

TEST_F(RememberedPositionTest, UnusableStoreIsSilent) {
    m_dir.WriteFile("plain", "x");
    ::setenv("VERLUMO_REGISTRY_DIR", m_dir.File("plain/registry").c_str(), 1);
    std::int32_t n = -1;
    ReadRememberedPosition(n);
    StoreRememberedPosition(12);
    ReadRememberedPosition(n);
    EXPECT_EQ(n, -1);
}

} // namespace
