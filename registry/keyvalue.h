#pragma once

#include "platform/winreg.h"

#include <cstdint>
#include <string>

// A copy of one registry value: its index in the key's enumeration order,
// name (empty for the default value), type and data. The data is owned.
class CKeyValue {
public:
    CKeyValue() = default;
    ~CKeyValue();
    CKeyValue(const CKeyValue& other);
    CKeyValue& operator=(const CKeyValue& other);

    // Frees the data and zeroes index, type and size; the name stays.
    void Clear();
    // A null or empty name gives an empty name; the data is copied when
    // cbData is above 0 (pData may then not be null).
    void Set(const char* pszName, DWORD dwType, const void* pData, DWORD cbData, DWORD nIndex);
    // REG_DWORD: the first four bytes, little-endian. REG_SZ: the text as
    // atoi reads it (blanks, a sign, digits up to the first other character
    // or the end of the data; out of range gives INT32_MIN or INT32_MAX; no
    // digits give 0). ERROR_BAD_FORMAT for any other type and for a REG_DWORD
    // of fewer than four bytes; *pnValue is then untouched.
    LONG GetInt(std::int32_t* pnValue) const;

    DWORD m_nIndex = 0;
    std::string m_strName;
    DWORD m_dwType = 0;
    BYTE* m_pData = nullptr; // null when m_cbData is 0
    DWORD m_cbData = 0;
};
