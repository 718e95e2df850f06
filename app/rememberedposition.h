#pragma once

#include <cstdint>

// The tree position the viewer opens on: the pre-order position of the item
// selected when the main dialog last closed, -1 for none, kept as "FirstItem"
// under HKEY_LOCAL_MACHINE\SOFTWARE\KORV\Verlumo. A store file that is empty,
// unreadable or unparsable is said once on stderr, by the read; every other
// failure is silent.

inline constexpr const char* kPositionKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo";
inline constexpr const char* kPositionValue = "FirstItem";

// The caller sets nPosition to -1 first; it keeps that value when the key or
// the value is missing or unreadable. REG_SZ (atoi) and REG_DWORD are read.
void ReadRememberedPosition(std::int32_t& nPosition);
// Creates the key when needed and writes the position as REG_SZ "%i" text,
// replacing a value of any type.
void StoreRememberedPosition(std::int32_t nPosition);
