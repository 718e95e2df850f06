#include "data/stringpoolfile.h"

#include <cstring>

void CStringPoolFile::ReadString(std::int32_t nOffset, std::string& s) {
    Seek(nOffset, CFile::begin);
    s.clear();
    // Chunked rather than byte by byte: nobody relies on the position this
    // leaves behind, and the buffer makes either way cheap.
    char chunk[256];
    for (;;) {
        const std::size_t n = Read(chunk, sizeof chunk);
        if (n == 0)
            return;
        const void* pNul = std::memchr(chunk, '\0', n);
        if (pNul) {
            s.append(chunk, static_cast<std::size_t>(static_cast<const char*>(pNul) - chunk));
            return;
        }
        s.append(chunk, n);
    }
}
