#pragma once

#include <string_view>

// The words that open the sections of both caption templates (cp1251). Each
// counts at its first occurrence, in either letter case, even inside a word.
inline constexpr std::string_view kSpecsMarker = "\xD2\xD2\xD5";                      // "ТТХ"
inline constexpr std::string_view kSpeedsMarker = "\xD1\xEA\xEE\xF0\xEE\xF1\xF2\xE8"; // "Скорости"

// Values each section's captions must take, in the order they are written.
inline constexpr int kCardGeneralValues = 6;
inline constexpr int kCardSpecsValues = 9;
inline constexpr int kCardSpeedsValues = 7;
inline constexpr int kExtraSpeedsValues = 6;
inline constexpr int kExtraSpecsValues = 9;
