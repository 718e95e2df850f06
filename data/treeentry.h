#pragma once

#include "data/treerecord.h"

#include <cstdint>
#include <memory>
#include <string>

class CDatabaseFiles;

// One "Tree.dat" record with its caption, as the tree build reads it.
class CTreeEntry {
public:
    explicit CTreeEntry(CDatabaseFiles* pApp) : m_pApp(pApp) {}

    // Reads record n of the tree file into m_rec; true only for a whole record.
    // Records come in batches of kBatchRecords read at once: the build asks
    // for them in order, and one read per 12 bytes cost more than the tree.
    bool Load(std::int32_t nRecord) {
        // Inline when the batch holds it: all but one record in kBatchRecords.
        if (nRecord >= m_nBatchFirst && nRecord - m_nBatchFirst < m_nBatchCount) {
            m_rec = TreeRecord::FromBytes(m_batch.get() +
                                          std::size_t(nRecord - m_nBatchFirst) * TreeRecord::kSize);
            return true;
        }
        return LoadBatch(nRecord);
    }

    // 192 KiB: a small database in one read, a large one in few system
    // calls; little beside the tree.
    static constexpr std::int32_t kBatchRecords = 16384;

    TreeRecord m_rec{};
    std::string m_strName;
    CDatabaseFiles* m_pApp;

private:
    // Reads the batch from nRecord on, then the record.
    bool LoadBatch(std::int32_t nRecord);

    // Whole records from m_nBatchFirst on; left uninitialised, as every
    // byte used is read first.
    std::unique_ptr<unsigned char[]> m_batch;
    std::int32_t m_nBatchFirst = 0;
    std::int32_t m_nBatchCount = 0;
};
