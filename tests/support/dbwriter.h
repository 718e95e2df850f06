#pragma once

#include "data/aircraftrecord.h"

#include <cstdint>
#include <string>
#include <string_view>

// Writes the data files of a test database byte by byte, so each test states
// exactly the bytes it reads back.
class CDbWriter {
public:
    // Appends a NUL-terminated cp1251 string to the pool; returns its offset.
    std::int32_t AddString(std::string_view str);
    void AddPoolBytes(std::string_view bytes) { m_pool.append(bytes); }

    void AddTree(std::int32_t nParent, std::int32_t nItem, std::int32_t nNameOffset);
    // A tree record with its caption added to the pool.
    void AddTreeNamed(std::int32_t nParent, std::int32_t nItem, std::string_view strCaption);

    void AddAircraft(const AircraftRecord& rec);
    void AddStrip(std::int32_t a, std::int32_t b, std::int32_t c);
    // Appends a picture record to Pictures.dat; returns its offset.
    std::int32_t AddPicture(const std::string& record);

    // Raw bytes behind the records, for trailing fragments.
    void AppendTreeBytes(std::string_view bytes) { m_tree.append(bytes); }
    void AppendAircraftBytes(std::string_view bytes) { m_aircraft.append(bytes); }

    // Writes the five data files into strDir.
    void Write(const std::string& strDir) const;

    std::string m_pool;
    std::string m_tree;
    std::string m_aircraft;
    std::string m_strips;
    std::string m_pictures;
};

std::string Int32Bytes(std::int32_t v);
