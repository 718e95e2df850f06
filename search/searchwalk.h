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
// never reported; otherwise at the first top-level item. Each type's five
// names are read through match (MatchesRecord, without a copy), never into
// the card's text form, once per search however often the type stands in
// the tree. Groups (item data below 0) and types whose
// record cannot be read are passed over. There is no wrap-around. Returns
// the first matching item, or 0.
HTREEITEM FindNextMatch(const CTypeTree& tree, CAircraftText& match, std::string_view strFind,
                        bool bWholeWord, std::int32_t nStartFrom, HTREEITEM hSelected);

// What FindMatchInRecords found.
struct RecordMatch {
    bool bStartInTree = true; // false: nAfter names no item; nothing was tested
    std::int32_t nFound = -1; // position of the first match, -1 for none
};

// The same search over the tree's records, without building the tree of
// captions: the items the whole build would insert, in the same order and
// within the same bounds (CTypeTree::VisitItems). The walk starts behind the
// item at position nAfter, or at the first item for -1, as FindNextMatch
// does from the current item.
RecordMatch FindMatchInRecords(CTypeTree& tree, CAircraftText& match, std::string_view strFind,
                               bool bWholeWord, std::int32_t nAfter);
