#pragma once

#include <ostream>
#include <string>
#include <string_view>

class CDatabaseFiles;

// Writes the tree as the viewer builds it and every whole type record with
// its 35 texts as one JSON object (texts in UTF-8). Streamed in pieces of a
// megabyte, so a huge database needs no more memory than its tree.
void DumpDatabase(CDatabaseFiles& files, std::ostream& out);

// Appends strUtf8 as a JSON string: quotes, backslashes and control
// characters escaped, everything else (valid UTF-8) as it stands.
void AppendJsonString(std::string& strOut, std::string_view strUtf8);
// The same for cp1251 text, converted to UTF-8 on the way: what
// AppendJsonString(strOut, cp1251::ToUtf8(strCp1251)) appends, without the
// converted copy.
void AppendJsonCp1251(std::string& strOut, std::string_view strCp1251);
