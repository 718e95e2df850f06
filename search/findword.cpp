#include "search/findword.h"

#include "data/aircrafttext.h"
#include "platform/cp1251.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace {

bool IsWordChar(char ch) {
    return ch == '_' || cp1251::IsCharAlphaNumeric(static_cast<unsigned char>(ch));
}

// CharUpper of every byte, made once: the search upper-cases each character
// of five fields of every type, and a table look-up is far cheaper than the
// call.
const std::array<unsigned char, 256> kUpper = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned n = 0; n < table.size(); ++n)
        table[n] = cp1251::CharUpper(static_cast<unsigned char>(n));
    return table;
}();

unsigned char Upper(char ch) {
    return kUpper[static_cast<unsigned char>(ch)];
}

// The first i at which the upper-cased text equals the pattern. Scanning
// every start position costs text times pattern length, and both come from
// outside (a field may be megabytes); Knuth-Morris-Pratt finds the same first
// position in linear time.
std::size_t FindFirst(std::string_view strText, std::string_view strPattern) {
    const std::size_t m = strPattern.size();
    // Typed patterns are short; the search calls this five times per type, so
    // the table lives on the stack unless the pattern is long.
    constexpr std::size_t kShortPattern = 64;
    std::array<std::size_t, kShortPattern> shortFail;
    std::vector<std::size_t> longFail;
    std::size_t* fail = shortFail.data();
    if (m > kShortPattern) {
        longFail.resize(m);
        fail = longFail.data();
    }
    fail[0] = 0;
    for (std::size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && strPattern[i] != strPattern[k])
            k = fail[k - 1];
        if (strPattern[i] == strPattern[k])
            ++k;
        fail[i] = k;
    }
    const std::size_t n = strText.size();
    for (std::size_t i = 0, k = 0; i < n; ++i) {
        if (k == 0) {
            // Nothing matched yet: only the first character can start a match,
            // and a plain scan for it is far cheaper than the table walk.
            while (i < n && static_cast<char>(Upper(strText[i])) != strPattern[0])
                ++i;
            if (i == n)
                break;
        }
        const auto ch = static_cast<char>(Upper(strText[i]));
        while (k > 0 && ch != strPattern[k])
            k = fail[k - 1];
        if (ch == strPattern[k])
            ++k;
        if (k == m)
            return i + 1 - m;
    }
    return std::string_view::npos;
}

} // namespace

std::int32_t FindWord(std::string_view strText, std::string_view strUpperPattern, bool bWholeWord) {
    const std::size_t n = strText.size();
    const std::size_t m = strUpperPattern.size();
    if (m == 0 || m > n)
        return -1;
    const std::size_t i = FindFirst(strText, strUpperPattern);
    if (i == std::string_view::npos)
        return -1;
    if (bWholeWord) {
        if (i > 0 && IsWordChar(strText[i - 1]))
            return -1;
        if (i + m < n && IsWordChar(strText[i + m]))
            return -1;
    }
    // Only "found or not" is ever used; a field past 2 GiB still counts as found.
    return static_cast<std::int32_t>(std::min<std::size_t>(i, INT32_MAX));
}

bool MatchesRecord(CAircraftText& match, std::int32_t nRecord, std::string_view strUpperPattern,
                   bool bWholeWord) {
    return match.VisitNames(nRecord, [&](int, std::string_view strText) {
        return FindWord(strText, strUpperPattern, bWholeWord) >= 0;
    }) > 0;
}
