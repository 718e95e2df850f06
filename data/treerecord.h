#pragma once

#include <cstdint>

// One record of "Tree.dat", 12 bytes, little-endian.
struct TreeRecord {
    std::int32_t parent;     // record number of the parent, -1 at the top level
    std::int32_t item;       // record number in AircraftItems.dat, negative for a group
    std::int32_t nameOffset; // caption in Strings.dat

    static constexpr int kSize = 12;
    static TreeRecord FromBytes(const unsigned char* p);
};
static_assert(sizeof(TreeRecord) == TreeRecord::kSize);
