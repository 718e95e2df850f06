// Fuzz target: arbitrary bytes as AircraftItems.dat and Strings.dat, every
// record read into its 35 texts by the value rules. Reals must print as
// glibc's printf prints them, the search's names must be the card's, and no
// text may be longer than the pool's string bound.
#include "data/aircraftrecord.h"
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/stringpoolfile.h"
#include "data/valuerules.h"
#include "fuzz/fuzzdir.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool bCondition) {
    if (!bCondition)
        std::abort();
}

// The rule as the original program applied it: printf, leading blanks removed.
std::string PrintfReal(float v, const char* pszFormat) {
    if (v == 0.0f || std::isnan(v))
        return "-";
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, pszFormat, static_cast<double>(v));
    Check(n > 0 && static_cast<std::size_t>(n) < sizeof buffer);
    const char* p = buffer;
    while (*p == ' ')
        ++p;
    return p;
}

// A card reads at most this many records; the rest of a large input would
// only repeat the same rules.
constexpr std::int32_t kMaxRecords = 64;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    // A 16-bit length of the records, the records, then the pool.
    if (nSize < 2)
        return 0;
    const std::size_t nRecordBytes = std::min<std::size_t>(pData[0] | pData[1] << 8, nSize - 2);
    WriteFuzzFile(CDatabaseFiles::kAircraftName, pData + 2, nRecordBytes);
    WriteFuzzFile(CDatabaseFiles::kStringsName, pData + 2 + nRecordBytes, nSize - 2 - nRecordBytes);

    CDatabaseFiles files;
    files.Open(FuzzScratchDir());
    CAircraftText card(&files);
    CAircraftText names(&files);
    const std::int32_t nRecords = static_cast<std::int32_t>(nRecordBytes / AircraftRecord::kSize);
    for (std::int32_t n = 0; n <= std::min(nRecords, kMaxRecords); ++n) {
        const bool bLoaded = card.Load(n);
        Check(bLoaded == (n < nRecords));
        Check(names.LoadNames(n) == bLoaded);
        for (int nSlot = 1; nSlot <= CAircraftText::kSlotCount; ++nSlot) {
            const std::string& str = card.GetText(nSlot);
            Check(bLoaded != str.empty());
            Check(str.size() <= CStringPoolFile::kMaxStringBytes);
            Check(nSlot <= 5 ? names.GetText(nSlot) == str : names.GetText(nSlot).empty());
        }
        if (!bLoaded)
            continue;

        // The record decodes back to its bytes.
        unsigned char bytes[AircraftRecord::kSize];
        card.m_record.ToBytes(bytes);
        Check(std::memcmp(bytes, pData + 2 + n * AircraftRecord::kSize, sizeof bytes) == 0);

        const AircraftRecord& rec = card.m_record;
        for (float v : {rec.value7, rec.value8, rec.value9, rec.value32, rec.value33, rec.value34,
                        rec.value35}) {
            Check(valuerules::Real(v, valuerules::RealFormat::f6_2) == PrintfReal(v, "%6.2f"));
            Check(valuerules::Real(v, valuerules::RealFormat::f5_2) == PrintfReal(v, "%5.2f"));
            Check(valuerules::Real(v, valuerules::RealFormat::f5_1) == PrintfReal(v, "%5.1f"));
            Check(valuerules::Real(v, valuerules::RealFormat::f4_1) == PrintfReal(v, "%4.1f"));
        }
    }
    return 0;
}

// Two records whose strings name the pool's start, middle and end and one
// past it, with reals of every kind, over a pool with an unterminated tail.
std::vector<std::uint8_t> FuzzSeed() {
    std::vector<std::uint8_t> out(2);
    auto put32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const float reals[] = {0.005f, -1.25f, 3.4e38f, 0.0f, 1e-30f, 999.995f, 12.5f};
    for (int t = 0; t < 2; ++t)
        for (int f = 0; f < AircraftRecord::kFieldCount; ++f) {
            if (f >= 32) {
                std::uint32_t bits;
                std::memcpy(&bits, &reals[(f + t) % 7], sizeof bits);
                put32(bits);
            } else {
                put32(f < 3 || f == 17 || f == 18 || f == 31 ? (f + t) % 4 * 3 : f == 5 ? 1990 : f);
            }
        }
    out[0] = static_cast<std::uint8_t>(out.size() - 2);
    out[1] = static_cast<std::uint8_t>((out.size() - 2) >> 8);
    for (char ch : std::string("Ab\0\xC0\xC1\0\0\0\0tail", 13))
        out.push_back(static_cast<std::uint8_t>(ch));
    return out;
}
