#pragma once

#include "platform/winreg.h"
#include "support/tempdir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

// The application's key, written out rather than taken from the code under test.
inline constexpr const char* kVerlumo = "HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo";
inline constexpr const char* kSubKey = "SOFTWARE\\KORV\\Verlumo";

// Every registry test works on a store of its own in a fresh directory.
class RegistryTest : public ::testing::Test {
protected:
    static constexpr const char* kFile = "HKEY_LOCAL_MACHINE.reg";

    void SetUp() override { ::setenv("VERLUMO_REGISTRY_DIR", m_dir.Path().c_str(), 1); }
    void TearDown() override { ::unsetenv("VERLUMO_REGISTRY_DIR"); }

    std::string StoreText() const { return m_dir.ReadFile(kFile); }
    void WriteStore(const std::string& text) const { m_dir.WriteFile(kFile, text); }
    bool StoreExists() const { return ::access(m_dir.File(kFile).c_str(), F_OK) == 0; }

    // The type and data of a value below HKEY_LOCAL_MACHINE, read straight
    // through the registry calls.
    static LONG Query(const char* pszKey, const char* pszName, DWORD& dwType,
                      std::vector<BYTE>& data) {
        HKEY hKey = nullptr;
        LONG n = RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &hKey);
        if (n != ERROR_SUCCESS)
            return n;
        DWORD cb = 0;
        n = RegQueryValueExA(hKey, pszName, nullptr, &dwType, nullptr, &cb);
        if (n == ERROR_SUCCESS) {
            data.assign(cb, 0);
            n = RegQueryValueExA(hKey, pszName, nullptr, &dwType, data.data(), &cb);
            data.resize(cb);
        }
        RegCloseKey(hKey);
        return n;
    }

    CTempDir m_dir;
};

inline std::vector<BYTE> Bytes(const std::string& s) {
    return std::vector<BYTE>(s.begin(), s.end());
}
