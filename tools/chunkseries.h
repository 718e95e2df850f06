#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CSiteWriter;

// Values under ascending integer keys, written as data files of at most
// nMaxItems values and about nMaxBytes each (a single larger value stands
// alone): data/KIND/N.js hands {"KEY": value, ...} to the page. The first key
// of every file is kept for the page's look-up table.
class CChunkSeries {
public:
    CChunkSeries(CSiteWriter& site, std::string strKind, std::size_t nMaxItems,
                 std::size_t nMaxBytes);

    // strJson is a JSON text; nKey is greater than every key before.
    void Add(std::int64_t nKey, const std::string& strJson);
    void Finish();

    const std::vector<std::int64_t>& GetStarts() const { return m_starts; }

private:
    void Flush();

    CSiteWriter& m_site;
    std::string m_strKind;
    std::size_t m_nMaxItems;
    std::size_t m_nMaxBytes;
    std::string m_strPending; // the open file's members, comma separated
    std::size_t m_nPending = 0;
    std::vector<std::int64_t> m_starts;
};
