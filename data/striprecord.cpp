#include "data/striprecord.h"

#include "data/aircraftrecord.h"
#include "data/le.h"
#include "data/recordfile.h"

#include <algorithm>

StripRecord StripRecord::FromBytes(const unsigned char* p) {
    return StripRecord{{le::GetInt32(p), le::GetInt32(p + 4), le::GetInt32(p + 8)}};
}

std::vector<StripRecord> ReadStripRows(CRecordFile& fileStrips, const AircraftRecord& record) {
    return ReadStripRows(fileStrips, record, fileStrips.IsOpen() ? fileStrips.GetRecordCount() : 0);
}

std::vector<StripRecord> ReadStripRows(CRecordFile& fileStrips, const AircraftRecord& record,
                                       std::int64_t nRowsInFile) {
    std::vector<StripRecord> rows;
    if (record.firstStrip < 0 || !fileStrips.IsOpen())
        return rows;
    const std::int64_t nInFile = nRowsInFile - record.firstStrip;
    const std::int64_t nRows = std::min<std::int64_t>({record.stripCount, nInFile, kMaxStripRows});
    if (nRows <= 0)
        return rows;
    rows.reserve(static_cast<std::size_t>(nRows));
    for (std::int64_t i = 0; i < nRows; ++i) {
        const std::int64_t nRow = record.firstStrip + i;
        unsigned char bytes[StripRecord::kSize];
        if (nRow > INT32_MAX || !fileStrips.ReadRecord(static_cast<std::int32_t>(nRow), bytes))
            break;
        rows.push_back(StripRecord::FromBytes(bytes));
    }
    return rows;
}
