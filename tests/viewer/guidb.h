#pragma once

#include "support/tempdir.h"

#include <string>

// The database of the GUI tests, in pre-order (position: caption, item data):
//   0 Самолёты (group)        1 Ту-154 (record 0, 4 pictures)
//   2 Ил-62 (record 1, none)  3 Як-42 (record 1)
//   4 Вертолёты (group)       5 Ми-24 (record 3, has a child)
//   6 Ми-24В (record 0)       7 Ми-8 (record 2, picture count -3)
//   8 Планеры (group)         9 Бланик (record 1)
// with the card template of tests/support. Files can be left out by name.
void WriteGuiDatabase(const CTempDir& dir, const std::string& strLeaveOut = "");
std::string W(const std::string& strUtf8);
