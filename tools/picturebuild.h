#pragma once

#include "tools/dbsource.h"

#include <string>
#include <vector>

// The picture records of one type, preview first: an 8-bit side view of at
// most 240 x 160, then one record per series view. Empty when the type names
// no picture. Throws CSourceError for an image file that cannot be read.
std::vector<std::string> BuildTypePictures(const SourceType& type, const std::string& strWhere);
