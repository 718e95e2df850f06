#pragma once

#include "data/aircraftrecord.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CDatabaseFiles;

// The text form of one aircraft type: the record as read and its 35 display
// texts (slots 1-23 the main group, 24-35 the additional group), with the
// picture viewer's bookkeeping.
class CAircraftText {
public:
    static constexpr int kSlotCount = 35;
    static constexpr int kMainSlotCount = 23;

    explicit CAircraftText(CDatabaseFiles* pApp);

    // Reads record n and sets every slot by the value rules. A record that
    // cannot be read whole leaves nothing of the previous type behind: the
    // record is zeroed, all slots emptied, and the result is false.
    bool Load(std::int32_t nRecord);
    // Load for the search: reads record n and sets only the five name slots
    // (1-5: firm, country, model, type, name) exactly as Load does; the other
    // slots are emptied. Formatting 35 slots per candidate cost more than the
    // match itself.
    bool LoadNames(std::int32_t nRecord);
    // Empties slots 1-23 and the picture count; everything else stays.
    void ClearMain();

    // Slot by its number, 1 to 35.
    const std::string& GetText(int nSlot) const { return m_texts.at(nSlot - 1); }

    CDatabaseFiles* m_pApp;
    AircraftRecord m_record{};
    std::array<std::string, kSlotCount> m_texts;
    std::int32_t m_nCurrentPicture = 0;
    std::vector<std::uint32_t> m_pictureOffsets;
};
