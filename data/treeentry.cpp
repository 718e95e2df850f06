#include "data/treeentry.h"

#include "data/databasefiles.h"

#include <algorithm>
#include <cstdint>

bool CTreeEntry::LoadBatch(std::int32_t nRecord) {
    CRecordFile& file = m_pApp->m_fileTree;
    // The same records ReadRecord would give: none from a negative number
    // (the seek raises) and none reaching past byte 2^31 - 1.
    const std::int64_t nStart = std::int64_t{nRecord} * TreeRecord::kSize;
    const std::int64_t nAddressable = (std::int64_t{INT32_MAX} + 1 - nStart) / TreeRecord::kSize;
    m_nBatchFirst = nRecord;
    m_nBatchCount = 0;
    if (nAddressable <= 0)
        return false;
    const auto nWanted = static_cast<std::size_t>(
        std::min<std::int64_t>(kBatchRecords, nAddressable) * TreeRecord::kSize);
    if (!m_batch)
        m_batch.reset(new unsigned char[std::size_t{kBatchRecords} * TreeRecord::kSize]);
    file.Seek(nStart, CFile::begin);
    const std::size_t nRead = file.Read(m_batch.get(), nWanted);
    m_nBatchCount = static_cast<std::int32_t>(nRead / TreeRecord::kSize);
    if (m_nBatchCount == 0)
        return false;
    m_rec = TreeRecord::FromBytes(m_batch.get());
    return true;
}
