#pragma once

#include <cstddef>
#include <string>

// A scratch directory that holds the files of one fuzz input; one for the
// whole run, removed at exit.
const std::string& FuzzScratchDir();

// Writes n bytes at p to the file strName in the scratch directory, replacing
// it; aborts when it cannot, since the target would then test nothing.
void WriteFuzzFile(const char* pszName, const void* p, std::size_t n);
