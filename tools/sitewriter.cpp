#include "tools/sitewriter.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

CSiteWriter::CSiteWriter(std::string strRoot) : m_strRoot(std::move(strRoot)) {}

std::string CSiteWriter::PrepareFolder(const std::string& strRelFolder) {
    const std::string strPath = strRelFolder.empty() ? m_strRoot : m_strRoot + "/" + strRelFolder;
    if (m_folders.insert(strRelFolder).second) {
        std::error_code ec;
        std::filesystem::create_directories(strPath, ec);
        if (ec)
            throw std::runtime_error(strPath + ": cannot be created: " + ec.message());
    }
    return strPath;
}

void CSiteWriter::WriteFile(const std::string& strRelPath, std::string_view data) {
    const std::size_t nSlash = strRelPath.rfind('/');
    PrepareFolder(nSlash == std::string::npos ? std::string() : strRelPath.substr(0, nSlash));
    const std::string strPath = m_strRoot + "/" + strRelPath;
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out)
        throw std::runtime_error(strPath + ": cannot be written");
    ++m_nFiles;
    m_nBytes += static_cast<std::int64_t>(data.size());
}

void CSiteWriter::WriteData(const std::string& strRelPath, std::string_view strKind,
                            std::string_view strKeyJson, std::string_view strJson) {
    std::string strScript;
    strScript.reserve(strJson.size() + 64);
    strScript += "window.__verlumo(\"";
    strScript += strKind;
    strScript += "\",";
    strScript += strKeyJson;
    strScript += ",";
    strScript += strJson;
    strScript += ");\n";
    WriteFile(strRelPath, strScript);
}
