#pragma once

#include <cstdint>
#include <string_view>

class CAircraftText;

// The search's text test. The pattern comes upper-cased once by the caller
// (cp1251::ToUpper); each character of the text is upper-cased as it is
// compared, so letters of either case match in Latin and Cyrillic alike.
//
// Returns the position of the first occurrence, or -1 when there is none or
// the pattern is empty. With bWholeWord only that first occurrence is judged:
// it counts when neither neighbour (taken as it stands in the text) is a
// letter, a digit or "_"; otherwise the result is -1 and later occurrences
// are not tried.
std::int32_t FindWord(std::string_view strText, std::string_view strUpperPattern, bool bWholeWord);

// Whether one of the five name fields (slots 1 to 5: firm, country, model,
// type, name) of record nRecord, as the card shows them, gives a position of
// 0 or more; false when the record cannot be read whole. Read through match
// (CAircraftText::VisitNames): the names are not copied.
bool MatchesRecord(CAircraftText& match, std::int32_t nRecord, std::string_view strUpperPattern,
                   bool bWholeWord);
