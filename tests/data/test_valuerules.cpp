#include "data/valuerules.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

using valuerules::RealFormat;

TEST(ValueRules, Count) {
    EXPECT_EQ(valuerules::Count(0), "-");
    EXPECT_EQ(valuerules::Count(-5), "-5");
    EXPECT_EQ(valuerules::Count(17), "17");
    EXPECT_EQ(valuerules::Count(INT32_MIN), "-2147483648");
}

TEST(ValueRules, YearIsExactlyFourCharacters) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {1998, "1998"}, {0, "-"},     {999, "-"},    {10000, "-"},
        {-123, "-123"}, {-1234, "-"}, {1000, "1000"}};
    for (const auto& [v, psz] : cases)
        EXPECT_EQ(valuerules::Year(v), psz) << v;
}

TEST(ValueRules, RealEdgeCases) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float v;
        RealFormat f;
        const char* psz;
    } cases[] = {
        {0.0f, RealFormat::f6_2, "-"},
        {-0.0f, RealFormat::f6_2, "-"},
        {std::numeric_limits<float>::quiet_NaN(), RealFormat::f4_1, "-"},
        {0.004f, RealFormat::f6_2, "0.00"},
        {5.0f, RealFormat::f6_2, "5.00"},
        {1234.5f, RealFormat::f4_1, "1234.5"},
        {27.25f, RealFormat::f4_1, "27.2"}, // exact tie, to even
        {0.25f, RealFormat::f4_1, "0.2"},
        {0.35f, RealFormat::f5_1, "0.3"}, // 0.3499999940...
        {-3.14159f, RealFormat::f5_2, "-3.14"},
        {inf, RealFormat::f6_2, "inf"},
        {-inf, RealFormat::f5_1, "-inf"},
        {1e20f, RealFormat::f6_2, "100000002004087734272.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(valuerules::Real(c.v, c.f), c.psz) << c.v;
}

// Whatever the user's locale, the text is what glibc prints in the C locale.
TEST(ValueRules, RealMatchesPrintfInTheCLocale) {
    const char* formats[] = {"%6.2f", "%5.2f", "%5.1f", "%4.1f"};
    const RealFormat kinds[] = {RealFormat::f6_2, RealFormat::f5_2, RealFormat::f5_1,
                                RealFormat::f4_1};
    std::mt19937 rng(1251);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (int i = 0; i < 20000; ++i) {
        float v;
        if (i % 2) {
            const std::uint32_t n = bits(rng);
            std::memcpy(&v, &n, sizeof v);
        } else {
            v = static_cast<float>(bits(rng) % 2000000) / 8.0f - 100000.0f; // many exact ties
        }
        if (std::isnan(v) || v == 0.0f)
            continue;
        for (int k = 0; k < 4; ++k) {
            char buf[512];
            std::snprintf(buf, sizeof buf, formats[k], static_cast<double>(v));
            std::string s = buf;
            s.erase(0, s.find_first_not_of(' '));
            ASSERT_EQ(valuerules::Real(v, kinds[k]), s) << formats[k] << " " << v;
        }
    }
}

} // namespace
