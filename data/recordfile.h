#pragma once

#include "platform/cfile.h"

#include <cstdint>

// A file of fixed-size records with no header: record n lies at n * size.
class CRecordFile : public CFile {
public:
    explicit CRecordFile(std::int32_t nRecordSize);

    // True exactly when a whole record was read. A short read leaves the bytes
    // it did read in the buffer. Records that would reach past byte 2^31 - 1
    // are never addressed and read as false; a negative record number raises
    // CFileException from the seek.
    bool ReadRecord(std::int32_t nRecord, void* pBuffer);

    // Number of whole records in the file (a trailing fragment is not one).
    std::int64_t GetRecordCount() const;

    std::int32_t m_nCursor = 0; // next record of an in-order walk (the tree build)
    const std::int32_t m_nRecordSize;
};
