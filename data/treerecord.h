#pragma once

#include "data/le.h"

#include <cstdint>

// One record of "Tree.dat", 12 bytes, little-endian.
struct TreeRecord {
    std::int32_t parent;     // record number of the parent, -1 at the top level
    std::int32_t item;       // record number in AircraftItems.dat, negative for a group
    std::int32_t nameOffset; // caption in Strings.dat

    static constexpr int kSize = 12;
    // Inline: the tree build decodes a million of these in a row.
    static TreeRecord FromBytes(const unsigned char* p) {
        return TreeRecord{le::GetInt32(p), le::GetInt32(p + 4), le::GetInt32(p + 8)};
    }
};
static_assert(sizeof(TreeRecord) == TreeRecord::kSize);
