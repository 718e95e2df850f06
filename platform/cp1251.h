#pragma once

#include <optional>
#include <string>
#include <string_view>

// Code page 1251 at the edges of the core. All core text is cp1251 bytes;
// these turn it into UTF-8 for Qt and JSON and back, and give the
// CharUpperA / IsCharAlphaNumericA behaviour of the Russian Windows locale.
namespace cp1251 {

// Every byte converts; 0x98, which the code page leaves undefined, becomes U+FFFD.
std::string ToUtf8(std::string_view strCp1251);

// nullopt when the text is not valid UTF-8 or holds a character the code
// page cannot represent; *pBadChar then receives that character (as UTF-8).
std::optional<std::string> FromUtf8(std::string_view strUtf8, std::string* pBadChar = nullptr);

// The capital of a letter when the code page holds it, else the byte itself.
unsigned char CharUpper(unsigned char ch);
// Letters and digits as Unicode classifies them.
bool IsCharAlphaNumeric(unsigned char ch);

std::string ToUpper(std::string_view str);

// The value of an ASCII hex digit (either case), -1 for any other byte; the
// registry file and RTF both write bytes this way.
constexpr int HexDigitValue(unsigned char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

} // namespace cp1251
