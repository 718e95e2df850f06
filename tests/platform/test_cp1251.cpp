#include "platform/cp1251.h"

#include <gtest/gtest.h>
#include <string>

namespace {

unsigned char Byte(const char* pszUtf8) {
    auto s = cp1251::FromUtf8(pszUtf8);
    EXPECT_TRUE(s && s->size() == 1) << pszUtf8;
    return s && !s->empty() ? static_cast<unsigned char>((*s)[0]) : 0;
}

TEST(Cp1251, EveryDefinedByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string in(1, static_cast<char>(b));
        const std::string utf8 = cp1251::ToUtf8(in);
        if (b == 0x98) {
            EXPECT_EQ(utf8, "\xEF\xBF\xBD");
            EXPECT_FALSE(cp1251::FromUtf8(utf8));
            continue;
        }
        auto back = cp1251::FromUtf8(utf8);
        ASSERT_TRUE(back) << b;
        EXPECT_EQ(*back, in) << b;
    }
}

TEST(Cp1251, KnownCharacters) {
    EXPECT_EQ(cp1251::ToUtf8("\xC0\xFF\xA8\xB8\xB9\x88"), "АяЁё№€");
    EXPECT_EQ(*cp1251::FromUtf8("Ту-154М «Кэрлесс»"),
              "\xD2\xF3-154\xCC \xAB\xCA\xFD\xF0\xEB\xE5\xF1\xF1\xBB");
}

TEST(Cp1251, RejectsWhatTheCodePageCannotHold) {
    std::string strBad;
    EXPECT_FALSE(cp1251::FromUtf8("площадь, м²", &strBad));
    EXPECT_EQ(strBad, "²");
    EXPECT_FALSE(cp1251::FromUtf8("日本", &strBad));
    EXPECT_EQ(strBad, "日");
    // Malformed UTF-8: a lone continuation byte, a truncated sequence, an
    // overlong encoding, a surrogate.
    for (const char* psz : {"a\x80", "\xD0", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_FALSE(cp1251::FromUtf8(psz)) << psz;
}

TEST(Cp1251, UpperCaseCoversEveryLetterOfTheCodePage) {
    const std::pair<const char*, const char*> pairs[] = {
        {"а", "А"}, {"я", "Я"}, {"ё", "Ё"}, {"ж", "Ж"}, {"ђ", "Ђ"}, {"ѓ", "Ѓ"}, {"љ", "Љ"},
        {"њ", "Њ"}, {"ќ", "Ќ"}, {"ћ", "Ћ"}, {"џ", "Џ"}, {"ў", "Ў"}, {"ј", "Ј"}, {"ґ", "Ґ"},
        {"є", "Є"}, {"ї", "Ї"}, {"і", "І"}, {"ѕ", "Ѕ"}, {"a", "A"}, {"z", "Z"}};
    for (const auto& [pszLower, pszUpper] : pairs) {
        EXPECT_EQ(cp1251::CharUpper(Byte(pszLower)), Byte(pszUpper)) << pszLower;
        EXPECT_EQ(cp1251::CharUpper(Byte(pszUpper)), Byte(pszUpper)) << pszUpper;
    }
    // No capital in the code page: unchanged.
    for (const char* psz : {"µ", "1", "№", "_", "«"})
        EXPECT_EQ(cp1251::CharUpper(Byte(psz)), Byte(psz)) << psz;
    EXPECT_EQ(cp1251::ToUpper("\xF2\xF2\xF5 abc"), "\xD2\xD2\xD5 ABC");
}

TEST(Cp1251, AlphaNumericClasses) {
    for (const char* psz : {"a", "Z", "0", "9", "ё", "Я", "ї", "Ў", "џ", "µ", "ґ"})
        EXPECT_TRUE(cp1251::IsCharAlphaNumeric(Byte(psz))) << psz;
    for (const char* psz : {"_", " ", "-", "№", "«", "»", "—", "\xC2\xA0", "€", "§", "°"})
        EXPECT_FALSE(cp1251::IsCharAlphaNumeric(Byte(psz))) << psz;
    EXPECT_FALSE(cp1251::IsCharAlphaNumeric(0x98));
    EXPECT_FALSE(cp1251::IsCharAlphaNumeric(0));
}

} // namespace
