// Tree build over large Tree.dat files: one forward pass, one string read per
// item. Reports items per second and the store's bytes per item.
#include "data/databasefiles.h"
#include "data/le.h"
#include "mainwnd/typetree.h"
#include "platform/treectrl.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

} // namespace

BENCHMARK_MAIN();
