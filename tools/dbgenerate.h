#pragma once

#include "tools/dbsource.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

// `verlumo-db generate`: a synthetic database of any size for measuring and
// testing, the same for the same options on every machine.
struct GenerateOptions {
    std::int32_t nTypes = 0;
    // Tree items, groups included; none: every type once under its groups.
    // More items than types show types again, fewer leave types unshown.
    std::optional<std::int32_t> nItems;
    std::int32_t nDepth = 3;    // levels of the tree, the types' level included
    std::int32_t nPictures = 0; // series pictures per type (with a preview when above 0)
    std::uint64_t nSeed = 1;
    // Types drawn with pictures of their own; the ones after them share the
    // pictures of type (index modulo this), so a large database costs the
    // drawing of a thousand types and no more than their picture bytes.
    std::int32_t nDrawnTypes = 1000;
};

// Bounds of the options: the tree is as large as Tree.dat can address, the
// series as long as the source format's views allow.
inline constexpr std::int32_t kMaxGeneratedDepth = 16;
inline constexpr std::int32_t kMaxGeneratedPictures = 4;

// The source of the database the options describe; the templates are left
// empty (the caller writes them). Throws std::invalid_argument for options
// out of range.
SourceDatabase GenerateSource(const GenerateOptions& options);

// Writes the database and the sample's two templates into strOutDir with the
// builder of `build`; a progress bar on pProgress (none without a stream).
void GenerateDatabase(const GenerateOptions& options, const std::string& strOutDir,
                      std::ostream* pProgress);
