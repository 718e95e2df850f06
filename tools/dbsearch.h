#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

// `verlumo-db search DIR TEXT [--whole-word] [--from POSITION]`: builds the
// tree of DIR as the viewer does and runs the search dialog's walk. Without
// nFrom the search runs from the start; with it, the item at that pre-order
// position is the selected one (-1: nothing is selected) and the search runs
// from the current item. strTextUtf8 is converted to code page 1251.
//
// Prints the hit's position on out and returns 0; prints "Строка не найдена"
// on out and returns 1 on a miss; returns 2 with a message on err for a text
// that code page 1251 cannot hold or a position not in the tree. A data file
// that fails to read throws CFileException, for the command's boundary.
int SearchDatabase(const std::string& strDir, const std::string& strTextUtf8, bool bWholeWord,
                   std::optional<std::int32_t> nFrom, std::ostream& out, std::ostream& err);
