#include "data/valuerules.h"

#include "data/stringpoolfile.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace valuerules {

std::string Count(std::int32_t v) {
    return v == 0 ? "-" : std::to_string(v);
}

std::string Year(std::int32_t v) {
    std::string s = std::to_string(v);
    return s.size() == 4 ? s : "-";
}

std::string Real(float v, RealFormat format) {
    const double d = v;
    if (d == 0.0 || std::isnan(d))
        return "-";
    int nPrecision = 2;
    if (format == RealFormat::f5_1 || format == RealFormat::f4_1)
        nPrecision = 1;
    // to_chars prints the exact binary value rounded to nearest, ties to even,
    // exactly as printf does, and never looks at the locale. The width of the
    // printf format only adds leading blanks, which are removed anyway.
    char buffer[400]; // FLT_MAX has 39 integer digits; room to spare
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::fixed, nPrecision);
    if (result.ec != std::errc())
        return "-";
    return std::string(buffer, result.ptr);
}

std::string String(CStringPoolFile& filePool, std::int32_t nOffset) {
    std::string s;
    String(filePool, nOffset, s);
    return s;
}

void String(CStringPoolFile& filePool, std::int32_t nOffset, std::string& s) {
    std::string strSpill;
    s.assign(ViewString(filePool, nOffset, strSpill));
}

} // namespace valuerules
