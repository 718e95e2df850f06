// Fuzz target: arbitrary bytes as a REGEDIT4 store file. Whatever parses must
// serialise to a file that parses to the same keys and values and serialises
// to the same bytes again.
#include "platform/regfile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {
constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string_view bytes(reinterpret_cast<const char*>(pData), nSize);
    const auto hive = regfile::Parse(bytes, kRoot);
    if (!hive)
        return 0;
    // Implied parent keys may make the text longer than the input; past the
    // cap a store refuses to write, which is no fault.
    const auto text = regfile::Serialize(*hive, kRoot);
    if (!text)
        return 0;
    const auto again = regfile::Parse(*text, kRoot);
    if (!again || !(*again == *hive))
        std::abort();
    const auto text2 = regfile::Serialize(*again, kRoot);
    if (!text2 || *text2 != *text)
        std::abort();
    return 0;
}

std::vector<std::uint8_t> FuzzSeed() {
    const std::string_view seed = "REGEDIT4\r\n"
                                  "\r\n"
                                  "[HKEY_LOCAL_MACHINE]\r\n"
                                  "@=\"root\"\r\n"
                                  "\r\n"
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n"
                                  "\"FirstItem\"=\"17\"\r\n"
                                  "\"q\\\"b\\\\\"=dword:0000000a\r\n"
                                  "\"\xD2\xF3-154\"=hex:01,02,ff\r\n"
                                  "\"multi\"=hex(7):61,00,62,00,00,\\\r\n"
                                  "  00\r\n"
                                  "; comment\n"
                                  "[hkey_local_machine\\software\\korv]\n"
                                  "\"n\"=hex(2):\n";
    return std::vector<std::uint8_t>(seed.begin(), seed.end());
}
