#include "app/rememberedposition.h"
#include "platform/regfile.h"
#include "platform/registrystore.h"
#include "registry/key.h"
#include "support/registryfixture.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using regfile::CHive;

constexpr const char* kRoot = "HKEY_LOCAL_MACHINE";

class StoreTest : public RegistryTest {};

// A literal with the NULs inside it.
template <std::size_t N> std::string Lit(const char (&sz)[N]) {
    return std::string(sz, N - 1);
}

LONG SetValue(const char* pszKey, const char* pszName, DWORD dwType, const std::string& data) {
    HKEY hKey = nullptr;
    LONG n = RegCreateKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &hKey, nullptr);
    if (n != ERROR_SUCCESS)
        return n;
    n = RegSetValueExA(hKey, pszName, 0, dwType, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
    RegCloseKey(hKey);
    return n;
}

// The value as a fresh parse of the file gives it, bypassing every cache.
std::optional<regfile::Value> ValueInFile(const std::string& text, const char* pszKey,
                                          const char* pszName) {
    const auto hive = regfile::Parse(text, kRoot);
    if (!hive)
        return std::nullopt;
    const std::size_t nKey = hive->FindKey(pszKey);
    if (nKey == CHive::npos)
        return std::nullopt;
    const std::size_t nValue = hive->FindValue(nKey, pszName);
    if (nValue == CHive::npos)
        return std::nullopt;
    return hive->Values(nKey)[nValue];
}

// ---- The text format --------------------------------------------------------------

TEST_F(StoreTest, WritesWhatTheRegistryEditorExports) {
    StoreRememberedPosition(-1);
    EXPECT_EQ(StoreText(), "REGEDIT4\r\n"
                           "\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
                           "\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV]\r\n"
                           "\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n"
                           "\"FirstItem\"=\"-1\"\r\n"
                           "\r\n");
}

struct RoundTripRow {
    const char* pszWhat;
    const char* pszName;
    DWORD dwType;
    std::string data;
    const char* pszLine; // the value's line in the file; null: not checked
};

TEST_F(StoreTest, EveryTypeRoundTripsThroughTheFile) {
    const RoundTripRow rows[] = {
        {"text", "FirstItem", REG_SZ, std::string("17\0", 3), "\"FirstItem\"=\"17\""},
        {"quotes and backslashes", "a\"b\\c", REG_SZ, std::string("C:\\\"x\"\\\0", 8),
         "\"a\\\"b\\\\c\"=\"C:\\\\\\\"x\\\"\\\\\""},
        {"cp1251", "\xD2\xF3-154\xCC \xB8", REG_SZ, std::string("\xC0\xFF\xA8\xB8\x98\0", 6),
         "\"\xD2\xF3-154\xCC \xB8\"=\"\xC0\xFF\xA8\xB8\x98\""},
        {"empty text", "e", REG_SZ, std::string("\0", 1), "\"e\"=\"\""},
        {"no NUL", "nonul", REG_SZ, "ab", "\"nonul\"=hex(1):61,62"},
        {"no data", "nodata", REG_SZ, "", "\"nodata\"=hex(1):"},
        {"inner NUL", "inner", REG_SZ, std::string("a\0b\0", 4), "\"inner\"=hex(1):61,00,62,00"},
        {"line break", "crlf", REG_SZ, std::string("a\r\nb\0", 5), nullptr},
        {"dword", "d", REG_DWORD, std::string("\x0a\0\0\0", 4), "\"d\"=dword:0000000a"},
        {"dword high", "dh", REG_DWORD, "\x78\x56\x34\xF2", "\"dh\"=dword:f2345678"},
        {"short dword", "ds", REG_DWORD, "\x01\x02", "\"ds\"=hex(4):01,02"},
        {"binary", "b", REG_BINARY, std::string("\x01\x02\0\xff", 4), "\"b\"=hex:01,02,00,ff"},
        {"empty binary", "be", REG_BINARY, "", "\"be\"=hex:"},
        {"expand", "x", REG_EXPAND_SZ, std::string("%P%\0", 4), "\"x\"=hex(2):25,50,25,00"},
        {"multi", "m", REG_MULTI_SZ, std::string("a\0b\0\0", 5), "\"m\"=hex(7):61,00,62,00,00"},
        {"none", "n", REG_NONE, "", "\"n\"=hex(0):"},
        {"odd type", "t", 0x12345678, "\x7f", "\"t\"=hex(12345678):7f"},
        {"default value", "", REG_SZ, std::string("def\0", 4), "@=\"def\""},
        {"long binary", "long", REG_BINARY, std::string(300, '\x5a'), nullptr},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(SetValue(kSubKey, row.pszName, row.dwType, row.data), ERROR_SUCCESS)
            << row.pszWhat;
    }
    const std::string text = StoreText();
    for (const auto& row : rows) {
        DWORD dwType = 0;
        std::vector<BYTE> data;
        ASSERT_EQ(Query(kSubKey, row.pszName, dwType, data), ERROR_SUCCESS) << row.pszWhat;
        EXPECT_EQ(dwType, row.dwType) << row.pszWhat;
        EXPECT_EQ(data, Bytes(row.data)) << row.pszWhat;
        const auto inFile = ValueInFile(text, kSubKey, row.pszName);
        ASSERT_TRUE(inFile) << row.pszWhat;
        EXPECT_EQ(inFile->dwType, row.dwType) << row.pszWhat;
        EXPECT_EQ(inFile->data, Bytes(row.data)) << row.pszWhat;
        if (row.pszLine) {
            EXPECT_NE(text.find(std::string("\r\n") + row.pszLine + "\r\n"), std::string::npos)
                << row.pszWhat << "\n"
                << text;
        }
    }
    // Long hex data is continued with a backslash, no line past 80 columns.
    std::size_t nAt = 0;
    int nContinued = 0;
    while (nAt < text.size()) {
        const std::size_t nEnd = text.find("\r\n", nAt);
        ASSERT_NE(nEnd, std::string::npos);
        EXPECT_LE(nEnd - nAt, 80u) << text.substr(nAt, nEnd - nAt);
        nContinued += nEnd > nAt && text[nEnd - 1] == '\\';
        nAt = nEnd + 2;
    }
    EXPECT_GE(nContinued, 11);
    // CRLF throughout.
    std::size_t nLf = 0, nCrLf = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        nLf += text[i] == '\n';
        nCrLf += text[i] == '\n' && i > 0 && text[i - 1] == '\r';
    }
    EXPECT_EQ(nLf, nCrLf);
}

TEST_F(StoreTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    ASSERT_EQ(SetValue("Software\\\xCA\xEE\xF0\xE2", "\xC0\xC1 Value", REG_SZ, "1"), ERROR_SUCCESS);
    // Upper-case cp1251 letters name the same key and value.
    ASSERT_EQ(SetValue("SOFTWARE\\\xEA\xEE\xF0\xE2", "\xE0\xE1 vALUE", REG_SZ, "2"), ERROR_SUCCESS);
    const std::string text = StoreText();
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\\xCA\xEE\xF0\xE2]\r\n"
                        "\"\xC0\xC1 Value\"=hex(1):32\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("SOFTWARE"), std::string::npos);
    DWORD dwType = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(Query("software\\\xCA\xCE\xD0\xC2", "\xC0\xC1 VALUE", dwType, data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes("2"));
}

TEST_F(StoreTest, ValuesEnumerateInFirstWrittenOrder) {
    for (const char* psz : {"b", "A", "c", "a", "B"})
        ASSERT_EQ(SetValue(kSubKey, psz, REG_SZ, psz), ERROR_SUCCESS);
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSubKey, 0, KEY_READ, &hKey), ERROR_SUCCESS);
    const std::pair<const char*, const char*> expected[] = {{"b", "B"}, {"A", "a"}, {"c", "c"}};
    for (DWORD i = 0; i < 3; ++i) {
        char szName[8];
        DWORD cchName = sizeof szName;
        BYTE data[8];
        DWORD cbData = sizeof data;
        DWORD dwType = 0;
        ASSERT_EQ(RegEnumValueA(hKey, i, szName, &cchName, nullptr, &dwType, data, &cbData),
                  ERROR_SUCCESS);
        EXPECT_STREQ(szName, expected[i].first);
        EXPECT_EQ(cchName, 1u);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), cbData), expected[i].second);
    }
    char szName[8];
    DWORD cchName = sizeof szName;
    EXPECT_EQ(RegEnumValueA(hKey, 3, szName, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(hKey);
}

struct ParseRow {
    const char* pszWhat;
    std::string text;
    const char* pszKey;
    const char* pszName;
    std::string data; // of the value named; type checked only through the bytes
};

TEST(RegFile, AcceptsHandEditedFiles) {
    const ParseRow rows[] = {
        {"LF line ends", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\"\n", "A", "v",
         std::string("x\0", 2)},
        {"no blank lines, no final line end", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"x\"",
         "A", "v", std::string("x\0", 2)},
        {"trailing blanks and comments",
         "REGEDIT4  \r\n; note\r\n[HKEY_LOCAL_MACHINE\\A]\t\r\n\"v\"=\"x\" \r\n", "A", "v",
         std::string("x\0", 2)},
        {"blanks around =", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\" =\t\"x\"\n", "A", "v",
         std::string("x\0", 2)},
        {"root in any case", "REGEDIT4\n[hkey_local_machine\\A]\n\"v\"=dword:1\n", "A", "v",
         std::string("\1\0\0\0", 4)},
        {"upper-case prefixes", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=DWORD:FFFFFFFF\n", "A",
         "v", "\xFF\xFF\xFF\xFF"},
        {"continued hex",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=hex:01,02,\\\r\n  03,\\\r\n\t04\r\n", "A",
         "v", "\x01\x02\x03\x04"},
        {"hex with blanks and a final comma",
         "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex(2): 1 , a,\n", "A", "v", "\x01\x0a"},
        {"duplicate sections merge",
         "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"1\"\n[HKEY_LOCAL_MACHINE\\a]\n\"V\"=\"2\"\n",
         "A", "v", std::string("2\0", 2)},
        {"parent implied", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B\\C]\n", "A\\B", nullptr, ""},
        {"root values", "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n@=\"r\"\n", "", "", std::string("r\0", 2)},
        {"key name with brackets", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]b]\n\"v\"=\"x\"\n", "a]b", "v",
         std::string("x\0", 2)},
        {"empty file", "REGEDIT4", "", nullptr, ""},
    };
    for (const auto& row : rows) {
        const auto hive = regfile::Parse(row.text, kRoot);
        ASSERT_TRUE(hive) << row.pszWhat;
        const std::size_t nKey = hive->FindKey(row.pszKey);
        ASSERT_NE(nKey, CHive::npos) << row.pszWhat;
        if (row.pszName) {
            const std::size_t nValue = hive->FindValue(nKey, row.pszName);
            ASSERT_NE(nValue, CHive::npos) << row.pszWhat;
            EXPECT_EQ(hive->Values(nKey)[nValue].data, Bytes(row.data)) << row.pszWhat;
        }
        // What was read is written back and reads the same.
        const auto text = regfile::Serialize(*hive, kRoot);
        ASSERT_TRUE(text);
        const auto again = regfile::Parse(*text, kRoot);
        ASSERT_TRUE(again) << row.pszWhat;
        EXPECT_TRUE(*again == *hive) << row.pszWhat;
    }
}

TEST(RegFile, RejectsBrokenFiles) {
    const std::string strKey = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n";
    auto value = [&](const std::string& strLine) { return strKey + strLine + "\r\n"; };
    const std::pair<const char*, std::string> rows[] = {
        {"nothing", ""},
        {"no header", "[HKEY_LOCAL_MACHINE\\A]\r\n"},
        {"other header", "Windows Registry Editor Version 5.00\r\n"},
        {"header with BOM", "\xEF\xBB\xBFREGEDIT4\r\n"},
        {"value before a section", "REGEDIT4\r\n\"v\"=\"x\"\r\n"},
        {"other root", "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n"},
        {"deletion of a key", "REGEDIT4\r\n[-HKEY_LOCAL_MACHINE\\A]\r\n"},
        {"unclosed section", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A\r\n"},
        {"empty key name", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n"},
        {"trailing backslash", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A\\]\r\n"},
        {"NUL in a key", Lit("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A\0]\r\n")},
        {"deletion of a value", value("\"v\"=-")},
        {"unterminated string", value("\"v\"=\"x")},
        {"unknown escape", value("\"v\"=\"C:\\x\"")},
        {"text after the string", value("\"v\"=\"x\"y")},
        {"no =", value("\"v\" \"x\"")},
        {"unquoted name", value("v=\"x\"")},
        {"NUL in a name", value(Lit("\"a\0b\"=\"\""))},
        {"dword of nine digits", value("\"v\"=dword:000000001")},
        {"dword not hex", value("\"v\"=dword:0x1")},
        {"empty dword", value("\"v\"=dword:")},
        {"three-digit byte", value("\"v\"=hex:001")},
        {"double comma", value("\"v\"=hex:01,,02")},
        {"bad type", value("\"v\"=hex(x):01")},
        {"type too large", value("\"v\"=hex(123456789):")},
        {"no colon", value("\"v\"=hex(1)01")},
        {"continuation at the end", value("\"v\"=hex:01,\\")},
        {"unknown data", value("\"v\"=str:x")},
        {"too large", "REGEDIT4\r\n;" + std::string(regfile::kMaxFileSize, 'x')},
    };
    for (const auto& [pszWhat, text] : rows)
        EXPECT_FALSE(regfile::Parse(text, kRoot)) << pszWhat;
}

TEST(RegFile, SerializeRefusesWhatWouldExceedTheCap) {
    CHive hive;
    hive.SetValue(hive.CreateKey("A"), "v", REG_BINARY, std::vector<std::uint8_t>(1000, 1));
    EXPECT_FALSE(regfile::Serialize(hive, kRoot, 2000));
    EXPECT_TRUE(regfile::Serialize(hive, kRoot, 4000));
    EXPECT_EQ(hive.CreateKey("A\\\\B"), CHive::npos);
    EXPECT_EQ(hive.CreateKey("\\A"), CHive::npos);
    EXPECT_EQ(hive.CreateKey("A\nB"), CHive::npos);
}

// ---- Results of the registry calls ---------------------------------------------------

TEST_F(StoreTest, RegistryCallResults) {
    HKEY hKey = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSubKey, 0, KEY_READ, &hKey), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(StoreExists());
    DWORD dwDisposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &hKey, &dwDisposition),
              ERROR_SUCCESS);
    EXPECT_EQ(dwDisposition, REG_CREATED_NEW_KEY);
    HKEY hAgain = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\korv\\verlumo\\", 0, nullptr, 0,
                              KEY_READ, nullptr, &hAgain, &dwDisposition),
              ERROR_SUCCESS);
    EXPECT_EQ(dwDisposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(RegCloseKey(hAgain), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(hAgain), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, nullptr, 0, KEY_READ, nullptr,
                              &hAgain, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegSetValueExA(hKey, "bad\nname", 0, REG_SZ, nullptr, 0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(hKey, "v", 0, REG_SZ, nullptr, 3), ERROR_INVALID_PARAMETER);

    const BYTE abc[] = "abc";
    ASSERT_EQ(RegSetValueExA(hKey, "v", 0, REG_SZ, abc, 4), ERROR_SUCCESS);
    DWORD dwType = 0;
    BYTE data[8];
    DWORD cb = 3;
    EXPECT_EQ(RegQueryValueExA(hKey, "V", nullptr, &dwType, data, &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 4u);
    cb = 0;
    EXPECT_EQ(RegQueryValueExA(hKey, "v", nullptr, &dwType, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 4u);
    EXPECT_EQ(RegQueryValueExA(hKey, "w", nullptr, &dwType, data, &cb), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(hKey, nullptr, nullptr, &dwType, data, &cb), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(hKey, "v", nullptr, &dwType, data, nullptr),
              ERROR_INVALID_PARAMETER);

    char szName[2];
    DWORD cchName = sizeof szName;
    EXPECT_EQ(RegEnumValueA(hKey, 0, szName, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    cchName = 1; // no room for the NUL
    EXPECT_EQ(RegEnumValueA(hKey, 0, szName, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    cchName = sizeof szName;
    cb = 2;
    EXPECT_EQ(RegEnumValueA(hKey, 0, szName, &cchName, nullptr, &dwType, data, &cb),
              ERROR_MORE_DATA);
    EXPECT_EQ(cb, 4u);
    EXPECT_EQ(RegEnumValueA(hKey, 1, szName, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);

    DWORD nSubKeys = 9, nValues = 9, cchMaxName = 9, cbMaxData = 9;
    FILETIME ft{};
    ASSERT_EQ(RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &nSubKeys, nullptr, nullptr,
                               &nValues, &cchMaxName, &cbMaxData, nullptr, &ft),
              ERROR_SUCCESS);
    EXPECT_EQ(nSubKeys, 0u);
    EXPECT_EQ(nValues, 1u);
    EXPECT_EQ(cchMaxName, 1u);
    EXPECT_EQ(cbMaxData, 4u);
    EXPECT_GT(ft.dwHighDateTime, 0x01D00000u); // after 2015
    EXPECT_EQ(RegCloseKey(hKey), ERROR_SUCCESS);

    EXPECT_EQ(RegQueryValueExA(hKey, "v", nullptr, &dwType, data, &cb), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    HKEY hRemote = nullptr;
    EXPECT_EQ(RegConnectRegistryA("\\\\server", HKEY_LOCAL_MACHINE, &hRemote), ERROR_BAD_NETPATH);
    EXPECT_EQ(RegConnectRegistryA(nullptr, HKEY_LOCAL_MACHINE, &hRemote), ERROR_SUCCESS);
    EXPECT_EQ(hRemote, HKEY_LOCAL_MACHINE);
}

TEST_F(StoreTest, EachRootHasItsOwnFile) {
    const std::pair<HKEY, const char*> roots[] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                                                  {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                                                  {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                                                  {HKEY_USERS, "HKEY_USERS"}};
    for (const auto& [hRoot, pszName] : roots) {
        HKEY hKey = nullptr;
        ASSERT_EQ(
            RegCreateKeyExA(hRoot, pszName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
            ERROR_SUCCESS);
        RegCloseKey(hKey);
    }
    for (const auto& [hRoot, pszName] : roots) {
        const std::string text = m_dir.ReadFile(std::string(pszName) + ".reg");
        EXPECT_EQ(text, "REGEDIT4\r\n\r\n[" + std::string(pszName) + "\\" + pszName + "]\r\n\r\n");
    }
}

TEST_F(StoreTest, TooLargeAValueIsRefusedAndChangesNothing) {
    StoreRememberedPosition(4);
    const std::string before = StoreText();
    // Three bytes of text a byte: past the cap.
    EXPECT_EQ(SetValue(kSubKey, "big", REG_BINARY, std::string(400u << 10, '\x11')),
              ERROR_NOT_ENOUGH_QUOTA);
    EXPECT_EQ(StoreText(), before);
    EXPECT_EQ(SetValue(kSubKey, "fits", REG_BINARY, std::string(300u << 10, '\x11')),
              ERROR_SUCCESS);
}

TEST_F(StoreTest, HandEditAfterAReadIsSeen) {
    const std::string strA = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n"
                             "\"FirstItem\"=\"11\"\r\n";
    std::string strB = strA;
    strB[strB.size() - 4] = '2';
    WriteStore(strA);
    std::int32_t n = -1;
    ReadRememberedPosition(n);
    EXPECT_EQ(n, 11);
    WriteStore(strB); // same size, same inode, within the same tick
    ReadRememberedPosition(n);
    EXPECT_EQ(n, 12);
}

TEST(StoreLocation, EnvironmentDecidesTheDirectory) {
    const char* names[] = {"VERLUMO_REGISTRY_DIR", "XDG_CONFIG_HOME", "HOME"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* psz = std::getenv(names[i]))
            saved[i] = psz;
    struct Row {
        const char* pszRegistry;
        const char* pszXdg;
        const char* pszHome;
        const char* pszExpected;
    };
    const Row rows[] = {
        {"/r", "/x", "/h", "/r"},
        {"", "/x", "/h", "/x/verlumo/registry"},
        {nullptr, "/x", "/h", "/x/verlumo/registry"},
        {nullptr, "relative", "/h", "/h/.config/verlumo/registry"},
        {nullptr, nullptr, "/h", "/h/.config/verlumo/registry"},
    };
    for (const auto& row : rows) {
        const char* values[] = {row.pszRegistry, row.pszXdg, row.pszHome};
        for (int i = 0; i < 3; ++i)
            values[i] ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]);
        EXPECT_EQ(regstore::Directory(), row.pszExpected);
    }
    EXPECT_EQ(regstore::FilePath(regstore::Root::Users),
              "/h/.config/verlumo/registry/HKEY_USERS.reg");
    for (int i = 0; i < 3; ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}

TEST_F(StoreTest, DirectoryIsCreatedOnTheFirstWrite) {
    const std::string strDir = m_dir.File("a/b/registry");
    ::setenv("VERLUMO_REGISTRY_DIR", strDir.c_str(), 1);
    std::int32_t n = -1;
    CKey key;
    ASSERT_EQ(key.Open(kVerlumo, 2, false), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(strDir)); // reading creates nothing
    StoreRememberedPosition(6);
    ReadRememberedPosition(n);
    EXPECT_EQ(n, 6);
    EXPECT_TRUE(std::filesystem::exists(strDir + "/HKEY_LOCAL_MACHINE.reg"));
}

// ---- Damage, crashes, concurrency -----------------------------------------------------

TEST_F(StoreTest, CorruptFileIsReportedAndNeverOverwritten) {
    const std::string rows[] = {
        "",
        "garbage",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n\"FirstItem\"=\"5\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n\"FirstItem\"=hex:5,\\\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n\"FirstItem\"=dword:5\r\n"
        "[HKEY_CURRENT_USER\\X]\r\n",
        std::string("REGEDIT4\r\n\0\0\0\0", 14),
        "REGEDIT4\r\n;" + std::string(regfile::kMaxFileSize, ' '),
    };
    for (const std::string& text : rows) {
        WriteStore(text);
        CKey key;
        EXPECT_EQ(key.Open(kVerlumo), ERROR_BADDB);
        EXPECT_EQ(key.Open(kVerlumo, 2, false), ERROR_BADDB);
        // The root opens without reading the file; writing through it fails.
        ASSERT_EQ(key.Open("HKEY_LOCAL_MACHINE"), ERROR_SUCCESS);
        EXPECT_EQ(key.RefreshInfo(), ERROR_BADDB);
        EXPECT_EQ(key.WriteInt(1, "FirstItem"), ERROR_BADDB);
        std::int32_t n = -1;
        ReadRememberedPosition(n);
        EXPECT_EQ(n, -1);
        StoreRememberedPosition(3);
        EXPECT_TRUE(StoreText() == text) << text.substr(0, 80);
    }
    // A directory in the file's place is no file either.
    std::filesystem::remove(m_dir.File(kFile));
    std::filesystem::create_directory(m_dir.File(kFile));
    CKey key;
    EXPECT_EQ(key.Open(kVerlumo), ERROR_BADDB);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.File(kFile)));
    // Nor a FIFO, which must not make the reader wait.
    std::filesystem::remove(m_dir.File(kFile));
    ASSERT_EQ(::mkfifo(m_dir.File(kFile).c_str(), 0644), 0);
    EXPECT_EQ(key.Open(kVerlumo), ERROR_BADDB);
    std::int32_t n = -1;
    ReadRememberedPosition(n);
    EXPECT_EQ(n, -1);
}

// Runs fn in a child process and returns its exit status as waitpid gives it.
template <typename Fn> int InChild(Fn fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        fn();
        ::_exit(0);
    }
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    return nStatus;
}

int g_nCrashStep = -1;
bool g_bCrashByKill = false;

void CrashAt(regstore::WriteStep step) {
    if (static_cast<int>(step) != g_nCrashStep)
        return;
    if (g_bCrashByKill)
        ::raise(SIGKILL);
    ::_exit(77);
}

TEST_F(StoreTest, CrashAtEveryStepLeavesTheOldOrTheNewFile) {
    StoreRememberedPosition(1);
    SetValue(kSubKey, "other", REG_BINARY, "keep");
    const std::string strOld = StoreText();
    StoreRememberedPosition(2);
    const std::string strNew = StoreText();
    ASSERT_NE(strOld, strNew);

    const struct {
        regstore::WriteStep step;
        bool bNewExpected;
    } steps[] = {{regstore::WriteStep::BeforeTempWrite, false},
                 {regstore::WriteStep::AfterTempWrite, false},
                 {regstore::WriteStep::AfterFsync, false},
                 {regstore::WriteStep::AfterRename, true}};
    for (bool bKill : {false, true}) {
        for (const auto& s : steps) {
            WriteStore(strOld);
            const int nStatus = InChild([&] {
                g_nCrashStep = static_cast<int>(s.step);
                g_bCrashByKill = bKill;
                regstore::SetWriteHook(CrashAt);
                StoreRememberedPosition(2);
            });
            const std::string strWhat =
                "step " + std::to_string(static_cast<int>(s.step)) + (bKill ? " kill" : " exit");
            if (bKill)
                EXPECT_TRUE(WIFSIGNALED(nStatus) && WTERMSIG(nStatus) == SIGKILL) << strWhat;
            else
                EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 77) << strWhat;
            EXPECT_EQ(StoreText(), s.bNewExpected ? strNew : strOld) << strWhat;
            // The dead writer's lock is gone and its leftovers are no obstacle.
            std::int32_t n = -1;
            ReadRememberedPosition(n);
            EXPECT_EQ(n, s.bNewExpected ? 2 : 1) << strWhat;
            StoreRememberedPosition(3);
            ReadRememberedPosition(n);
            EXPECT_EQ(n, 3) << strWhat;
            DWORD dwType = 0;
            std::vector<BYTE> data;
            EXPECT_EQ(Query(kSubKey, "other", dwType, data), ERROR_SUCCESS);
            EXPECT_EQ(data, Bytes("keep"));
        }
    }
}

TEST_F(StoreTest, ConcurrentWritersKeepEachOthersValues) {
    constexpr int kValues = 40;
    std::vector<pid_t> children;
    for (const char* pszPrefix : {"A", "B", "C"}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int nFailures = 0;
            for (int i = 0; i < kValues; ++i) {
                CKey key;
                nFailures += key.Open(kVerlumo) != ERROR_SUCCESS;
                nFailures += key.WriteInt(i, (pszPrefix + std::to_string(i)).c_str()) != 0;
            }
            ::_exit(nFailures ? 1 : 0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int nStatus = 0;
        ::waitpid(pid, &nStatus, 0);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
    }
    const std::string text = StoreText();
    const auto hive = regfile::Parse(text, kRoot);
    ASSERT_TRUE(hive);
    const std::size_t nKey = hive->FindKey(kSubKey);
    ASSERT_NE(nKey, CHive::npos);
    EXPECT_EQ(hive->Values(nKey).size(), 3u * kValues);
    for (const char* pszPrefix : {"A", "B", "C"}) {
        for (int i = 0; i < kValues; ++i) {
            const std::string strName = pszPrefix + std::to_string(i);
            const std::size_t nValue = hive->FindValue(nKey, strName);
            ASSERT_NE(nValue, CHive::npos) << strName;
            EXPECT_EQ(hive->Values(nKey)[nValue].data, Bytes(std::to_string(i) + '\0'));
        }
    }
}

TEST_F(StoreTest, UnwritableDirectoryGivesAccessDeniedAndChangesNothing) {
    // A directory that cannot exist: its parent is a regular file.
    m_dir.WriteFile("plain", "x");
    ::setenv("VERLUMO_REGISTRY_DIR", m_dir.File("plain/registry").c_str(), 1);
    {
        CKey key;
        EXPECT_EQ(key.Open(kVerlumo), ERROR_ACCESS_DENIED);
        ASSERT_EQ(key.Open("HKEY_LOCAL_MACHINE"), ERROR_SUCCESS);
        EXPECT_EQ(key.WriteInt(1, "v"), ERROR_ACCESS_DENIED);
        std::int32_t n = -1;
        ReadRememberedPosition(n);
        StoreRememberedPosition(5);
        ReadRememberedPosition(n);
        EXPECT_EQ(n, -1);
        EXPECT_EQ(m_dir.ReadFile("plain"), "x");
    }

    // A read-only directory holding a store. Root writes anywhere, so as root
    // the check runs in a child that has become nobody.
    ::setenv("VERLUMO_REGISTRY_DIR", m_dir.Path().c_str(), 1);
    StoreRememberedPosition(8);
    const std::string strBefore = StoreText();
    ASSERT_EQ(::chmod(m_dir.File(kFile).c_str(), 0644), 0);
    ASSERT_EQ(::chmod(m_dir.Path().c_str(), 0555), 0);
    const int nStatus = InChild([] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        CKey key;
        if (key.Open(kVerlumo) != ERROR_SUCCESS) // exists: opened without a write
            ::_exit(11);
        std::int32_t n = -1;
        if (key.ReadInt(&n, "FirstItem", true) != ERROR_SUCCESS || n != 8)
            ::_exit(12);
        if (key.WriteInt(9, "FirstItem") != ERROR_ACCESS_DENIED)
            ::_exit(13);
        CKey other;
        if (other.Open("HKEY_LOCAL_MACHINE\\SOFTWARE\\New") != ERROR_ACCESS_DENIED)
            ::_exit(14);
        StoreRememberedPosition(9);
        ::_exit(0);
    });
    ::chmod(m_dir.Path().c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(nStatus)) << nStatus;
    EXPECT_EQ(WEXITSTATUS(nStatus), 0);
    EXPECT_EQ(StoreText(), strBefore);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File(std::string(kFile) + ".tmp")));
}

} // namespace
