#pragma once

#include "platform/winreg.h"
#include "registry/keyvalue.h"

#include <cstdint>
#include <string>

// One open registry key, named by a single path whose first component is the
// root ("HKEY_LOCAL_MACHINE\SOFTWARE\KORV\Verlumo"), optionally on another
// machine. Every operation returns a Win32 error code (0 for success) and
// shows nothing; value operations on a closed key return ERROR_INVALID_ACCESS
// without calling the registry.
class CKey {
public:
    // Diagnostic texts (cp1251). Only the first is composed, by Open, into
    // the last-error text; the others are kept with it for callers that show them.
    static constexpr const char* kUnknownPath = "\xCD\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xFB\xE9 "
                                                "\xEF\xF3\xF2\xFC: ";
    static constexpr const char* kOpenFailed = "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 "
                                               "\xEE\xF2\xEA\xF0\xFB\xF2\xE8\xE8: ";
    static constexpr const char* kCreateFailed = "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 "
                                                 "\xF1\xEE\xE7\xE4\xE0\xED\xE8\xE8: ";
    static constexpr const char* kReadFailed = "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 "
                                               "\xEF\xEE\xEB\xF3\xF7\xE5\xED\xE8\xE8: ";
    static constexpr const char* kReopened =
        "\xCE\xF8\xE8\xE1\xEA\xE0: \xEF\xEE\xE2\xF2\xEE\xF0\xED\xEE\xE5 "
        "\xEE\xF2\xEA\xF0\xFB\xF2\xE8\xE5 \xEE\xE1\xFA\xE5\xEA\xF2\xE0 CKey - ";
    static constexpr const char* kNotOpen = "\xCE\xF8\xE8\xE1\xEA\xE0: CKey \xED\xE5 "
                                            "\xEE\xF2\xEA\xF0\xFB\xF2";

    CKey();
    // Closes the key if it is open; the outcome is not reported.
    virtual ~CKey();
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;

    // nAccess: 0 read, 1 write, 2 read and write. A null or empty machine,
    // "\\." or "\\" and this computer's name (any case) mean this machine.
    // ERROR_PATH_NOT_FOUND for a root other than HKEY_CLASSES_ROOT,
    // HKEY_USERS, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER (any case). An open
    // key is closed first; path and access are kept even when Open fails.
    LONG Open(const char* pszPath, std::int32_t nAccess = 2, bool bCreate = true,
              const char* pszMachine = nullptr);
    // On failure of the registry's close the key stays open and unchanged.
    LONG Close();
    LONG RefreshInfo();

    LONG GetValueName(DWORD nIndex, std::string& strName);
    // The value at value.m_nIndex.
    LONG EnumValue(CKeyValue& value);
    // Moves the enumeration index to 0 (nReset 1) or one further, then EnumValue.
    LONG NextValue(CKeyValue& value, std::int32_t nReset);
    LONG QueryValue(CKeyValue& value, const char* pszName);
    // Direct: the named value (the first one when pszName is null), from
    // enumeration index 0. Forward: from the value after the enumeration
    // index, without wrapping; the first step's own code when it fails,
    // ERROR_FILE_NOT_FOUND when a later one does.
    LONG FindValue(CKeyValue& value, const char* pszName, bool bDirect);
    // 1 when a value of exactly this name (case-sensitive) is among the first
    // m_nValues, 0 when not, ERROR_INVALID_ACCESS when the key is not open.
    LONG HasValue(const char* pszName);
    // An unnamed value is named by the value count ("3" in a key of 3 values).
    LONG SetValue(CKeyValue& value);

    // *pnValue is untouched unless the result is 0.
    LONG ReadInt(std::int32_t* pnValue, const char* pszName, bool bDirect);
    // REG_SZ, the terminating NUL counted in the size.
    LONG WriteString(const char* pszText, const char* pszName);
    // "%i" text as REG_SZ, replacing a value of any type.
    LONG WriteInt(std::int32_t nValue, const char* pszName);

    static REGSAM AccessMask(std::int32_t nAccess);

    HKEY GetHandle() const { return m_hKey; }
    const std::string& GetPath() const { return m_strPath; }
    std::int32_t GetAccess() const { return m_nAccess; }
    bool IsOpen() const { return m_bOpen != 0; }
    DWORD GetValueCount() const { return m_nValues; }
    DWORD GetSubKeyCount() const { return m_nSubKeys; }
    DWORD GetMaxValueData() const { return m_cbMaxValueData; }
    DWORD GetMaxSubKeyName() const { return m_cchMaxSubKeyName; }
    std::int32_t GetEnumIndex() const { return m_nEnumIndex; }
    // What the last Open composed (cp1251); empty after a successful Open and Close.
    const std::string& GetLastErrorText() const { return m_strLastError; }

private:
    void Reset();

    HKEY m_hKey;
    std::string m_strPath;
    std::int32_t m_nAccess;
    BOOL m_bOpen;
    DWORD m_nValues;
    DWORD m_nSubKeys;
    DWORD m_cbMaxValueData;
    DWORD m_cchMaxSubKeyName;
    std::int32_t m_nEnumIndex;
    std::string m_strLastError;
};
