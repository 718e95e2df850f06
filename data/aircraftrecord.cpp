#include "data/aircraftrecord.h"

#include "data/le.h"

#include <cstring>

// Every field is 4 bytes at offset 4 * i in both the struct and the file, so
// the struct is walked field by field; the floats travel as their bit image.
AircraftRecord AircraftRecord::FromBytes(const unsigned char* p) {
    AircraftRecord rec;
    std::uint32_t fields[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i)
        fields[i] = static_cast<std::uint32_t>(le::GetInt32(p + 4 * i));
    std::memcpy(&rec, fields, sizeof rec);
    return rec;
}

void AircraftRecord::ToBytes(unsigned char* p) const {
    std::uint32_t fields[kFieldCount];
    std::memcpy(fields, this, sizeof fields);
    for (int i = 0; i < kFieldCount; ++i)
        le::PutInt32(p + 4 * i, static_cast<std::int32_t>(fields[i]));
}
