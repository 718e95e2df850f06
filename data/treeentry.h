#pragma once

#include "data/treerecord.h"

#include <cstdint>
#include <string>

class CDatabaseFiles;

// One "Tree.dat" record with its caption, as the tree build reads it.
class CTreeEntry {
public:
    explicit CTreeEntry(CDatabaseFiles* pApp) : m_pApp(pApp) {}

    // Reads record n of the tree file into m_rec; true only for a whole record.
    bool Load(std::int32_t nRecord);

    TreeRecord m_rec{};
    std::string m_strName;
    CDatabaseFiles* m_pApp;
};
