#pragma once

#include "tools/dbsource.h"

#include <string>
#include <vector>

// The picture records of one type, preview first: an 8-bit side view of at
// most 240 x 160, then one record per series view. Empty when the type names
// no picture. Exact pictures are taken as they are, pixel for pixel. Throws
// CSourceError for an image file that cannot be read or does not fit its depth.
std::vector<std::string> BuildTypePictures(const SourceType& type, const std::string& strWhere);
