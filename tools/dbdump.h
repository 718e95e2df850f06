#pragma once

#include <ostream>

class CDatabaseFiles;

// Writes the tree as the viewer builds it and every whole type record with
// its 35 texts as one JSON object (texts in UTF-8). Streamed element by
// element, so a huge database needs no more memory than its tree.
void DumpDatabase(CDatabaseFiles& files, std::ostream& out);
