#pragma once

#include "data/aircraftrecord.h"
#include "data/databasefiles.h"
#include "data/valuerules.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The text form of one aircraft type: the record as read and its 35 display
// texts (slots 1-23 the main group, 24-35 the additional group), with the
// picture viewer's bookkeeping.
class CAircraftText {
public:
    static constexpr int kSlotCount = 35;
    static constexpr int kMainSlotCount = 23;
    // Slots 1-5, the names the search looks in: firm, country, model, type,
    // name; all strings.
    static constexpr int kNameSlotCount = 5;
    static constexpr std::int32_t AircraftRecord::*kNameFields[kNameSlotCount] = {
        &AircraftRecord::firm, &AircraftRecord::country, &AircraftRecord::model,
        &AircraftRecord::type, &AircraftRecord::name};

    explicit CAircraftText(CDatabaseFiles* pApp);

    // Reads record n and sets every slot by the value rules. A record that
    // cannot be read whole leaves nothing of the previous type behind: the
    // record is zeroed, all slots emptied, and the result is false.
    bool Load(std::int32_t nRecord);
    // Load for the search's names (the web edition's search index): reads
    // record n and sets only the five name slots (1-5: firm, country, model,
    // type, name) exactly as Load does; the other slots are emptied.
    // Formatting 35 slots per type cost more than the match itself.
    bool LoadNames(std::int32_t nRecord);
    // The same five names without a copy, for the search's test: reads record
    // n and hands visit(slot, text) one name after another, each a view into
    // the pool's cache that is valid only during the call, until visit
    // returns true. Returns that slot, 0 when visit never did, and -1 when
    // the record cannot be read whole (then visit is never called). m_record
    // is set as LoadNames sets it; the slots stay as they are. A template,
    // so that the test of each name costs no call through a pointer.
    template <class FVisit> int VisitNames(std::int32_t nRecord, FVisit visit) {
        if (!ReadNameRecord(nRecord))
            return -1;
        std::string strSpill;
        for (int i = 0; i < kNameSlotCount; ++i)
            if (visit(i + 1, valuerules::ViewString(m_pApp->m_fileStrings, m_record.*kNameFields[i],
                                                    strSpill)))
                return i + 1;
        return 0;
    }
    // Empties slots 1-23 and the picture count; everything else stays.
    void ClearMain();

    // Slot by its number, 1 to 35.
    const std::string& GetText(int nSlot) const { return m_texts.at(nSlot - 1); }

    CDatabaseFiles* m_pApp;
    AircraftRecord m_record{};
    std::array<std::string, kSlotCount> m_texts;
    std::int32_t m_nCurrentPicture = 0;
    std::vector<std::uint32_t> m_pictureOffsets;

private:
    // VisitNames' record: m_record read, or zeroed and false when it cannot
    // be read whole.
    bool ReadNameRecord(std::int32_t nRecord);
};
