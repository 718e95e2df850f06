#pragma once

#include <cstdint>
#include <optional>

class CDatabaseFiles;

// The item data of the tree item at a pre-order position, as the viewer's
// tree holds it; nullopt when no item stands there.
std::optional<std::int32_t> ItemDataAtPosition(CDatabaseFiles& files, std::int32_t nPosition);
