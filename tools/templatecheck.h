#pragma once

#include <string>
#include <vector>

// Problems of the two caption templates in strDir: a file that cannot be
// read, a missing or misplaced marker, a section with too few colons for its
// values. Empty when both templates serve.
std::vector<std::string> CheckTemplates(const std::string& strDir);
