#pragma once

#include "platform/cfile.h"

#include <cstdint>
#include <string>

// "Strings.dat": NUL-terminated cp1251 strings referred to by byte offset.
class CStringPoolFile : public CFile {
public:
    // s receives the bytes from nOffset up to the first NUL or the end of the
    // file; empty at or past the end. A negative offset raises CFileException.
    void ReadString(std::int32_t nOffset, std::string& s);
};
