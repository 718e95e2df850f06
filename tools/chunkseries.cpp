#include "tools/chunkseries.h"

#include "tools/sitewriter.h"

CChunkSeries::CChunkSeries(CSiteWriter& site, std::string strKind, std::size_t nMaxItems,
                           std::size_t nMaxBytes)
    : m_site(site), m_strKind(std::move(strKind)), m_nMaxItems(nMaxItems), m_nMaxBytes(nMaxBytes) {}

void CChunkSeries::Add(std::int64_t nKey, const std::string& strJson) {
    if (m_nPending > 0 &&
        (m_nPending >= m_nMaxItems || m_strPending.size() + strJson.size() > m_nMaxBytes))
        Flush();
    if (m_nPending == 0)
        m_starts.push_back(nKey);
    else
        m_strPending += ",\n";
    m_strPending += "\"" + std::to_string(nKey) + "\":";
    m_strPending += strJson;
    ++m_nPending;
}

void CChunkSeries::Flush() {
    if (m_nPending == 0)
        return;
    const std::string strIndex = std::to_string(m_starts.size() - 1);
    m_site.WriteData("data/" + m_strKind + "/" + strIndex + ".js", m_strKind, strIndex,
                     "{" + m_strPending + "}");
    m_strPending.clear();
    m_nPending = 0;
}

void CChunkSeries::Finish() {
    Flush();
}
