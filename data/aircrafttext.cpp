#include "data/aircrafttext.h"

#include "data/databasefiles.h"
#include "data/valuerules.h"

namespace {

using valuerules::RealFormat;

enum class Rule { string, count, year, real };

struct SlotSource {
    Rule rule;
    std::int32_t AircraftRecord::*pInt;
    float AircraftRecord::*pReal;
    RealFormat format;
};

constexpr SlotSource Str(std::int32_t AircraftRecord::*p) {
    return {Rule::string, p, nullptr, RealFormat::f6_2};
}
constexpr SlotSource Cnt(std::int32_t AircraftRecord::*p) {
    return {Rule::count, p, nullptr, RealFormat::f6_2};
}
constexpr SlotSource Real(float AircraftRecord::*p, RealFormat f) {
    return {Rule::real, nullptr, p, f};
}

using R = AircraftRecord;

// Slot 1 first.
constexpr SlotSource kSlots[CAircraftText::kSlotCount] = {
    Str(&R::firm),
    Str(&R::country),
    Str(&R::model),
    Str(&R::type),
    Str(&R::name),
    Str(&R::text),
    Real(&R::value7, RealFormat::f6_2),
    Real(&R::value8, RealFormat::f6_2),
    Real(&R::value9, RealFormat::f5_1),
    Cnt(&R::value10),
    Cnt(&R::value11),
    Cnt(&R::value12),
    Cnt(&R::value13),
    Cnt(&R::value14),
    Cnt(&R::value15),
    Cnt(&R::value16),
    Cnt(&R::value17),
    Cnt(&R::value18),
    Cnt(&R::value19),
    Cnt(&R::value20),
    Cnt(&R::value21),
    Cnt(&R::value22),
    {Rule::year, &R::year, nullptr, RealFormat::f6_2},
    Cnt(&R::value24),
    Cnt(&R::value25),
    Cnt(&R::value26),
    Cnt(&R::value27),
    Cnt(&R::value28),
    Cnt(&R::value29),
    Cnt(&R::value30),
    Cnt(&R::value31),
    Real(&R::value32, RealFormat::f5_2),
    Real(&R::value33, RealFormat::f4_1),
    Real(&R::value34, RealFormat::f4_1),
    Real(&R::value35, RealFormat::f4_1),
};

// The search's five names lead the table.
constexpr int kNameSlotCount = CAircraftText::kNameSlotCount;
static_assert([] {
    for (int i = 0; i < kNameSlotCount; ++i)
        if (kSlots[i].rule != Rule::string || kSlots[i].pInt != CAircraftText::kNameFields[i])
            return false;
    return true;
}());

} // namespace

CAircraftText::CAircraftText(CDatabaseFiles* pApp) : m_pApp(pApp) {}

bool CAircraftText::Load(std::int32_t nRecord) {
    unsigned char bytes[AircraftRecord::kSize];
    if (!m_pApp->m_fileAircraft.ReadRecord(nRecord, bytes)) {
        m_record = AircraftRecord{};
        for (std::string& s : m_texts)
            s.clear();
        return false;
    }
    m_record = AircraftRecord::FromBytes(bytes);
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSource& src = kSlots[i];
        switch (src.rule) {
        case Rule::string:
            valuerules::String(m_pApp->m_fileStrings, m_record.*src.pInt, m_texts[i]);
            break;
        case Rule::count:
            m_texts[i] = valuerules::Count(m_record.*src.pInt);
            break;
        case Rule::year:
            m_texts[i] = valuerules::Year(m_record.*src.pInt);
            break;
        case Rule::real:
            m_texts[i] = valuerules::Real(m_record.*src.pReal, src.format);
            break;
        }
    }
    return true;
}

bool CAircraftText::LoadNames(std::int32_t nRecord) {
    for (int i = kNameSlotCount; i < kSlotCount; ++i)
        m_texts[i].clear();
    const int nRead = VisitNames(nRecord, [this](int nSlot, std::string_view strText) {
        m_texts[nSlot - 1].assign(strText);
        return false;
    });
    if (nRead < 0)
        for (int i = 0; i < kNameSlotCount; ++i)
            m_texts[i].clear();
    return nRead >= 0;
}

bool CAircraftText::ReadNameRecord(std::int32_t nRecord) {
    unsigned char bytes[AircraftRecord::kSize];
    if (!m_pApp->m_fileAircraft.ReadRecord(nRecord, bytes)) {
        m_record = AircraftRecord{};
        return false;
    }
    m_record = AircraftRecord::FromBytes(bytes);
    // A missing pool raises at the first name it holds, before any name is
    // handed over: the search must not find a type by its absent names when
    // the card could not show it.
    if (!m_pApp->m_fileStrings.IsOpen()) {
        std::string strSpill;
        for (const auto pField : kNameFields)
            valuerules::ViewString(m_pApp->m_fileStrings, m_record.*pField, strSpill);
    }
    return true;
}

void CAircraftText::ClearMain() {
    for (int i = 0; i < kMainSlotCount; ++i)
        m_texts[i].clear();
    m_record.pictureCount = 0;
}
