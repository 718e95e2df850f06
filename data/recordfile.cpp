#include "data/recordfile.h"

CRecordFile::CRecordFile(std::int32_t nRecordSize) : m_nRecordSize(nRecordSize) {}

bool CRecordFile::ReadRecord(std::int32_t nRecord, void* pBuffer) {
    const std::int64_t nStart = std::int64_t{nRecord} * m_nRecordSize;
    if (nStart + m_nRecordSize - 1 > INT32_MAX)
        return false;
    Seek(nStart, CFile::begin);
    return Read(pBuffer, static_cast<std::size_t>(m_nRecordSize)) ==
           static_cast<std::size_t>(m_nRecordSize);
}

std::int64_t CRecordFile::GetRecordCount() const {
    return static_cast<std::int64_t>(GetLength() / static_cast<std::uint64_t>(m_nRecordSize));
}
