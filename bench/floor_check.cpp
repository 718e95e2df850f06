// The floor of `verlumo-db check DIR`: the reads and tests check makes, from
// memory. The files are read whole; the pool is scanned once for strings
// longer than the bound; the tree records are walked in depth-first order
// with a stack of open parents; every string reference, item and strip range
// is tested in place; the templates go through the tool's own template check
// (two small files). Prints the problem count and the summary's figures.
//
// A floor for sound databases without pictures, as the generated ones are:
// it counts findings, it does not word them, and it decodes no picture.
#include "bench/wholefile.h"
#include "data/aircraftrecord.h"
#include "data/databasefiles.h"
#include "data/stringpoolfile.h"
#include "data/striprecord.h"
#include "data/treerecord.h"
#include "mainwnd/typetree.h"
#include "tools/templatecheck.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace {

// The runs between NULs longer than a string may be: [start, NUL or end).
using Runs = std::vector<std::pair<std::size_t, std::size_t>>;

Runs LongRuns(const std::string& pool) {
    Runs runs;
    std::size_t nStart = 0;
    while (nStart < pool.size()) {
        const void* pNul = std::memchr(pool.data() + nStart, '\0', pool.size() - nStart);
        const std::size_t nEnd =
            pNul ? static_cast<std::size_t>(static_cast<const char*>(pNul) - pool.data())
                 : pool.size();
        if (nEnd - nStart > CStringPoolFile::kMaxStringBytes)
            runs.emplace_back(nStart, nEnd);
        nStart = nEnd + 1;
    }
    return runs;
}

struct CFloorCheck {
    const std::string& pool;
    Runs runs = LongRuns(pool);
    std::int64_t nProblems = 0;

    void StringRef(std::int32_t nOffset) {
        if (nOffset < 0 || static_cast<std::size_t>(nOffset) >= pool.size()) {
            ++nProblems;
            return;
        }
        if (runs.empty())
            return;
        const auto n = static_cast<std::size_t>(nOffset);
        auto it = std::upper_bound(runs.begin(), runs.end(), std::pair{n, SIZE_MAX});
        if (it != runs.begin() && n < (--it)->second &&
            it->second - n > CStringPoolFile::kMaxStringBytes)
            ++nProblems;
    }
};

// The items the viewer's tree holds: the records up to the first one out of
// depth-first order.
std::int64_t TreeItems(const std::string& tree) {
    const std::int64_t nRecords = static_cast<std::int64_t>(tree.size() / TreeRecord::kSize);
    std::vector<std::int32_t> levels{-1};
    levels.reserve(64);
    std::int64_t n = 0;
    for (; n < nRecords && n < kMaxTreeItems; ++n) {
        const std::int32_t nParent =
            TreeRecord::FromBytes(reinterpret_cast<const unsigned char*>(tree.data()) +
                                  n * TreeRecord::kSize)
                .parent;
        if (nParent == n - 1 && levels.back() != nParent)
            levels.push_back(nParent);
        while (!levels.empty() && levels.back() != nParent)
            levels.pop_back();
        if (levels.empty())
            break;
    }
    return n;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor_check DIR\n");
        return 2;
    }
    try {
        const std::string strDir = argv[1];
        const auto [tree, pool, types, strips] = ReadDatabaseBytes(strDir);
        CFloorCheck check{pool};
        check.nProblems += tree.size() % TreeRecord::kSize != 0;
        check.nProblems += types.size() % AircraftRecord::kSize != 0;
        check.nProblems += strips.size() % StripRecord::kSize != 0;
        check.nProblems += !pool.empty() && pool.back() != '\0';

        const std::int64_t nItems = TreeItems(tree);
        const std::int64_t nTypes = static_cast<std::int64_t>(types.size() / AircraftRecord::kSize);
        const std::int64_t nTreeRecords =
            static_cast<std::int64_t>(tree.size() / TreeRecord::kSize);
        check.nProblems += nItems < nTreeRecords;
        for (std::int64_t n = 0; n < nTreeRecords; ++n) {
            const TreeRecord rec = TreeRecord::FromBytes(
                reinterpret_cast<const unsigned char*>(tree.data()) + n * TreeRecord::kSize);
            check.StringRef(rec.nameOffset);
            check.nProblems += rec.item >= nTypes;
        }

        const std::int64_t nStripRows =
            static_cast<std::int64_t>(strips.size() / StripRecord::kSize);
        for (std::int64_t n = 0; n < nTypes; ++n) {
            const AircraftRecord r = AircraftRecord::FromBytes(
                reinterpret_cast<const unsigned char*>(types.data()) + n * AircraftRecord::kSize);
            for (const std::int32_t nOffset : {r.firm, r.country, r.text, r.model, r.name, r.type})
                check.StringRef(nOffset);
            if (r.stripCount < 0)
                ++check.nProblems;
            else if (r.stripCount > 0 &&
                     (r.firstStrip < 0 || std::int64_t{r.firstStrip} + r.stripCount > nStripRows))
                ++check.nProblems;
            check.nProblems += r.stripCount > kMaxStripRows;
            check.nProblems += r.pictureCount < 0 || r.previewOffset < 0;
        }
        check.nProblems += static_cast<std::int64_t>(CheckTemplates(strDir).size());
        std::printf("%lld problems; %lld types, %lld tree items\n",
                    static_cast<long long>(check.nProblems), static_cast<long long>(nTypes),
                    static_cast<long long>(nItems));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "floor_check: %s\n", e.what());
        return 2;
    }
    return 0;
}
