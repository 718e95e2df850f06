#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

// Writes the files of a static site under one root, creating folders as
// needed, and counts them. Data files are scripts that hand their content to
// the page: window.__verlumo(KIND, KEY, JSON) — a page opened from file://
// may load scripts but not fetch files.
class CSiteWriter {
public:
    explicit CSiteWriter(std::string strRoot);

    // strRelPath uses "/" and names no parent folder. Throws
    // std::runtime_error when the file cannot be written.
    void WriteFile(const std::string& strRelPath, std::string_view data);
    // strKeyJson and strJson are JSON texts.
    void WriteData(const std::string& strRelPath, std::string_view strKind,
                   std::string_view strKeyJson, std::string_view strJson);
    // Makes the folder of a file that another writer fills.
    std::string PrepareFolder(const std::string& strRelFolder);

    const std::string& GetRoot() const { return m_strRoot; }
    std::int64_t m_nFiles = 0;
    std::int64_t m_nBytes = 0;

private:
    std::string m_strRoot;
    std::set<std::string> m_folders; // made already
};
