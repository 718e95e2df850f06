#pragma once

#include "tools/dbsource.h"

#include <string>

class CProgressBar;

// Writes the five data files and the two templates of a database into a
// directory (created when missing); a template whose path is empty is left
// to the caller. Throws CSourceError for a source it cannot write and
// std::runtime_error for a directory it cannot write to. pProgress, when
// given, steps once per type.
void BuildDatabase(const SourceDatabase& db, const std::string& strOutDir,
                   CProgressBar* pProgress = nullptr);
