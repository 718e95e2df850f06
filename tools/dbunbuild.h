#pragma once

#include <ostream>
#include <string>

struct UnbuildSummary {
    int nTreeItems = 0;
    int nTypes = 0;
    int nPictures = 0;
    int nLost = 0;  // findings the source cannot express: the round trip differs
    int nNotes = 0; // findings kept, or changes nothing the viewer shows
};

// Writes the source of the database in strDir to strOutDir: aircraft.json in
// the format `build` reads, each picture as a PNG file in pictures/, the two
// templates and the schema. Every finding goes to report as one line naming
// its file and record. pProgress, when given, receives a progress bar.
UnbuildSummary UnbuildDatabase(const std::string& strDir, const std::string& strOutDir,
                               std::ostream& report, std::ostream* pProgress = nullptr);
