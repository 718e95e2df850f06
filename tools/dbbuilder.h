#pragma once

#include "tools/dbsource.h"

#include <string>

// Writes the five data files and the two templates of a database into a
// directory (created when missing). Throws CSourceError for a source it
// cannot write and std::runtime_error for a directory it cannot write to.
void BuildDatabase(const SourceDatabase& db, const std::string& strOutDir);
