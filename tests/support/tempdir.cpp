#include "support/tempdir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

CTempDir::CTempDir() {
    std::string strTemplate = (std::filesystem::temp_directory_path() / "verlumo-test-XXXXXX");
    if (!::mkdtemp(strTemplate.data()))
        throw std::runtime_error("mkdtemp failed");
    m_strPath = strTemplate;
}

CTempDir::~CTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_strPath, ec);
}

void CTempDir::WriteFile(const std::string& strName, const std::string& bytes) const {
    std::ofstream out(File(strName), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + File(strName));
}

std::string CTempDir::ReadFile(const std::string& strName) const {
    std::ifstream in(File(strName), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
