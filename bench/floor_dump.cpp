// The floor of `verlumo-db dump DIR`: the same JSON written as a plain
// stream. The four files are read whole, every record is decoded in place and
// every element is formatted straight into one output buffer, with no tree,
// no text form of a type and no per-value string. bench/run compares its
// output with dump's byte for byte before timing either.
//
// It is a floor, not a second dump: it takes the database to be sound (tree
// records in depth-first order, within the tree's bounds), as the generated
// ones are, and leaves every other case to dump.
#include "bench/wholefile.h"
#include "data/aircraftrecord.h"
#include "data/databasefiles.h"
#include "data/le.h"
#include "data/stringpoolfile.h"
#include "data/striprecord.h"
#include "data/treerecord.h"
#include "platform/cp1251.h"
#include "tools/dbdump.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// Written out whenever this much has gathered: large enough that the write
// calls do not count, small enough to stay in the cache.
constexpr std::size_t kFlushBytes = 1 << 20;

class COut {
public:
    COut() { m_str.reserve(kFlushBytes + 4 * CStringPoolFile::kMaxStringBytes + 4096); }
    ~COut() { Flush(); }

    void Put(std::string_view s) { m_str.append(s); }
    void Put(char ch) { m_str.push_back(ch); }
    void Number(std::int64_t n) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
        m_str.append(buffer, result.ptr);
    }
    // A cp1251 string as a JSON string in UTF-8, one table entry per byte.
    void Json(std::string_view strCp1251) {
        m_str.push_back('"');
        for (const char ch : strCp1251)
            m_str.append(m_escaped[static_cast<unsigned char>(ch)]);
        m_str.push_back('"');
    }
    void MaybeFlush() {
        if (m_str.size() >= kFlushBytes)
            Flush();
    }
    void Flush() {
        std::size_t nDone = 0;
        while (nDone < m_str.size()) {
            const ssize_t n = ::write(STDOUT_FILENO, m_str.data() + nDone, m_str.size() - nDone);
            if (n <= 0)
                break;
            nDone += static_cast<std::size_t>(n);
        }
        m_str.clear();
    }

    // Filled once from the tool's own conversions, so both agree on every byte.
    std::string m_escaped[256];

private:
    std::string m_str;
};

void FillEscapes(std::string (&escaped)[256]) {
    for (int ch = 0; ch < 256; ++ch) {
        std::string strQuoted;
        AppendJsonString(strQuoted, cp1251::ToUtf8(std::string(1, static_cast<char>(ch))));
        escaped[ch] = strQuoted.substr(1, strQuoted.size() - 2);
    }
}

// The pool's string at nOffset, empty for none.
std::string_view PoolString(const std::string& pool, std::int32_t nOffset) {
    if (nOffset < 0 || static_cast<std::size_t>(nOffset) >= pool.size())
        return {};
    const char* p = pool.data() + nOffset;
    const std::size_t nMax =
        std::min(pool.size() - static_cast<std::size_t>(nOffset), CStringPoolFile::kMaxStringBytes);
    const void* pNul = std::memchr(p, '\0', nMax);
    const std::size_t n =
        pNul ? static_cast<std::size_t>(static_cast<const char*>(pNul) - p) : nMax;
    return {p, n};
}

// The same as a value shows it: "-" for an empty string or none.
std::string_view ValueString(const std::string& pool, std::int32_t nOffset) {
    const std::string_view s = PoolString(pool, nOffset);
    return s.empty() ? std::string_view("-") : s;
}

void Count(COut& out, std::int32_t v) {
    out.Put('"');
    if (v == 0)
        out.Put('-');
    else
        out.Number(v);
    out.Put('"');
}

void Year(COut& out, std::int32_t v) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.Put('"');
    out.Put(result.ptr - buffer == 4 ? std::string_view(buffer, 4) : std::string_view("-"));
    out.Put('"');
}

void Real(COut& out, float v, int nPrecision) {
    const double d = v;
    char buffer[400]; // FLT_MAX has 39 integer digits
    std::to_chars_result result{buffer, std::errc()};
    if (d != 0.0 && !std::isnan(d))
        result =
            std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::fixed, nPrecision);
    out.Put('"');
    out.Put(result.ptr == buffer || result.ec != std::errc()
                ? std::string_view("-")
                : std::string_view(buffer, result.ptr));
    out.Put('"');
}

void Tree(COut& out, const std::string& tree, const std::string& pool) {
    const std::size_t nRecords = tree.size() / TreeRecord::kSize;
    for (std::size_t n = 0; n < nRecords; ++n) {
        const TreeRecord rec = TreeRecord::FromBytes(
            reinterpret_cast<const unsigned char*>(tree.data()) + n * TreeRecord::kSize);
        out.Put(n ? ",\n    {\"position\":" : "\n    {\"position\":");
        out.Number(static_cast<std::int64_t>(n));
        out.Put(",\"parent\":");
        out.Number(rec.parent);
        out.Put(",\"item\":");
        out.Number(rec.item);
        out.Put(",\"caption\":");
        out.Json(PoolString(pool, rec.nameOffset));
        out.Put('}');
        out.MaybeFlush();
    }
}

void Types(COut& out, const std::string& types, const std::string& pool,
           const std::string& strips) {
    const std::size_t nRecords = types.size() / AircraftRecord::kSize;
    const std::int64_t nStripRows = static_cast<std::int64_t>(strips.size() / StripRecord::kSize);
    for (std::size_t n = 0; n < nRecords; ++n) {
        const AircraftRecord r = AircraftRecord::FromBytes(
            reinterpret_cast<const unsigned char*>(types.data()) + n * AircraftRecord::kSize);
        out.Put(n ? ",\n    {\"record\":" : "\n    {\"record\":");
        out.Number(static_cast<std::int64_t>(n));
        out.Put(",\"slots\":[");
        for (const std::int32_t nString : {r.firm, r.country, r.model, r.type, r.name, r.text}) {
            out.Json(ValueString(pool, nString));
            out.Put(',');
        }
        Real(out, r.value7, 2);
        out.Put(',');
        Real(out, r.value8, 2);
        out.Put(',');
        Real(out, r.value9, 1);
        for (const std::int32_t v :
             {r.value10, r.value11, r.value12, r.value13, r.value14, r.value15, r.value16,
              r.value17, r.value18, r.value19, r.value20, r.value21, r.value22}) {
            out.Put(',');
            Count(out, v);
        }
        out.Put(',');
        Year(out, r.year);
        for (const std::int32_t v : {r.value24, r.value25, r.value26, r.value27, r.value28,
                                     r.value29, r.value30, r.value31}) {
            out.Put(',');
            Count(out, v);
        }
        out.Put(',');
        Real(out, r.value32, 2);
        for (const float v : {r.value33, r.value34, r.value35}) {
            out.Put(',');
            Real(out, v, 1);
        }
        out.Put("],\"pictureCount\":");
        out.Number(r.pictureCount);
        out.Put(",\"previewOffset\":");
        out.Number(r.previewOffset);
        out.Put(",\"firstStrip\":");
        out.Number(r.firstStrip);
        out.Put(",\"stripCount\":");
        out.Number(r.stripCount);
        out.Put(",\"strips\":[");
        if (r.firstStrip >= 0 && !strips.empty()) {
            const std::int64_t nRows =
                std::min<std::int64_t>({r.stripCount, nStripRows - r.firstStrip, kMaxStripRows});
            for (std::int64_t i = 0; i < nRows; ++i) {
                const auto* p = reinterpret_cast<const unsigned char*>(strips.data()) +
                                (r.firstStrip + i) * StripRecord::kSize;
                out.Put(i ? ",[" : "[");
                out.Number(le::GetInt32(p));
                out.Put(',');
                out.Number(le::GetInt32(p + 4));
                out.Put(',');
                out.Number(le::GetInt32(p + 8));
                out.Put(']');
            }
        }
        out.Put("]}");
        out.MaybeFlush();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor_dump DIR\n");
        return 2;
    }
    try {
        const std::string strDir = argv[1];
        const auto [tree, pool, types, strips] = ReadDatabaseBytes(strDir);
        COut out;
        FillEscapes(out.m_escaped);
        out.Put("{\n  \"tree\": [");
        Tree(out, tree, pool);
        out.Put("\n  ],\n  \"types\": [");
        Types(out, types, pool, strips);
        out.Put("\n  ]\n}\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "floor_dump: %s\n", e.what());
        return 2;
    }
    return 0;
}
