#pragma once

#include <cstdint>
#include <ostream>
#include <string>

struct CheckSummary {
    std::int64_t nProblems = 0;
    std::int64_t nTypes = 0;     // whole records of AircraftItems.dat
    std::int64_t nTreeItems = 0; // items the viewer's tree holds
    std::int64_t nPictures = 0;  // picture records of the types found in Pictures.dat
};

// Reports every inconsistency of the database in strDir on out, one line each,
// naming the file, the record and what is wrong. Consistent when nProblems is 0.
CheckSummary CheckDatabase(const std::string& strDir, std::ostream& out);
