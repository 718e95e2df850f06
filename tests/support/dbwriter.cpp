#include "support/dbwriter.h"

#include "data/le.h"

#include <fstream>
#include <stdexcept>

std::string Int32Bytes(std::int32_t v) {
    unsigned char b[4];
    le::PutInt32(b, v);
    return std::string(reinterpret_cast<const char*>(b), 4);
}

std::int32_t CDbWriter::AddString(std::string_view str) {
    const auto nOffset = static_cast<std::int32_t>(m_pool.size());
    m_pool.append(str);
    m_pool += '\0';
    return nOffset;
}

void CDbWriter::AddTree(std::int32_t nParent, std::int32_t nItem, std::int32_t nNameOffset) {
    m_tree += Int32Bytes(nParent) + Int32Bytes(nItem) + Int32Bytes(nNameOffset);
}

void CDbWriter::AddTreeNamed(std::int32_t nParent, std::int32_t nItem,
                             std::string_view strCaption) {
    AddTree(nParent, nItem, AddString(strCaption));
}

void CDbWriter::AddAircraft(const AircraftRecord& rec) {
    unsigned char bytes[AircraftRecord::kSize];
    rec.ToBytes(bytes);
    m_aircraft.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void CDbWriter::AddStrip(std::int32_t a, std::int32_t b, std::int32_t c) {
    m_strips += Int32Bytes(a) + Int32Bytes(b) + Int32Bytes(c);
}

std::int32_t CDbWriter::AddPicture(const std::string& record) {
    const auto nOffset = static_cast<std::int32_t>(m_pictures.size());
    m_pictures += record;
    return nOffset;
}

void CDbWriter::Write(const std::string& strDir) const {
    const std::pair<const char*, const std::string*> files[] = {
        {"Strings.dat", &m_pool},           {"Tree.dat", &m_tree},
        {"AircraftItems.dat", &m_aircraft}, {"FlightStrips.dat", &m_strips},
        {"Pictures.dat", &m_pictures},
    };
    for (const auto& [pszName, pBytes] : files) {
        std::ofstream out(strDir + "/" + pszName, std::ios::binary | std::ios::trunc);
        out.write(pBytes->data(), static_cast<std::streamsize>(pBytes->size()));
        if (!out)
            throw std::runtime_error(std::string("cannot write ") + pszName);
    }
}
