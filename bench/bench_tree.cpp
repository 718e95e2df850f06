// Tree build over large Tree.dat files: one forward pass, one string read per
// item. Reports items per second and the store's bytes per item.
// --build=DIR builds the tree of DIR once and --walk=DIR reads and walks the
// same bytes once, each as a fresh process for bench/run to time.
#include "bench/wholefile.h"
#include "data/databasefiles.h"
#include "data/le.h"
#include "mainwnd/typetree.h"
#include "platform/treectrl.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Groups of 100 types under 100 groups per section: a wide, shallow tree of
// nItems records, each with its own caption.
std::string WriteDatabase(int nItems) {
    char szTemplate[] = "/tmp/verlumo-bench-XXXXXX";
    if (!::mkdtemp(szTemplate))
        std::abort();
    const std::string strDir = szTemplate;
    std::string tree, pool;
    std::int32_t nGroup = -1, nSection = -1;
    for (int i = 0; i < nItems; ++i) {
        std::int32_t nParent;
        if (i % 10001 == 0) {
            nSection = i;
            nParent = -1;
        } else if ((i - nSection) % 101 == 1) {
            nGroup = i;
            nParent = nSection;
        } else {
            nParent = nGroup;
        }
        unsigned char rec[12];
        le::PutInt32(rec, nParent);
        le::PutInt32(rec + 4, i);
        le::PutInt32(rec + 8, static_cast<std::int32_t>(pool.size()));
        tree.append(reinterpret_cast<const char*>(rec), 12);
        pool += "\xD2\xF3-" + std::to_string(i);
        pool += '\0';
    }
    std::ofstream(strDir + "/Tree.dat", std::ios::binary) << tree;
    std::ofstream(strDir + "/Strings.dat", std::ios::binary) << pool;
    return strDir;
}

void BM_BuildTree(benchmark::State& state) {
    const int nItems = static_cast<int>(state.range(0));
    const std::string strDir = WriteDatabase(nItems);
    CDatabaseFiles files;
    files.Open(strDir);
    std::size_t nCount = 0;
    for (auto _ : state) {
        CTreeCtrl ctl;
        const std::int32_t nFirst = nItems - 1;
        CTypeTree tree(ctl, files, &nFirst);
        tree.Build();
        nCount = ctl.GetCount();
        benchmark::DoNotOptimize(tree.m_hSelectedItem);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * nItems);
    state.counters["items"] = static_cast<double>(nCount);
    std::filesystem::remove_all(strDir);
}
BENCHMARK(BM_BuildTree)->Arg(100000)->Arg(2000000)->Unit(benchmark::kMillisecond);

// A fresh process's part, timed from outside by bench/run: the tree of DIR
// built once.
int BuildOnce(const std::string& strDir) {
    CDatabaseFiles files;
    files.Open(strDir);
    CTreeCtrl ctl;
    CTypeTree tree(ctl, files, nullptr);
    tree.Build();
    std::printf("%u items\n", ctl.GetCount());
    return 0;
}

// Its floor: the same bytes of Tree.dat and Strings.dat read whole, every
// record decoded and its caption's length found.
int WalkOnce(const std::string& strDir) {
    const std::string tree = ReadWholeFile(strDir + "/Tree.dat");
    const std::string pool = ReadWholeFile(strDir + "/Strings.dat");
    std::size_t nItems = 0, nBytes = 0;
    for (std::size_t i = 0; i + 12 <= tree.size(); i += 12) {
        const auto* p = reinterpret_cast<const unsigned char*>(tree.data() + i);
        nItems += le::GetInt32(p) >= -1;
        const std::int32_t nName = le::GetInt32(p + 8);
        if (nName >= 0 && static_cast<std::size_t>(nName) < pool.size())
            nBytes += std::strlen(pool.data() + nName); // the pool ends with a NUL
    }
    std::printf("%zu items, %zu caption bytes\n", nItems, nBytes);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strncmp(argv[1], "--build=", 8) == 0)
        return BuildOnce(argv[1] + 8);
    if (argc == 2 && std::strncmp(argv[1], "--walk=", 7) == 0)
        return WalkOnce(argv[1] + 7);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
