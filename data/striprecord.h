#pragma once

#include <cstdint>
#include <vector>

class CRecordFile;
struct AircraftRecord;

// One row of "FlightStrips.dat": three int32 shown as the table's columns.
struct StripRecord {
    std::int32_t values[3];

    static constexpr int kSize = 12;
    static StripRecord FromBytes(const unsigned char* p);
};
static_assert(sizeof(StripRecord) == StripRecord::kSize);

// A type's strip table lists a handful of rows; 65,536 rows already make a
// table of megabytes of text in the dialog, so no type is shown with more.
inline constexpr std::int32_t kMaxStripRows = 65'536;

// The rows of a type as the additional data table shows them: none for a
// negative first row; otherwise in order, ending at the first row that cannot
// be read whole, and after kMaxStripRows rows. Memory follows the rows the
// file holds, never the count the record asks for.
std::vector<StripRecord> ReadStripRows(CRecordFile& fileStrips, const AircraftRecord& record);
// The same with the file's row count known: a walk over every type asks the
// file's length once, not once per type.
std::vector<StripRecord> ReadStripRows(CRecordFile& fileStrips, const AircraftRecord& record,
                                       std::int64_t nRowsInFile);
