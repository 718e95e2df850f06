#include "platform/winreg.h"

#include "platform/registrystore.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

using regstore::Root;

namespace {

// An open key is its root and its path, looked up in the file at every call,
// so a key removed from the file by hand is noticed (ERROR_KEY_DELETED).
struct OpenKey {
    Root root;
    std::string strPath;
    REGSAM sam;
};

std::mutex g_mutex;
std::unordered_map<std::uintptr_t, OpenKey> g_handles;
// Far below the predefined keys; a 64-bit count never comes back round.
std::uintptr_t g_nNextHandle = 0x1000;

// Windows' limit for a value name.
constexpr std::size_t kMaxValueName = 16383;

bool PredefinedRoot(HKEY hKey, Root& root) {
    if (hKey == HKEY_CLASSES_ROOT)
        root = Root::ClassesRoot;
    else if (hKey == HKEY_CURRENT_USER)
        root = Root::CurrentUser;
    else if (hKey == HKEY_LOCAL_MACHINE)
        root = Root::LocalMachine;
    else if (hKey == HKEY_USERS)
        root = Root::Users;
    else
        return false;
    return true;
}

bool Resolve(HKEY hKey, OpenKey& key) {
    Root root;
    if (PredefinedRoot(hKey, root)) {
        key = OpenKey{root, std::string(), KEY_ALL_ACCESS};
        return true;
    }
    std::lock_guard lock(g_mutex);
    const auto it = g_handles.find(reinterpret_cast<std::uintptr_t>(hKey));
    if (it == g_handles.end())
        return false;
    key = it->second;
    return true;
}

HKEY NewHandle(OpenKey key) {
    std::lock_guard lock(g_mutex);
    const std::uintptr_t n = g_nNextHandle;
    g_nNextHandle += 4;
    g_handles.emplace(n, std::move(key));
    return reinterpret_cast<HKEY>(n);
}

// The full path of lpSubKey below an open key; false when it is malformed
// (a leading or doubled backslash). One trailing backslash is dropped.
bool JoinPath(const OpenKey& base, const char* lpSubKey, std::string& strPath) {
    std::string_view sub = lpSubKey ? lpSubKey : "";
    if (!sub.empty() && sub.back() == '\\')
        sub.remove_suffix(1);
    if (!regfile::CHive::IsValidPath(sub) || (lpSubKey && *lpSubKey == '\\'))
        return false;
    strPath = base.strPath;
    if (!strPath.empty() && !sub.empty())
        strPath.push_back('\\');
    strPath += sub;
    return true;
}

// The key of an open handle in a hive, or ERROR_KEY_DELETED.
LONG FindOpenKey(const regfile::CHive& hive, const OpenKey& key, std::size_t& nKey) {
    nKey = hive.FindKey(key.strPath);
    return nKey == regfile::CHive::npos ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

// Copies a value's data as RegQueryValueEx and RegEnumValue do: the size
// alone without a buffer, ERROR_MORE_DATA and the size needed when it is too small.
LONG CopyData(const regfile::Value& v, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    if (lpType)
        *lpType = v.dwType;
    if (!lpcbData)
        return ERROR_SUCCESS;
    const auto cbNeeded = static_cast<DWORD>(v.data.size());
    if (lpData) {
        if (cbNeeded > *lpcbData) {
            *lpcbData = cbNeeded;
            return ERROR_MORE_DATA;
        }
        if (cbNeeded)
            std::memcpy(lpData, v.data.data(), cbNeeded);
    }
    *lpcbData = cbNeeded;
    return ERROR_SUCCESS;
}

} // namespace

LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                   HKEY* phkResult) {
    OpenKey base;
    if (!Resolve(hKey, base))
        return ERROR_INVALID_HANDLE;
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::string strPath;
    if (!JoinPath(base, lpSubKey, strPath))
        return ERROR_BAD_PATHNAME;
    std::shared_ptr<const regfile::CHive> hive;
    if (const LONG n = regstore::Read(base.root, hive))
        return n;
    std::size_t nKey;
    if (const LONG n = FindOpenKey(*hive, base, nKey))
        return n;
    if (hive->FindKey(strPath) == regfile::CHive::npos)
        return ERROR_FILE_NOT_FOUND;
    *phkResult = NewHandle(OpenKey{base.root, std::move(strPath), samDesired});
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*Reserved*/, char* /*lpClass*/,
                     DWORD /*dwOptions*/, REGSAM samDesired,
                     const SECURITY_ATTRIBUTES* /*lpSecurityAttributes*/, HKEY* phkResult,
                     DWORD* lpdwDisposition) {
    OpenKey base;
    if (!Resolve(hKey, base))
        return ERROR_INVALID_HANDLE;
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::string strPath;
    if (!JoinPath(base, lpSubKey, strPath))
        return ERROR_BAD_PATHNAME;
    std::shared_ptr<const regfile::CHive> hive;
    if (const LONG n = regstore::Read(base.root, hive))
        return n;
    std::size_t nKey;
    if (const LONG n = FindOpenKey(*hive, base, nKey))
        return n;
    bool bCreated = false;
    if (hive->FindKey(strPath) == regfile::CHive::npos) {
        if (!(base.sam & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        const LONG n = regstore::Modify(base.root, [&](regfile::CHive& current, bool& bChanged) {
            std::size_t nBase;
            if (const LONG nFind = FindOpenKey(current, base, nBase))
                return nFind;
            current.CreateKey(strPath, &bCreated);
            bChanged = bCreated;
            return ERROR_SUCCESS;
        });
        if (n)
            return n;
    }
    if (lpdwDisposition)
        *lpdwDisposition = bCreated ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = NewHandle(OpenKey{base.root, std::move(strPath), samDesired});
    return ERROR_SUCCESS;
}

LONG RegConnectRegistryA(const char* lpMachineName, HKEY hKey, HKEY* phkResult) {
    if (lpMachineName && *lpMachineName)
        return ERROR_BAD_NETPATH;
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    if (hKey != HKEY_LOCAL_MACHINE && hKey != HKEY_USERS)
        return ERROR_INVALID_HANDLE;
    *phkResult = hKey;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    Root root;
    if (PredefinedRoot(hKey, root))
        return ERROR_SUCCESS;
    std::lock_guard lock(g_mutex);
    return g_handles.erase(reinterpret_cast<std::uintptr_t>(hKey)) ? ERROR_SUCCESS
                                                                   : ERROR_INVALID_HANDLE;
}

LONG RegQueryInfoKeyA(HKEY hKey, char* lpClass, DWORD* lpcchClass, DWORD* lpReserved,
                      DWORD* lpcSubKeys, DWORD* lpcbMaxSubKeyLen, DWORD* lpcbMaxClassLen,
                      DWORD* lpcValues, DWORD* lpcbMaxValueNameLen, DWORD* lpcbMaxValueLen,
                      DWORD* lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime) {
    OpenKey key;
    if (!Resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if (lpReserved)
        return ERROR_INVALID_PARAMETER;
    if (!(key.sam & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    std::shared_ptr<const regfile::CHive> hive;
    std::int64_t nModified = 0;
    if (const LONG n = regstore::Read(key.root, hive, &nModified))
        return n;
    std::size_t nKey;
    if (const LONG n = FindOpenKey(*hive, key, nKey))
        return n;
    // No key has a class.
    if (lpClass && lpcchClass && *lpcchClass)
        lpClass[0] = '\0';
    if (lpcchClass)
        *lpcchClass = 0;
    if (lpcbMaxClassLen)
        *lpcbMaxClassLen = 0;
    if (lpcSubKeys)
        *lpcSubKeys = hive->SubKeyCount(nKey);
    if (lpcbMaxSubKeyLen)
        *lpcbMaxSubKeyLen = hive->MaxSubKeyNameLength(nKey);
    const auto& values = hive->Values(nKey);
    DWORD cchMaxName = 0;
    DWORD cbMaxData = 0;
    for (const auto& v : values) {
        cchMaxName = std::max(cchMaxName, static_cast<DWORD>(v.strName.size()));
        cbMaxData = std::max(cbMaxData, static_cast<DWORD>(v.data.size()));
    }
    if (lpcValues)
        *lpcValues = static_cast<DWORD>(values.size());
    if (lpcbMaxValueNameLen)
        *lpcbMaxValueNameLen = cchMaxName;
    if (lpcbMaxValueLen)
        *lpcbMaxValueLen = cbMaxData;
    if (lpcbSecurityDescriptor)
        *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) {
        // The file's time for every key in it, in 100 ns units since 1601.
        const std::uint64_t nTicks =
            nModified > 0 ? static_cast<std::uint64_t>(nModified / 100) + 116444736000000000ull : 0;
        lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(nTicks);
        lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(nTicks >> 32);
    }
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                   DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    OpenKey key;
    if (!Resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    if (!(key.sam & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    std::shared_ptr<const regfile::CHive> hive;
    if (const LONG n = regstore::Read(key.root, hive))
        return n;
    std::size_t nKey;
    if (const LONG n = FindOpenKey(*hive, key, nKey))
        return n;
    const auto& values = hive->Values(nKey);
    if (dwIndex >= values.size())
        return ERROR_NO_MORE_ITEMS;
    const regfile::Value& v = values[dwIndex];
    // The buffer's size counts the terminating NUL; the result does not.
    if (v.strName.size() >= *lpcchValueName)
        return ERROR_MORE_DATA;
    std::memcpy(lpValueName, v.strName.c_str(), v.strName.size() + 1);
    *lpcchValueName = static_cast<DWORD>(v.strName.size());
    return CopyData(v, lpType, lpData, lpcbData);
}

LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                      BYTE* lpData, DWORD* lpcbData) {
    OpenKey key;
    if (!Resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    if (!(key.sam & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    std::shared_ptr<const regfile::CHive> hive;
    if (const LONG n = regstore::Read(key.root, hive))
        return n;
    std::size_t nKey;
    if (const LONG n = FindOpenKey(*hive, key, nKey))
        return n;
    const std::size_t nValue = hive->FindValue(nKey, lpValueName ? lpValueName : "");
    if (nValue == regfile::CHive::npos)
        return ERROR_FILE_NOT_FOUND;
    return CopyData(hive->Values(nKey)[nValue], lpType, lpData, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD /*Reserved*/, DWORD dwType,
                    const BYTE* lpData, DWORD cbData) {
    OpenKey key;
    if (!Resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    const std::string_view strName = lpValueName ? lpValueName : "";
    // A line break cannot be written in a name of the text file.
    if ((!lpData && cbData) || strName.size() > kMaxValueName ||
        strName.find_first_of("\r\n") != std::string_view::npos)
        return ERROR_INVALID_PARAMETER;
    if (!(key.sam & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (cbData > regfile::kMaxFileSize)
        return ERROR_NOT_ENOUGH_QUOTA;
    return regstore::Modify(key.root, [&](regfile::CHive& hive, bool& bChanged) {
        std::size_t nKey;
        if (const LONG n = FindOpenKey(hive, key, nKey))
            return n;
        hive.SetValue(nKey, strName, dwType, std::vector<std::uint8_t>(lpData, lpData + cbData));
        bChanged = true;
        return ERROR_SUCCESS;
    });
}
