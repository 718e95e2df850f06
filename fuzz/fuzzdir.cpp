#include "fuzz/fuzzdir.h"

#include "data/databasefiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

struct CScratchDir {
    CScratchDir() {
        char szTemplate[] = "/tmp/verlumo-fuzz-XXXXXX";
        if (!::mkdtemp(szTemplate))
            std::abort();
        m_strPath = szTemplate;
    }
    ~CScratchDir() { std::filesystem::remove_all(m_strPath); }
    std::string m_strPath;
};

} // namespace

const std::string& FuzzScratchDir() {
    static const CScratchDir dir;
    return dir.m_strPath;
}

void WriteFuzzFile(const char* pszName, const void* p, std::size_t n) {
    FILE* f = std::fopen(CDatabaseFiles::PathIn(FuzzScratchDir(), pszName).c_str(), "wb");
    if (!f)
        std::abort();
    if (n && std::fwrite(p, 1, n, f) != n)
        std::abort();
    std::fclose(f);
}
