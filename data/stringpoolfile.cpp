#include "data/stringpoolfile.h"

#include <algorithm>
#include <cstring>

bool CStringPoolFile::ReadString(std::int32_t nOffset, std::string& s) {
    if (!IsOpen())
        throw CFileException(CFileException::fileNotOpen, GetFilePath(),
                             GetFilePath() + ": missing or cannot be read");
    Seek(nOffset, CFile::begin);
    s.clear();
    // Scanned where the cache holds it: only the string's own bytes are
    // copied, once.
    const unsigned char* p = nullptr;
    while (s.size() < kMaxStringBytes) {
        const std::size_t nHeld = Peek(p);
        if (nHeld == 0)
            return true;
        const std::size_t n = std::min(nHeld, kMaxStringBytes - s.size());
        const void* pNul = std::memchr(p, '\0', n);
        if (pNul) {
            s.append(reinterpret_cast<const char*>(p),
                     static_cast<std::size_t>(static_cast<const unsigned char*>(pNul) - p));
            return true;
        }
        s.append(reinterpret_cast<const char*>(p), n);
        Seek(static_cast<std::int64_t>(n), CFile::current);
    }
    // Exactly at the bound: a NUL right behind still makes the string whole.
    char ch = 1;
    return Read(&ch, 1) == 0 || ch == '\0';
}

std::string_view CStringPoolFile::ViewStringSlow(std::int32_t nOffset, std::string& strSpill) {
    // Not open, a negative offset (both raise here), the end of the pool, or
    // a string that goes on past its block.
    ReadString(nOffset, strSpill);
    return strSpill;
}
