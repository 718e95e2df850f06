#pragma once

#include "platform/treectrl.h"

#include <cstdint>
#include <string_view>

class CAircraftText;
class CTypeTree;

// Values of the search dialog's m_nStartFrom (radio buttons 1013 and 1014).
inline constexpr std::int32_t kStartFromCurrent = 0;
inline constexpr std::int32_t kStartFromBeginning = 1;

// The search dialog's candidate walk over the built tree, in pre-order.
// strFind is the text as typed; it is upper-cased once here. From the
// current item the walk starts behind hSelected (behind nothing, i.e. at the
// first top-level item, when nothing is selected), so hSelected itself is
// never reported; otherwise at the first top-level item. Each type's record
// is loaded into match (its five names only, CAircraftText::LoadNames), never
// into the card's text form. Groups (item data below 0) and types whose
// record cannot be read are passed over. There is no wrap-around. Returns
// the first matching item, or 0.
HTREEITEM FindNextMatch(const CTypeTree& tree, CAircraftText& match, std::string_view strFind,
                        bool bWholeWord, std::int32_t nStartFrom, HTREEITEM hSelected);
