#include "platform/computername.h"
#include "platform/cp1251.h"
#include "registry/key.h"
#include "support/registryfixture.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

class KeyTest : public RegistryTest {};

// A key on the application's path, open for reading and writing.
class OpenKeyTest : public KeyTest {
protected:
    void SetUp() override {
        KeyTest::SetUp();
        ASSERT_EQ(m_key.Open(kVerlumo), ERROR_SUCCESS);
    }
    CKey m_key;
};

// The constructed (and closed) state.
void ExpectClosed(const CKey& key) {
    EXPECT_EQ(key.GetHandle(), nullptr);
    EXPECT_EQ(key.GetPath(), "");
    EXPECT_EQ(key.GetAccess(), 2);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.GetValueCount(), 0u);
    EXPECT_EQ(key.GetSubKeyCount(), 0u);
    EXPECT_EQ(key.GetMaxValueData(), 0u);
    EXPECT_EQ(key.GetMaxSubKeyName(), 0u);
    EXPECT_EQ(key.GetEnumIndex(), 0);
}

void SetRaw(CKey& key, const char* pszName, DWORD dwType, const std::string& data) {
    CKeyValue v;
    v.Set(pszName, dwType, data.data(), static_cast<DWORD>(data.size()), 0);
    ASSERT_EQ(key.SetValue(v), ERROR_SUCCESS) << pszName;
}

// ---- Open: paths, roots, machines -------------------------------------------------

struct OpenRow {
    const char* pszPath;
    bool bCreate;
    LONG nExpected;
};

TEST_F(KeyTest, OpenPaths) {
    const OpenRow rows[] = {
        {"HKEY_LOCAL_MACHINE\\Software", true, ERROR_SUCCESS},
        {"hkey_local_machine\\Software", false, ERROR_SUCCESS}, // the key the row above made
        {"HKEY_LOCAL_MACHINE", false, ERROR_SUCCESS},
        {"HKEY_LOCAL_MACHINE\\", false, ERROR_SUCCESS},
        {"hKeY_CuRrEnT_uSeR\\A\\B", true, ERROR_SUCCESS},
        {"HKEY_CLASSES_ROOT\\.txt", true, ERROR_SUCCESS},
        {"HKEY_USERS", true, ERROR_SUCCESS},
        {"HKLM\\Software", true, ERROR_PATH_NOT_FOUND},
        {"HKEY_CURRENT_CONFIG\\Software", true, ERROR_PATH_NOT_FOUND},
        {"HKEY_LOCAL_MACHINEX", true, ERROR_PATH_NOT_FOUND},
        {"", true, ERROR_PATH_NOT_FOUND},
        {"HKEY_LOCAL_MACHINE\\Missing\\Key", false, ERROR_FILE_NOT_FOUND},
        {"HKEY_LOCAL_MACHINE\\A\\\\B", true, ERROR_BAD_PATHNAME},
        {"HKEY_LOCAL_MACHINE\\\\A", true, ERROR_BAD_PATHNAME},
    };
    for (const auto& row : rows) {
        CKey key;
        EXPECT_EQ(key.Open(row.pszPath, 0, row.bCreate), row.nExpected) << row.pszPath;
        EXPECT_EQ(key.IsOpen(), row.nExpected == ERROR_SUCCESS) << row.pszPath;
        EXPECT_EQ(key.GetHandle() != nullptr, row.nExpected == ERROR_SUCCESS) << row.pszPath;
        // Kept even when Open fails.
        EXPECT_EQ(key.GetPath(), row.pszPath);
        EXPECT_EQ(key.GetAccess(), 0);
    }
    CKey key;
    EXPECT_EQ(key.Open(nullptr), ERROR_PATH_NOT_FOUND);
}

TEST_F(KeyTest, UnknownRootComposesTheDiagnostic) {
    CKey key;
    EXPECT_EQ(key.Open("HKLM\\Software\\X"), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(cp1251::ToUtf8(key.GetLastErrorText()), "Неизвестный путь: HKLM\\Software\\X");
    EXPECT_EQ(key.Open(kVerlumo), ERROR_SUCCESS);
    EXPECT_EQ(key.GetLastErrorText(), "");
}

TEST_F(KeyTest, RootKeyAloneIsOpenedAndClosedAsAnyOther) {
    for (const char* pszPath : {"HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE\\"}) {
        CKey key;
        ASSERT_EQ(key.Open(pszPath, 2, true), ERROR_SUCCESS) << pszPath;
        EXPECT_EQ(key.GetHandle(), HKEY_LOCAL_MACHINE);
        EXPECT_EQ(key.WriteInt(3, "AtRoot"), ERROR_SUCCESS);
        EXPECT_EQ(key.GetValueCount(), 1u);
        EXPECT_EQ(key.Close(), ERROR_SUCCESS);
        ExpectClosed(key);
        // The predefined key stays usable.
        HKEY hKey = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "X", 0, nullptr, 0, KEY_READ, nullptr, &hKey,
                                  nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(hKey);
    }
    EXPECT_NE(StoreText().find("[HKEY_LOCAL_MACHINE]\r\n\"AtRoot\"=\"3\"\r\n"), std::string::npos);
}

TEST_F(KeyTest, MachineNames) {
    const std::string strName = GetComputerName();
    ASSERT_FALSE(strName.empty());
    std::string strLower;
    for (char ch : strName)
        strLower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
    // Local: no connection is made (a remote one would give ERROR_BAD_NETPATH).
    for (const std::string& strMachine :
         {std::string(), std::string("\\\\."), "\\\\" + strName, "\\\\" + strLower}) {
        CKey key;
        EXPECT_EQ(key.Open(kVerlumo, 2, true, strMachine.c_str()), ERROR_SUCCESS) << strMachine;
        EXPECT_TRUE(key.IsOpen());
    }
    const std::string remotes[] = {"\\\\" + strName + "X", strName, "\\\\..", "//."};
    for (const std::string& strMachine : remotes) {
        CKey key;
        EXPECT_EQ(key.Open(kVerlumo, 2, true, strMachine.c_str()), ERROR_BAD_NETPATH) << strMachine;
        EXPECT_FALSE(key.IsOpen());
        EXPECT_EQ(key.GetHandle(), nullptr);
        EXPECT_EQ(key.GetPath(), kVerlumo);
        EXPECT_EQ(key.GetLastErrorText(),
                  "Can't connect to Registry of remote machine " + strMachine + ", error 53");
    }
}

TEST(ComputerName, UpperCaseAtMostFifteenCharacters) {
    char sz[16];
    std::uint32_t n = sizeof sz;
    ASSERT_TRUE(GetComputerNameA(sz, &n));
    EXPECT_EQ(n, std::strlen(sz));
    EXPECT_LE(n, MAX_COMPUTERNAME_LENGTH);
    EXPECT_EQ(cp1251::ToUpper(sz), sz);
    EXPECT_EQ(GetComputerName(), sz);
    // Too small a buffer: failure and the size needed, NUL included.
    std::uint32_t nSmall = n;
    EXPECT_FALSE(GetComputerNameA(sz, &nSmall));
    EXPECT_EQ(nSmall, n + 1);
    EXPECT_FALSE(GetComputerNameA(sz, nullptr));
}

TEST_F(KeyTest, OpenOnAnOpenKeyClosesItFirst) {
    CKey key;
    ASSERT_EQ(key.Open(kVerlumo), ERROR_SUCCESS);
    const HKEY hOld = key.GetHandle();
    ASSERT_EQ(key.Open("HKEY_LOCAL_MACHINE\\SOFTWARE", 0, false), ERROR_SUCCESS);
    EXPECT_NE(key.GetHandle(), hOld);
    EXPECT_EQ(RegCloseKey(hOld), ERROR_INVALID_HANDLE); // already closed
    EXPECT_EQ(key.GetAccess(), 0);
    // Also when the new Open fails.
    const HKEY hSecond = key.GetHandle();
    EXPECT_EQ(key.Open("HKLM"), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(hSecond), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(KeyTest, CloseAndDestructionReleaseTheHandle) {
    HKEY hKey = nullptr;
    {
        CKey key;
        ASSERT_EQ(key.Open(kVerlumo), ERROR_SUCCESS);
        key.WriteInt(1, "a");
        CKeyValue v;
        key.NextValue(v, 0);
        hKey = key.GetHandle();
    }
    EXPECT_EQ(RegCloseKey(hKey), ERROR_INVALID_HANDLE);

    CKey key;
    ASSERT_EQ(key.Open(kVerlumo, 1), ERROR_SUCCESS);
    CKeyValue v;
    key.FindValue(v, nullptr, false);
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    ExpectClosed(key);
    EXPECT_EQ(key.Close(), ERROR_SUCCESS); // closing a closed key changes nothing
    ExpectClosed(key);
}

TEST_F(OpenKeyTest, AccessCodesLimitWhatTheKeyMayDo) {
    ASSERT_EQ(m_key.WriteInt(8, "v"), ERROR_SUCCESS); // opened with code 2
    std::int32_t n = 0;
    for (std::int32_t nAccess : {0, -1, 3, INT32_MAX}) { // all but 1 and 2 read only
        CKey key;
        ASSERT_EQ(key.Open(kVerlumo, nAccess, false), ERROR_SUCCESS);
        EXPECT_EQ(key.WriteInt(9, "v"), ERROR_ACCESS_DENIED) << nAccess;
        EXPECT_EQ(key.ReadInt(&n, "v", true), ERROR_SUCCESS);
        EXPECT_EQ(n, 8);
    }
    CKey reader;
    ASSERT_EQ(reader.Open(kVerlumo, 0, false), ERROR_SUCCESS);
    CKey writer;
    ASSERT_EQ(writer.Open(kVerlumo, 1, false), ERROR_SUCCESS);
    EXPECT_EQ(writer.RefreshInfo(), ERROR_ACCESS_DENIED);
    n = -1;
    EXPECT_EQ(writer.ReadInt(&n, "v", true), ERROR_ACCESS_DENIED);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(writer.WriteInt(9, "v"), ERROR_SUCCESS);
    EXPECT_EQ(reader.ReadInt(&n, "v", true), ERROR_SUCCESS);
    EXPECT_EQ(n, 9);
}

// ---- Operations on a closed key -----------------------------------------------------

TEST_F(KeyTest, EveryValueOperationNeedsAnOpenKey) {
    CKey key;
    CKeyValue v;
    std::string str = "untouched";
    std::int32_t n = 77;
    const std::pair<const char*, std::function<LONG()>> ops[] = {
        {"RefreshInfo", [&] { return key.RefreshInfo(); }},
        {"GetValueName", [&] { return key.GetValueName(0, str); }},
        {"EnumValue", [&] { return key.EnumValue(v); }},
        {"NextValue", [&] { return key.NextValue(v, 1); }},
        {"QueryValue", [&] { return key.QueryValue(v, "x"); }},
        {"FindValue direct", [&] { return key.FindValue(v, "x", true); }},
        {"FindValue forward", [&] { return key.FindValue(v, "x", false); }},
        {"HasValue", [&] { return key.HasValue("x"); }},
        {"SetValue", [&] { return key.SetValue(v); }},
        {"ReadInt", [&] { return key.ReadInt(&n, "x", true); }},
        {"WriteString", [&] { return key.WriteString("t", "x"); }},
        {"WriteInt", [&] { return key.WriteInt(1, "x"); }},
    };
    // Never opened, and opened then closed.
    for (int nRound = 0; nRound < 2; ++nRound) {
        for (const auto& [pszName, op] : ops)
            EXPECT_EQ(op(), ERROR_INVALID_ACCESS) << pszName;
        EXPECT_EQ(str, "untouched");
        EXPECT_EQ(n, 77);
        EXPECT_EQ(key.GetEnumIndex(), 0);
        ASSERT_EQ(key.Open(kVerlumo), ERROR_SUCCESS);
        ASSERT_EQ(key.Close(), ERROR_SUCCESS);
    }
    EXPECT_FALSE(StoreText().find("\"x\"") != std::string::npos);
}

// ---- Values -------------------------------------------------------------------------

TEST_F(OpenKeyTest, WriteIntStoresPercentIText) {
    const std::pair<std::int32_t, std::string> rows[] = {
        {-1, std::string("-1\0", 3)},
        {0, std::string("0\0", 2)},
        {INT32_MIN, std::string("-2147483648\0", 12)},
        {INT32_MAX, std::string("2147483647\0", 11)},
    };
    for (const auto& [n, bytes] : rows) {
        ASSERT_EQ(m_key.WriteInt(n, "FirstItem"), ERROR_SUCCESS);
        CKeyValue v;
        ASSERT_EQ(m_key.QueryValue(v, "FirstItem"), ERROR_SUCCESS);
        EXPECT_EQ(v.m_dwType, REG_SZ);
        ASSERT_EQ(v.m_cbData, bytes.size()) << n;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(v.m_pData), v.m_cbData), bytes);
        std::int32_t nBack = 5;
        EXPECT_EQ(v.GetInt(&nBack), ERROR_SUCCESS);
        EXPECT_EQ(nBack, n);
    }
}

struct GetIntRow {
    const char* pszWhat;
    DWORD dwType;
    std::string data;
    LONG nResult;
    std::int32_t nValue; // expected; 1234 = untouched
};

TEST(KeyValue, GetInt) {
    const GetIntRow rows[] = {
        {"dword -1", REG_DWORD, "\xFF\xFF\xFF\xFF", 0, -1},
        {"dword little-endian", REG_DWORD, "\x01\x02\x03\x04", 0, 0x04030201},
        {"dword longer", REG_DWORD, std::string("\x07\0\0\0\x09", 5), 0, 7},
        {"dword too short", REG_DWORD, "\x05\x00\x00", ERROR_BAD_FORMAT, 1234},
        {"dword empty", REG_DWORD, "", ERROR_BAD_FORMAT, 1234},
        {"sz 7abc", REG_SZ, std::string("7abc\0", 5), 0, 7},
        {"sz abc", REG_SZ, std::string("abc\0", 4), 0, 0},
        {"sz blanks and sign", REG_SZ, std::string(" \t\n-12x\0", 8), 0, -12},
        {"sz sign alone", REG_SZ, std::string("-\0", 2), 0, 0},
        {"sz overflow", REG_SZ, std::string("99999999999\0", 12), 0, INT32_MAX},
        {"sz underflow", REG_SZ, std::string("-99999999999\0", 13), 0, INT32_MIN},
        {"sz int min", REG_SZ, std::string("-2147483648\0", 12), 0, INT32_MIN},
        {"sz without NUL", REG_SZ, "42", 0, 42},
        {"sz stops at NUL", REG_SZ, std::string{'4', '\0', '2'}, 0, 4},
        {"sz empty", REG_SZ, "", 0, 0},
        {"expand sz", REG_EXPAND_SZ, std::string("5\0", 2), ERROR_BAD_FORMAT, 1234},
        {"none", REG_NONE, "", ERROR_BAD_FORMAT, 1234},
    };
    for (const auto& row : rows) {
        CKeyValue v;
        v.Set("v", row.dwType, row.data.data(), static_cast<DWORD>(row.data.size()), 0);
        std::int32_t n = 1234;
        EXPECT_EQ(v.GetInt(&n), row.nResult) << row.pszWhat;
        EXPECT_EQ(n, row.nValue) << row.pszWhat;
    }
}

TEST(KeyValue, CopyOwnsItsDataAndNoDataIsNoBuffer) {
    CKeyValue v;
    v.Set("name", REG_BINARY, "abc", 3, 9);
    const CKeyValue copy = v;
    ASSERT_NE(copy.m_pData, v.m_pData);
    EXPECT_EQ(std::memcmp(copy.m_pData, "abc", 3), 0);
    v.Set(nullptr, REG_SZ, "x", 0, 1);
    EXPECT_EQ(v.m_strName, "");
    EXPECT_EQ(v.m_pData, nullptr);
    EXPECT_EQ(v.m_cbData, 0u);
}

TEST_F(OpenKeyTest, ReadIntLeavesTheIntegerOnFailure) {
    std::int32_t n = -1;
    EXPECT_EQ(m_key.ReadInt(&n, "FirstItem", true), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(n, -1);
    SetRaw(m_key, "FirstItem", REG_EXPAND_SZ, std::string("5\0", 2));
    EXPECT_EQ(m_key.ReadInt(&n, "FirstItem", true), ERROR_BAD_FORMAT);
    EXPECT_EQ(n, -1);
    SetRaw(m_key, "FirstItem", REG_DWORD, std::string("\x05\0\0\0", 4));
    EXPECT_EQ(m_key.ReadInt(&n, "firstitem", true), ERROR_SUCCESS);
    EXPECT_EQ(n, 5);
}

TEST_F(OpenKeyTest, SetValueNamesAnUnnamedValueByTheCount) {
    for (const char* psz : {"a", "b", "c"})
        ASSERT_EQ(m_key.WriteInt(1, psz), ERROR_SUCCESS);
    ASSERT_EQ(m_key.GetValueCount(), 3u);
    CKeyValue v;
    v.Set("", REG_SZ, "x", 2, 0);
    EXPECT_EQ(m_key.SetValue(v), ERROR_SUCCESS);
    EXPECT_EQ(v.m_strName, "3");
    EXPECT_EQ(m_key.GetValueCount(), 4u);
    // A value that already has that name is replaced.
    ASSERT_EQ(m_key.WriteString("old", "5"), ERROR_SUCCESS);
    ASSERT_EQ(m_key.GetValueCount(), 5u);
    EXPECT_EQ(m_key.WriteString("new", nullptr), ERROR_SUCCESS);
    EXPECT_EQ(m_key.GetValueCount(), 5u);
    CKeyValue five;
    ASSERT_EQ(m_key.QueryValue(five, "5"), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(five.m_pData), five.m_cbData),
              std::string("new\0", 4));
}

TEST_F(OpenKeyTest, HasValueComparesExactly) {
    ASSERT_EQ(m_key.WriteInt(1, "other"), ERROR_SUCCESS);
    ASSERT_EQ(m_key.WriteInt(1, "FirstItem"), ERROR_SUCCESS);
    EXPECT_EQ(m_key.HasValue("FirstItem"), 1);
    EXPECT_EQ(m_key.HasValue("firstitem"), 0);
    EXPECT_EQ(m_key.HasValue("First"), 0);
    EXPECT_EQ(m_key.HasValue(""), 0);
    m_key.Close();
    EXPECT_EQ(m_key.HasValue("FirstItem"), ERROR_INVALID_ACCESS);
}

// ---- Enumeration and search -----------------------------------------------------------

class KeyEnumTest : public OpenKeyTest {
protected:
    void SetUp() override {
        OpenKeyTest::SetUp();
        for (const char* psz : {"zero", "one", "two"})
            ASSERT_EQ(m_key.WriteString(psz, psz), ERROR_SUCCESS);
    }
};

TEST_F(KeyEnumTest, NextValueWalksFromTheIndexAfterTheCurrentOne) {
    CKeyValue v;
    ASSERT_EQ(m_key.NextValue(v, 0), ERROR_SUCCESS);
    EXPECT_EQ(v.m_strName, "one");
    EXPECT_EQ(v.m_nIndex, 1u);
    ASSERT_EQ(m_key.NextValue(v, 1), ERROR_SUCCESS);
    EXPECT_EQ(v.m_strName, "zero");
    EXPECT_EQ(m_key.GetEnumIndex(), 0);
    ASSERT_EQ(m_key.NextValue(v, 0), ERROR_SUCCESS);
    ASSERT_EQ(m_key.NextValue(v, 0), ERROR_SUCCESS);
    EXPECT_EQ(v.m_strName, "two");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(v.m_pData), v.m_cbData), std::string("two\0", 4));
    EXPECT_EQ(m_key.NextValue(v, 0), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(v.m_strName, "two"); // untouched by the failed step
    EXPECT_EQ(m_key.GetEnumIndex(), 3);
}

TEST_F(KeyEnumTest, FindValue) {
    CKeyValue v;
    // Direct, by name (without case) and without one.
    ASSERT_EQ(m_key.FindValue(v, "TWO", true), ERROR_SUCCESS);
    EXPECT_EQ(v.m_strName, "TWO");
    EXPECT_EQ(v.m_nIndex, 0u);
    EXPECT_EQ(m_key.FindValue(v, "missing", true), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(m_key.FindValue(v, nullptr, true), ERROR_SUCCESS);
    EXPECT_EQ(v.m_strName, "zero");

    // Forward: starts after the current position, compares without case.
    ASSERT_EQ(m_key.FindValue(v, "Two", false), ERROR_SUCCESS);
    EXPECT_EQ(v.m_strName, "two");
    EXPECT_EQ(m_key.GetEnumIndex(), 2);
    // Nothing follows: the first step's own code, not ERROR_FILE_NOT_FOUND.
    EXPECT_EQ(m_key.FindValue(v, "two", false), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(m_key.FindValue(v, nullptr, false), ERROR_NO_MORE_ITEMS);

    // Never wraps: "zero" lies behind; a later step's failure is 2.
    ASSERT_EQ(m_key.FindValue(v, nullptr, true), ERROR_SUCCESS);
    EXPECT_EQ(m_key.FindValue(v, "zero", false), ERROR_FILE_NOT_FOUND);
    // Without a name: the next value.
    ASSERT_EQ(m_key.FindValue(v, nullptr, true), ERROR_SUCCESS);
    ASSERT_EQ(m_key.FindValue(v, nullptr, false), ERROR_SUCCESS);
    EXPECT_EQ(v.m_strName, "one");
}

TEST_F(KeyEnumTest, RefreshInfoCounts) {
    CKey child;
    ASSERT_EQ(child.Open("HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo\\LongerName"), ERROR_SUCCESS);
    CKey sub;
    ASSERT_EQ(sub.Open("HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo\\ab"), ERROR_SUCCESS);
    ASSERT_EQ(m_key.RefreshInfo(), ERROR_SUCCESS);
    EXPECT_EQ(m_key.GetValueCount(), 3u);
    EXPECT_EQ(m_key.GetSubKeyCount(), 2u);
    EXPECT_EQ(m_key.GetMaxValueData(), 5u); // "zero" and its NUL
    EXPECT_EQ(m_key.GetMaxSubKeyName(), 10u);
    EXPECT_EQ(sub.GetValueCount(), 0u);
    EXPECT_EQ(sub.GetSubKeyCount(), 0u);
}

TEST_F(OpenKeyTest, NameBufferHolds127Characters) {
    const std::string str127(127, 'n');
    const std::string str128(128, 'm');
    ASSERT_EQ(m_key.WriteInt(1, str127.c_str()), ERROR_SUCCESS);
    ASSERT_EQ(m_key.WriteInt(2, str128.c_str()), ERROR_SUCCESS);
    std::string strName;
    EXPECT_EQ(m_key.GetValueName(0, strName), ERROR_SUCCESS);
    EXPECT_EQ(strName, str127);
    strName = "untouched";
    EXPECT_EQ(m_key.GetValueName(1, strName), ERROR_MORE_DATA);
    EXPECT_EQ(strName, "untouched");
    EXPECT_EQ(m_key.GetValueName(2, strName), ERROR_NO_MORE_ITEMS);
    CKeyValue v;
    v.m_nIndex = 1;
    EXPECT_EQ(m_key.EnumValue(v), ERROR_MORE_DATA);
    // Direct queries name the value themselves: no name buffer.
    std::int32_t n = 0;
    EXPECT_EQ(m_key.ReadInt(&n, str128.c_str(), true), ERROR_SUCCESS);
    EXPECT_EQ(n, 2);
}

TEST_F(OpenKeyTest, DataLongerThanTheLastRefreshFails) {
    // Opened without values: maximum data 0.
    ASSERT_EQ(m_key.GetMaxValueData(), 0u);
    {
        CKey other;
        ASSERT_EQ(other.Open(kVerlumo), ERROR_SUCCESS);
        ASSERT_EQ(other.WriteString("abc", "v"), ERROR_SUCCESS);
        SetRaw(other, "empty", REG_BINARY, "");
    }
    CKeyValue v;
    EXPECT_EQ(m_key.EnumValue(v), ERROR_MORE_DATA);
    EXPECT_EQ(m_key.QueryValue(v, "v"), ERROR_MORE_DATA);
    EXPECT_EQ(v.m_pData, nullptr);
    // A value without data still reads.
    EXPECT_EQ(m_key.QueryValue(v, "empty"), ERROR_SUCCESS);
    EXPECT_EQ(v.m_dwType, REG_BINARY);
    EXPECT_EQ(v.m_cbData, 0u);
    ASSERT_EQ(m_key.RefreshInfo(), ERROR_SUCCESS);
    EXPECT_EQ(m_key.QueryValue(v, "v"), ERROR_SUCCESS);
    EXPECT_EQ(v.m_cbData, 4u);
}

TEST_F(OpenKeyTest, KeyRemovedFromTheFileByHand) {
    ASSERT_EQ(m_key.WriteInt(1, "FirstItem"), ERROR_SUCCESS);
    WriteStore("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n");
    std::int32_t n = -1;
    EXPECT_EQ(m_key.ReadInt(&n, "FirstItem", true), ERROR_KEY_DELETED);
    EXPECT_EQ(m_key.WriteInt(2, "FirstItem"), ERROR_KEY_DELETED);
    EXPECT_EQ(StoreText(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n");
    EXPECT_EQ(m_key.Close(), ERROR_SUCCESS);
}

} // namespace
