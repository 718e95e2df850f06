// The search over a large database against its floor: the same bytes of
// Tree.dat, AircraftItems.dat and Strings.dat read whole into memory and
// scanned with the same text test. Prints the ratio search / floor at the end, for the command (the
// tree built, then the walk) and for the walk alone (the dialog's part).
//
// 100,000 tree items by default; --items=N (or VERLUMO_BENCH_ITEMS=N) asks
// for another size, 1000000 for the million; --dir=DIR measures a database
// generated beforehand. The last line ("row search ...") is for bench/run.
#include "bench/wholefile.h"
#include "data/aircraftrecord.h"
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/le.h"
#include "mainwnd/typetree.h"
#include "platform/processheap.h"
#include "platform/treectrl.h"
#include "search/findword.h"
#include "search/searchwalk.h"
#include "tools/dbgenerate.h"
#include "tools/dbsearch.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kMiss = "NOSUCHTEXT";

std::string& DatabaseDir() {
    static std::string s;
    return s;
}

// The string at nOffset up to its NUL, as the pool gives it.
std::string_view PoolString(const std::string& pool, std::int32_t nOffset) {
    if (nOffset < 0 || static_cast<std::size_t>(nOffset) >= pool.size())
        return {};
    const char* p = pool.data() + nOffset;
    const std::size_t nMax = pool.size() - static_cast<std::size_t>(nOffset);
    const void* pNul = std::memchr(p, '\0', nMax);
    return {p, pNul ? static_cast<std::size_t>(static_cast<const char*>(pNul) - p) : nMax};
}

void BM_SearchMiss(benchmark::State& state) {
    for (auto _ : state) {
        std::ostringstream out, err;
        const int nExit = SearchDatabase(DatabaseDir(), kMiss, false, std::nullopt, out, err);
        if (nExit != 1)
            state.SkipWithError("the miss was found");
    }
}

// The search dialog's part alone: the walk over a tree built once, as the
// viewer holds it.
void BM_WalkMiss(benchmark::State& state) {
    CDatabaseFiles files;
    files.Open(DatabaseDir());
    CTreeCtrl ctl;
    CTypeTree tree(ctl, files, nullptr);
    tree.Build();
    CAircraftText match(&files);
    for (auto _ : state)
        if (FindNextMatch(tree, match, kMiss, false, kStartFromBeginning, 0))
            state.SkipWithError("the miss was found");
}

// Every tree record and its caption (the tree build), every type's record
// and its five names searched for the text, once per type however many
// items show it, as the search tests them: what the search reads, from
// memory.
void BM_Floor(benchmark::State& state) {
    const std::string strDir = DatabaseDir() + "/";
    for (auto _ : state) {
        const std::string tree = ReadWholeFile(strDir + CDatabaseFiles::kTreeName);
        const std::string aircraft = ReadWholeFile(strDir + CDatabaseFiles::kAircraftName);
        const std::string pool = ReadWholeFile(strDir + CDatabaseFiles::kStringsName);
        std::size_t nFound = 0, nBytes = 0;
        std::vector<bool> tested(aircraft.size() / AircraftRecord::kSize);
        for (std::size_t i = 0; i + 12 <= tree.size(); i += 12) {
            const auto* p = reinterpret_cast<const unsigned char*>(tree.data() + i);
            nBytes += PoolString(pool, le::GetInt32(p + 8)).size();
            const std::int32_t nItem = le::GetInt32(p + 4);
            const std::size_t nAt = static_cast<std::size_t>(nItem) * AircraftRecord::kSize;
            if (nItem < 0 || nAt + AircraftRecord::kSize > aircraft.size() ||
                tested[static_cast<std::size_t>(nItem)])
                continue;
            tested[static_cast<std::size_t>(nItem)] = true;
            const AircraftRecord rec = AircraftRecord::FromBytes(
                reinterpret_cast<const unsigned char*>(aircraft.data() + nAt));
            // The search's own text test, so that the ratio is what reading
            // through the files costs, not the test.
            for (std::int32_t nOffset : {rec.firm, rec.country, rec.model, rec.type, rec.name}) {
                const std::string_view strName = nOffset < 0 ? "" : PoolString(pool, nOffset);
                nFound += FindWord(strName.empty() ? "-" : strName, kMiss, false) >= 0;
            }
        }
        benchmark::DoNotOptimize(nFound);
        benchmark::DoNotOptimize(nBytes);
    }
}

class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                // With repetitions the shortest counts, as for the fresh
                // processes of bench/run: the one least disturbed.
                double& dTime = m_times[run.run_name.function_name];
                const double dRun = run.GetAdjustedCPUTime();
                if (dTime == 0 || dRun < dTime)
                    dTime = dRun;
            }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double dSearch = m_times["BM_SearchMiss"], dWalk = m_times["BM_WalkMiss"],
                     dFloor = m_times["BM_Floor"];
        if (dFloor > 0)
            std::printf("\nsearch / floor: %.2fx (aim: 2x or less), walk alone / floor: %.2fx\n",
                        dSearch / dFloor, dWalk / dFloor);
        // For bench/run: CPU milliseconds, which other work on the machine
        // disturbs less than the clock.
        std::printf("row search %d %.3f %.3f %.3f\n", m_nItems, dSearch, dWalk, dFloor);
    }
    int m_nItems = 0;

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv) {
    SetProcessHeap();
    std::int32_t nItems = 100000;
    if (const char* psz = std::getenv("VERLUMO_BENCH_ITEMS"))
        nItems = std::atoi(psz);
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--items=", 8) == 0)
            nItems = std::atoi(argv[i] + 8);
        else
            args.push_back(argv[i]);
    }
    std::string strGiven;
    for (auto it = args.begin(); it != args.end();) {
        if (std::strncmp(*it, "--dir=", 6) == 0) {
            strGiven = *it + 6;
            it = args.erase(it);
        } else {
            ++it;
        }
    }
    if (nItems < 10)
        nItems = 10;
    char szTemplate[] = "/tmp/verlumo-bench-search-XXXXXX";
    if (!strGiven.empty()) {
        // A database generated beforehand (bench/run): measured, kept.
        DatabaseDir() = strGiven;
        nItems = static_cast<std::int32_t>(
            std::filesystem::file_size(strGiven + "/" + CDatabaseFiles::kTreeName) / 12);
    } else {
        if (!::mkdtemp(szTemplate))
            std::abort();
        DatabaseDir() = szTemplate;
        // Ten items per type, as in a large real tree where types are shown
        // in several groups.
        GenerateOptions options;
        options.nTypes = nItems / 10;
        options.nItems = nItems;
        options.nDepth = 4;
        GenerateDatabase(options, DatabaseDir(), nullptr);
    }
    std::printf("%d tree items in %s\n", nItems, DatabaseDir().c_str());

    benchmark::RegisterBenchmark("BM_SearchMiss", BM_SearchMiss)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_WalkMiss", BM_WalkMiss)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Floor", BM_Floor)->Unit(benchmark::kMillisecond);
    int nArgs = static_cast<int>(args.size());
    benchmark::Initialize(&nArgs, args.data());
    CRatioReporter reporter;
    reporter.m_nItems = nItems;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (strGiven.empty())
        std::filesystem::remove_all(DatabaseDir());
    return 0;
}
