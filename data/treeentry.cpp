#include "data/treeentry.h"

#include "data/databasefiles.h"

bool CTreeEntry::Load(std::int32_t nRecord) {
    unsigned char bytes[TreeRecord::kSize];
    const bool bWhole = m_pApp->m_fileTree.ReadRecord(nRecord, bytes);
    if (bWhole)
        m_rec = TreeRecord::FromBytes(bytes);
    return bWhole;
}
