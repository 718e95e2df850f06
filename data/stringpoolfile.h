#pragma once

#include "platform/cfile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// "Strings.dat": NUL-terminated cp1251 strings referred to by byte offset.
class CStringPoolFile : public CFile {
public:
    // A caption or a value fills a line or a short paragraph of a pane; 64 KiB
    // is far beyond any of them. The bound keeps a pool without a NUL from
    // making every record that points into it copy megabytes.
    static constexpr std::size_t kMaxStringBytes = 64 * 1024;

    // s receives the bytes from nOffset up to the first NUL or the end of the
    // file, at most kMaxStringBytes of them (the rest is never read); empty at
    // or past the end. Returns false when the string was cut at that bound.
    // A negative offset, or a pool that is not open, raises CFileException.
    bool ReadString(std::int32_t nOffset, std::string& s);
    // The same string as a view: into the file's block cache when it ends
    // within the block it starts in (nearly always), else into strSpill
    // filled by ReadString. Valid until the next read of this file. Saves the
    // copy where the caller only looks at the bytes or copies them once.
    [[gnu::always_inline]] std::string_view ViewString(std::int32_t nOffset,
                                                       std::string& strSpill) {
        // Inline for the string that ends in the block it starts in: the
        // tree build views a caption per item.
        if (IsOpen() && nOffset >= 0) {
            Seek(nOffset, CFile::begin);
            const unsigned char* p = nullptr;
            const std::size_t nHeld = std::min(Peek(p), kMaxStringBytes);
            if (nHeld > 0)
                if (const void* pNul = std::memchr(p, '\0', nHeld))
                    return {reinterpret_cast<const char*>(p),
                            static_cast<std::size_t>(static_cast<const unsigned char*>(pNul) - p)};
        }
        return ViewStringSlow(nOffset, strSpill);
    }

private:
    std::string_view ViewStringSlow(std::int32_t nOffset, std::string& strSpill);
};
