#include "platform/cp1251.h"

#include <array>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <iconv.h>
#include <locale.h>
#include <map>
#include <stdexcept>
#include <wctype.h>

namespace cp1251 {
namespace {

struct Tables {
    std::array<std::string, 256> utf8;        // byte -> UTF-8
    std::array<char32_t, 256> codePoint{};    // byte -> code point (U+FFFD if undefined)
    std::map<char32_t, unsigned char> toByte; // code point -> byte
    std::array<unsigned char, 256> upper{};
    std::array<bool, 256> alnum{};
};

char32_t DecodeOneUtf8(const std::string& s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    if (s.size() == 1)
        return p[0];
    if (s.size() == 2)
        return char32_t((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
    if (s.size() == 3)
        return char32_t((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
    return 0xFFFD;
}

// A locale whose LC_CTYPE knows Unicode, for towupper/iswalnum.
locale_t UnicodeLocale() {
    for (const char* pszName : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        locale_t loc = newlocale(LC_CTYPE_MASK, pszName, static_cast<locale_t>(nullptr));
        if (loc)
            return loc;
    }
    return static_cast<locale_t>(nullptr);
}

Tables BuildTables() {
    Tables t;
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv cannot convert from CP1251");
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[8];
        char* pIn = &in;
        char* pOut = out;
        std::size_t nIn = 1, nOut = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &pIn, &nIn, &pOut, &nOut) == static_cast<std::size_t>(-1))
            t.utf8[b] = "\xEF\xBF\xBD";
        else
            t.utf8[b].assign(out, pOut);
        t.codePoint[b] = DecodeOneUtf8(t.utf8[b]);
        if (t.codePoint[b] != 0xFFFD)
            t.toByte.emplace(t.codePoint[b], static_cast<unsigned char>(b));
    }
    iconv_close(cd);

    locale_t loc = UnicodeLocale();
    for (int b = 0; b < 256; ++b) {
        t.upper[b] = static_cast<unsigned char>(b);
        const char32_t c = t.codePoint[b];
        if (b < 0x80 || !loc) {
            // ASCII needs no locale; without one, the rest stays as it is.
            if (b >= 'a' && b <= 'z')
                t.upper[b] = static_cast<unsigned char>(b - 32);
            t.alnum[b] = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
            continue;
        }
        if (c == 0xFFFD)
            continue;
        t.alnum[b] = iswalnum_l(static_cast<wint_t>(c), loc) != 0;
        const auto cu = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), loc));
        auto it = t.toByte.find(cu);
        if (it != t.toByte.end())
            t.upper[b] = it->second;
    }
    if (loc)
        freelocale(loc);
    return t;
}

const Tables& GetTables() {
    static const Tables tables = BuildTables();
    return tables;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; returns false for malformed input.
bool NextCodePoint(std::string_view s, std::size_t& i, char32_t& c) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int nMore = 0;
    if (b0 < 0x80) {
        c = b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        c = b0 & 0x1F;
        nMore = 1;
    } else if ((b0 & 0xF0) == 0xE0) {
        c = b0 & 0x0F;
        nMore = 2;
    } else if ((b0 & 0xF8) == 0xF0) {
        c = b0 & 0x07;
        nMore = 3;
    } else {
        return false;
    }
    if (i + static_cast<std::size_t>(nMore) >= s.size() && nMore > 0)
        return false;
    for (int k = 1; k <= nMore; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[nMore] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    i += static_cast<std::size_t>(nMore) + 1;
    return true;
}

} // namespace

std::string ToUtf8(std::string_view strCp1251) {
    const Tables& t = GetTables();
    std::string out;
    out.reserve(strCp1251.size() * 2);
    for (char ch : strCp1251)
        out += t.utf8[static_cast<unsigned char>(ch)];
    return out;
}

std::optional<std::string> FromUtf8(std::string_view strUtf8, std::string* pBadChar) {
    const Tables& t = GetTables();
    std::string out;
    out.reserve(strUtf8.size());
    std::size_t i = 0;
    while (i < strUtf8.size()) {
        const std::size_t nStart = i;
        char32_t c = 0;
        if (!NextCodePoint(strUtf8, i, c)) {
            if (pBadChar)
                *pBadChar = "\\x" + std::to_string(static_cast<unsigned char>(strUtf8[nStart]));
            return std::nullopt;
        }
        auto it = t.toByte.find(c);
        if (it == t.toByte.end()) {
            if (pBadChar) {
                pBadChar->clear();
                AppendUtf8(*pBadChar, c);
            }
            return std::nullopt;
        }
        out += static_cast<char>(it->second);
    }
    return out;
}

unsigned char CharUpper(unsigned char ch) {
    return GetTables().upper[ch];
}

bool IsCharAlphaNumeric(unsigned char ch) {
    return GetTables().alnum[ch];
}

std::string ToUpper(std::string_view str) {
    const Tables& t = GetTables();
    std::string out(str);
    for (char& ch : out)
        ch = static_cast<char>(t.upper[static_cast<unsigned char>(ch)]);
    return out;
}

} // namespace cp1251
