#include "data/striprecord.h"

#include "data/aircraftrecord.h"
#include "data/le.h"
#include "data/recordfile.h"

StripRecord StripRecord::FromBytes(const unsigned char* p) {
    return StripRecord{{le::GetInt32(p), le::GetInt32(p + 4), le::GetInt32(p + 8)}};
}

std::vector<StripRecord> ReadStripRows(CRecordFile& fileStrips, const AircraftRecord& record) {
    std::vector<StripRecord> rows;
    if (record.firstStrip < 0 || !fileStrips.IsOpen())
        return rows;
    for (std::int64_t i = 0; i < record.stripCount; ++i) {
        const std::int64_t nRow = record.firstStrip + i;
        unsigned char bytes[StripRecord::kSize];
        // Each row read is bounded by the file, so a huge count costs no memory.
        if (nRow > INT32_MAX || !fileStrips.ReadRecord(static_cast<std::int32_t>(nRow), bytes))
            break;
        rows.push_back(StripRecord::FromBytes(bytes));
    }
    return rows;
}
