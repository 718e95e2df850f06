#pragma once

#include "data/stringpoolfile.h"

#include <cstdint>
#include <string>
#include <string_view>

// How every shown value becomes text. An absent value (zero, an empty
// string, a real that is zero or not a number) is shown as a single "-".
namespace valuerules {

// The four real formats of the card: "%6.2f", "%5.2f", "%5.1f", "%4.1f".
enum class RealFormat { f6_2, f5_2, f5_1, f4_1 };

std::string Count(std::int32_t v);
std::string Year(std::int32_t v);
// Printed as glibc's snprintf prints in the C locale, leading blanks removed.
std::string Real(float v, RealFormat format);
// A negative reference names no string: shown as "-", without touching the file.
std::string String(CStringPoolFile& filePool, std::int32_t nOffset);
// The same into s, whose buffer is reused.
void String(CStringPoolFile& filePool, std::int32_t nOffset, std::string& s);
// The same without a copy: a view into the pool's cache (or into strSpill),
// valid until the pool is read again. Inline: the search reads five per type.
inline std::string_view ViewString(CStringPoolFile& filePool, std::int32_t nOffset,
                                   std::string& strSpill) {
    const std::string_view str = nOffset >= 0 ? filePool.ViewString(nOffset, strSpill) : "";
    return str.empty() ? "-" : str;
}

} // namespace valuerules
