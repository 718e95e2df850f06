// Fuzz target: arbitrary bytes split into the four record files, then the
// tree build, every type's text form and its strip rows, as the viewer and
// `verlumo-db dump` read them.
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/striprecord.h"
#include "mainwnd/typetree.h"
#include "platform/treectrl.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// One scratch directory for the whole run, removed at exit.
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

std::string MakeDir() {
    static const CScratchDir dir;
    return dir.m_strPath;
}

void WriteFile(const std::string& strPath, const std::uint8_t* p, std::size_t n) {
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (!f)
        std::abort();
    if (n)
        std::fwrite(p, 1, n, f);
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    // Four little-endian 16-bit lengths split the input; the rest is the pool.
    if (nSize < 8)
        return 0;
    std::size_t nLengths[4];
    for (int i = 0; i < 4; ++i)
        nLengths[i] = static_cast<std::size_t>(pData[2 * i] | pData[2 * i + 1] << 8);
    std::size_t nAt = 8;
    const char* names[4] = {CDatabaseFiles::kTreeName, CDatabaseFiles::kAircraftName,
                            CDatabaseFiles::kStripsName, CDatabaseFiles::kStringsName};
    const std::string strDir = MakeDir();
    for (int i = 0; i < 4; ++i) {
        std::size_t n = i == 3 ? nSize - nAt : std::min(nLengths[i], nSize - nAt);
        WriteFile(CDatabaseFiles::PathIn(strDir, names[i]), pData + nAt, n);
        nAt += n;
    }
    WriteFile(CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kPicturesName), pData, 0);

    CDatabaseFiles files;
    files.Open(strDir);
    CTreeCtrl ctl;
    const std::int32_t nFirst = nSize > 8 ? pData[8] : -1;
    CTypeTree tree(ctl, files, &nFirst);
    tree.Build();
    std::size_t nWalked = 0;
    for (HTREEITEM h = ctl.GetRootItem(); h; h = tree.GetNextTreeItem(h))
        ++nWalked;
    if (nWalked != ctl.GetCount())
        std::abort();

    CAircraftText text(&files);
    for (std::int32_t n = 0; n < 64 && text.Load(n); ++n) {
        const auto rows = ReadStripRows(files.m_fileStrips, text.m_record);
        if (rows.size() > 4096 / 12)
            std::abort(); // more rows than the strip file can hold
        text.ClearMain();
    }
    return 0;
}

// A small well-formed database: the worked tree of five items, two types
// with strings and strip rows.
std::vector<std::uint8_t> FuzzSeed() {
    std::vector<std::uint8_t> out;
    auto put16 = [&out](std::size_t n) {
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(static_cast<std::uint8_t>(n >> 8));
    };
    auto put32 = [&out](std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    };
    put16(5 * 12);
    put16(2 * 156);
    put16(3 * 12);
    put16(0);
    const std::int32_t tree[5][3] = {{-1, -1, 0}, {0, 0, 2}, {0, -1, 4}, {2, 1, 6}, {-1, -1, 0}};
    for (const auto& rec : tree)
        for (std::int32_t v : rec)
            put32(v);
    // String references (fields 0-2, 17, 18, 31) name "B"; the strip fields
    // (29, 30) name two rows; the picture fields stay 0; the rest are values.
    for (int t = 0; t < 2; ++t)
        for (int f = 0; f < 39; ++f) {
            const bool bString = f < 3 || f == 17 || f == 18 || f == 31;
            put32(bString ? 2 : f == 29 ? t : f == 30 ? 2 : f == 19 || f == 20 ? 0 : f * 100);
        }
    for (int i = 0; i < 9; ++i)
        put32(i * 1000);
    for (char ch : std::string("A\0B\0C\0\xC0\xC1\0", 8))
        out.push_back(static_cast<std::uint8_t>(ch));
    return out;
}
