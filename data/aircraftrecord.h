#pragma once

#include <cstddef>
#include <cstdint>

// One record of "AircraftItems.dat": 39 little-endian fields of 4 bytes.
// String fields are byte offsets into Strings.dat. The characteristics carry
// no meaning of their own here; they are named by the slot they feed, and
// only the templates' captions say what they are.
struct AircraftRecord {
    std::int32_t firm;          // 0, slot 1
    std::int32_t country;       // 4, slot 2
    std::int32_t text;          // 8, slot 6: free text, last in the specifications
    std::int32_t value14;       // 12
    std::int32_t value15;       // 16
    std::int32_t year;          // 20, slot 23
    std::int32_t value16;       // 24
    std::int32_t value17;       // 28
    std::int32_t value18;       // 32
    std::int32_t value19;       // 36
    std::int32_t value20;       // 40
    std::int32_t value21;       // 44
    std::int32_t value22;       // 48
    std::int32_t value11;       // 52
    std::int32_t value13;       // 56
    std::int32_t value12;       // 60
    std::int32_t value10;       // 64
    std::int32_t model;         // 68, slot 3
    std::int32_t name;          // 72, slot 5
    std::int32_t pictureCount;  // 76: full pictures after the preview
    std::int32_t previewOffset; // 80: preview record in Pictures.dat
    std::int32_t value24;       // 84
    std::int32_t value25;       // 88
    std::int32_t value26;       // 92
    std::int32_t value27;       // 96
    std::int32_t value28;       // 100
    std::int32_t value29;       // 104
    std::int32_t value30;       // 108
    std::int32_t value31;       // 112
    std::int32_t firstStrip;    // 116: first row in FlightStrips.dat
    std::int32_t stripCount;    // 120
    std::int32_t type;          // 124, slot 4
    float value8;               // 128
    float value9;               // 132
    float value7;               // 136
    float value32;              // 140
    float value33;              // 144
    float value34;              // 148
    float value35;              // 152

    static constexpr int kSize = 156;
    static constexpr int kFieldCount = 39;

    // Decodes the file image regardless of the host's byte order.
    static AircraftRecord FromBytes(const unsigned char* p);
    void ToBytes(unsigned char* p) const;
};

static_assert(sizeof(AircraftRecord) == AircraftRecord::kSize);
static_assert(offsetof(AircraftRecord, year) == 20);
static_assert(offsetof(AircraftRecord, value10) == 64);
static_assert(offsetof(AircraftRecord, pictureCount) == 76);
static_assert(offsetof(AircraftRecord, firstStrip) == 116);
static_assert(offsetof(AircraftRecord, type) == 124);
static_assert(offsetof(AircraftRecord, value7) == 136);
static_assert(offsetof(AircraftRecord, value35) == 152);
