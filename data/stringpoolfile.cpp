#include "data/stringpoolfile.h"

#include <algorithm>
#include <cstring>

bool CStringPoolFile::ReadString(std::int32_t nOffset, std::string& s) {
    if (!IsOpen())
        throw CFileException(CFileException::fileNotOpen, GetFilePath(),
                             GetFilePath() + ": missing or cannot be read");
    Seek(nOffset, CFile::begin);
    s.clear();
    // Chunked rather than byte by byte: nobody relies on the position this
    // leaves behind, and the buffer makes either way cheap.
    char chunk[256];
    while (s.size() < kMaxStringBytes) {
        const std::size_t n = Read(chunk, std::min(sizeof chunk, kMaxStringBytes - s.size()));
        if (n == 0)
            return true;
        const void* pNul = std::memchr(chunk, '\0', n);
        if (pNul) {
            s.append(chunk, static_cast<std::size_t>(static_cast<const char*>(pNul) - chunk));
            return true;
        }
        s.append(chunk, n);
    }
    // Exactly at the bound: a NUL right behind still makes the string whole.
    char ch = 1;
    return Read(&ch, 1) == 0 || ch == '\0';
}
