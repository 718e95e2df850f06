#include "registry/key.h"

#include "platform/computername.h"
#include "platform/cp1251.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

namespace {

constexpr DWORD kNameBuffer = 128;

HKEY RootKey(std::string_view strRoot) {
    const std::string strUpper = cp1251::ToUpper(strRoot);
    if (strUpper == "HKEY_CLASSES_ROOT")
        return HKEY_CLASSES_ROOT;
    if (strUpper == "HKEY_USERS")
        return HKEY_USERS;
    if (strUpper == "HKEY_LOCAL_MACHINE")
        return HKEY_LOCAL_MACHINE;
    if (strUpper == "HKEY_CURRENT_USER")
        return HKEY_CURRENT_USER;
    return nullptr;
}

bool IsLocalMachine(const char* pszMachine) {
    if (!pszMachine || !*pszMachine)
        return true;
    const std::string strMachine = cp1251::ToUpper(pszMachine);
    if (strMachine == "\\\\.")
        return true;
    char szName[16];
    DWORD cchName = sizeof szName;
    return GetComputerNameA(szName, &cchName) && strMachine == "\\\\" + cp1251::ToUpper(szName);
}

// The data buffer of one value operation, m_cbMaxValueData bytes. With a
// maximum of 0 it is an empty buffer rather than none, so a value that has
// grown data since the last RefreshInfo fails with ERROR_MORE_DATA instead of
// reporting a size with nothing copied.
class CDataBuffer {
public:
    explicit CDataBuffer(DWORD cb) : m_cb(cb) {
        if (cb)
            m_p.reset(new (std::nothrow) BYTE[cb]);
    }
    bool Ok() const { return !m_cb || m_p; }
    BYTE* Data() { return m_cb ? m_p.get() : &m_empty; }
    DWORD Size() const { return m_cb; }

private:
    DWORD m_cb;
    std::unique_ptr<BYTE[]> m_p;
    BYTE m_empty = 0;
};

} // namespace

CKey::CKey() {
    Reset();
}

CKey::~CKey() {
    if (m_hKey)
        Close();
}

void CKey::Reset() {
    m_hKey = nullptr;
    m_strPath.clear();
    m_nAccess = 2;
    m_bOpen = 0;
    m_nValues = 0;
    m_nSubKeys = 0;
    m_cbMaxValueData = 0;
    m_cchMaxSubKeyName = 0;
    m_nEnumIndex = 0;
    m_strLastError.clear();
}

REGSAM CKey::AccessMask(std::int32_t nAccess) {
    switch (nAccess) {
    case 1:
        return KEY_WRITE;
    case 2:
        return KEY_READ | KEY_WRITE;
    default:
        return KEY_READ;
    }
}

LONG CKey::Open(const char* pszPath, std::int32_t nAccess, bool bCreate, const char* pszMachine) {
    if (m_bOpen)
        Close();
    m_strLastError.clear();
    m_strPath = pszPath ? pszPath : "";
    m_nAccess = nAccess;

    const std::string_view strPath = m_strPath;
    const std::size_t nSlash = strPath.find('\\');
    const std::string_view strRoot = strPath.substr(0, nSlash);
    const std::string strSubKey(nSlash == std::string_view::npos ? std::string_view()
                                                                 : strPath.substr(nSlash + 1));
    HKEY hRoot = RootKey(strRoot);
    if (!hRoot) {
        m_strLastError = std::string(kUnknownPath) + std::string(strRoot) + "\\" + strSubKey;
        return ERROR_PATH_NOT_FOUND;
    }
    const REGSAM sam = AccessMask(nAccess);

    if (!IsLocalMachine(pszMachine)) {
        HKEY hRemote = nullptr;
        const LONG nConnect = RegConnectRegistryA(pszMachine, hRoot, &hRemote);
        if (nConnect != ERROR_SUCCESS) {
            m_strLastError = "Can't connect to Registry of remote machine " +
                             std::string(pszMachine) + ", error " + std::to_string(nConnect);
            return nConnect;
        }
        hRoot = hRemote;
    }

    LONG nResult = ERROR_SUCCESS;
    if (strSubKey.empty()) {
        m_hKey = hRoot;
    } else {
        HKEY hKey = nullptr;
        if (bCreate) {
            DWORD dwDisposition = 0;
            char szClass[] = "";
            nResult = RegCreateKeyExA(hRoot, strSubKey.c_str(), 0, szClass, REG_OPTION_NON_VOLATILE,
                                      sam, nullptr, &hKey, &dwDisposition);
        } else {
            nResult = RegOpenKeyExA(hRoot, strSubKey.c_str(), 0, sam, &hKey);
        }
        RegCloseKey(hRoot);
        if (nResult == ERROR_SUCCESS)
            m_hKey = hKey;
    }
    if (nResult == ERROR_SUCCESS) {
        m_bOpen = 1;
        RefreshInfo();
    }
    return nResult;
}

LONG CKey::Close() {
    if (m_hKey) {
        const LONG n = RegCloseKey(m_hKey);
        if (n != ERROR_SUCCESS)
            return n;
    }
    Reset();
    return ERROR_SUCCESS;
}

LONG CKey::RefreshInfo() {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    m_nValues = m_nSubKeys = m_cbMaxValueData = m_cchMaxSubKeyName = 0;
    DWORD cchMaxValueName = 0;
    DWORD cbSecurity = 0;
    return RegQueryInfoKeyA(m_hKey, nullptr, nullptr, nullptr, &m_nSubKeys, &m_cchMaxSubKeyName,
                            nullptr, &m_nValues, &cchMaxValueName, &m_cbMaxValueData, &cbSecurity,
                            nullptr);
}

LONG CKey::GetValueName(DWORD nIndex, std::string& strName) {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    char szName[kNameBuffer];
    DWORD cchName = kNameBuffer;
    const LONG n =
        RegEnumValueA(m_hKey, nIndex, szName, &cchName, nullptr, nullptr, nullptr, nullptr);
    if (n == ERROR_SUCCESS)
        strName.assign(szName, cchName);
    return n;
}

LONG CKey::EnumValue(CKeyValue& value) {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    char szName[kNameBuffer];
    DWORD cchName = kNameBuffer;
    CDataBuffer buffer(m_cbMaxValueData);
    if (!buffer.Ok())
        return ERROR_NOT_ENOUGH_MEMORY;
    DWORD dwType = 0;
    DWORD cbData = buffer.Size();
    const LONG n = RegEnumValueA(m_hKey, value.m_nIndex, szName, &cchName, nullptr, &dwType,
                                 buffer.Data(), &cbData);
    if (n == ERROR_SUCCESS)
        value.Set(szName, dwType, buffer.Data(), cbData, value.m_nIndex);
    return n;
}

LONG CKey::NextValue(CKeyValue& value, std::int32_t nReset) {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    // Unsigned step: a runaway caller wraps instead of overflowing.
    m_nEnumIndex =
        nReset == 1 ? 0 : static_cast<std::int32_t>(static_cast<std::uint32_t>(m_nEnumIndex) + 1u);
    value.m_nIndex = static_cast<DWORD>(m_nEnumIndex);
    return EnumValue(value);
}

LONG CKey::QueryValue(CKeyValue& value, const char* pszName) {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    CDataBuffer buffer(m_cbMaxValueData);
    if (!buffer.Ok())
        return ERROR_NOT_ENOUGH_MEMORY;
    DWORD dwType = 0;
    DWORD cbData = buffer.Size();
    const LONG n = RegQueryValueExA(m_hKey, pszName, nullptr, &dwType, buffer.Data(), &cbData);
    if (n == ERROR_SUCCESS)
        value.Set(pszName, dwType, buffer.Data(), cbData, value.m_nIndex);
    return n;
}

LONG CKey::FindValue(CKeyValue& value, const char* pszName, bool bDirect) {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    if (bDirect) {
        m_nEnumIndex = 0;
        value.m_nIndex = 0;
        return pszName ? QueryValue(value, pszName) : EnumValue(value);
    }
    const LONG n = NextValue(value, 0);
    if (n != ERROR_SUCCESS)
        return n;
    const std::string strWanted = pszName ? cp1251::ToUpper(pszName) : std::string();
    while (pszName && cp1251::ToUpper(value.m_strName) != strWanted) {
        if (NextValue(value, 0) != ERROR_SUCCESS)
            return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

LONG CKey::HasValue(const char* pszName) {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    const std::string_view strWanted = pszName ? pszName : "";
    std::string strName;
    for (DWORD i = 0; i < m_nValues; ++i) {
        if (GetValueName(i, strName) == ERROR_SUCCESS && strName == strWanted)
            return 1;
    }
    return 0;
}

LONG CKey::SetValue(CKeyValue& value) {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    if (value.m_strName.empty())
        value.m_strName = std::to_string(m_nValues);
    const LONG n = RegSetValueExA(m_hKey, value.m_strName.c_str(), 0, value.m_dwType, value.m_pData,
                                  value.m_cbData);
    RefreshInfo();
    return n;
}

LONG CKey::ReadInt(std::int32_t* pnValue, const char* pszName, bool bDirect) {
    CKeyValue value;
    LONG n = FindValue(value, pszName, bDirect);
    if (n == ERROR_SUCCESS)
        n = value.GetInt(pnValue);
    return n;
}

LONG CKey::WriteString(const char* pszText, const char* pszName) {
    if (!m_bOpen)
        return ERROR_INVALID_ACCESS;
    const char* pszData = pszText ? pszText : "";
    CKeyValue value;
    value.Set(pszName, REG_SZ, pszData, static_cast<DWORD>(std::strlen(pszData) + 1), 0);
    return SetValue(value);
}

LONG CKey::WriteInt(std::int32_t nValue, const char* pszName) {
    char szText[16];
    std::snprintf(szText, sizeof szText, "%i", static_cast<int>(nValue));
    return WriteString(szText, pszName);
}
