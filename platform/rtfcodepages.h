#pragma once

#include <array>
#include <cerrno>
#include <cstddef>
#include <iconv.h>
#include <string_view>
#include <utility>
#include <vector>

// The code pages of RTF text: which one a font's \fcharset means, bytes of
// any of them to code points (through iconv), and code points to cp1251,
// the code page of all core text.

// The cp1251 byte of a code point; 0 when the code page has no such character.
unsigned char Cp1251OfCodePoint(char32_t cp);

// The code page of a font's \fcharset; nAnsiCodePage (the document's) for
// ANSI, DEFAULT and the unknown.
int CodePageOfCharSet(int nCharSet, int nAnsiCodePage);

// Bytes of one code page to code points, one iconv handle per code page,
// opened on first use (the set of code pages is fixed, so the cache is small).
// Code pages without an iconv name here are read as 1252.
class CCodePageDecoder {
public:
    CCodePageDecoder() = default;
    CCodePageDecoder(const CCodePageDecoder&) = delete;
    CCodePageDecoder& operator=(const CCodePageDecoder&) = delete;
    ~CCodePageDecoder();

    // Calls emit for every code point; a byte that does not decode gives '?'.
    template <class Emit> void Decode(int nCodePage, std::string_view bytes, Emit&& emit) {
        iconv_t cd = Handle(nCodePage);
        if (cd == kInvalid) {
            for (char ch : bytes)
                emit(static_cast<unsigned char>(ch) < 0x80 ? char32_t(ch) : char32_t('?'));
            return;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* pIn = const_cast<char*>(bytes.data());
        std::size_t nIn = bytes.size();
        std::array<char, 256> out;
        bool bFlushed = false;
        while (!bFlushed) {
            char* pOut = out.data();
            std::size_t nOut = out.size();
            std::size_t nResult;
            if (nIn > 0) {
                nResult = iconv(cd, &pIn, &nIn, &pOut, &nOut);
            } else {
                // Stateful code pages (1258) may hold a character back.
                nResult = iconv(cd, nullptr, nullptr, &pOut, &nOut);
                bFlushed = true;
            }
            const int nError = errno;
            for (const char* p = out.data(); p + 4 <= pOut; p += 4) {
                const auto* q = reinterpret_cast<const unsigned char*>(p);
                emit(char32_t(q[0]) | char32_t(q[1]) << 8 | char32_t(q[2]) << 16 |
                     char32_t(q[3]) << 24);
            }
            if (nResult == static_cast<std::size_t>(-1) && nError != E2BIG && nIn > 0) {
                // An invalid or incomplete sequence: give up one byte.
                emit(U'?');
                ++pIn;
                --nIn;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
            }
        }
    }

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

    iconv_t Handle(int nCodePage);

    std::vector<std::pair<int, iconv_t>> m_handles;
};
