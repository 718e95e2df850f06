#pragma once

#include "data/aircraftrecord.h"
#include "data/striprecord.h"

#include "painter/aircraftpainter.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The readable source of a database (JSON, UTF-8), turned into records whose
// texts are still strings (cp1251) rather than pool offsets.
struct SourceTreeNode {
    std::int32_t nParent; // record number of the parent, -1 at the top level
    std::int32_t nItem;   // type index, -1 for a group
    std::string strCaption;
};

struct SourceType {
    AircraftRecord record{}; // numbers set; string fields and pictures filled by the build
    std::string strFirm, strCountry, strText, strModel, strName, strType;
    std::vector<StripRecord> strips;
    // The pictures: drawn from parameters, or converted from an image file
    // (path resolved against the source's folder); neither means none.
    std::optional<AircraftDrawing> drawing;
    std::string strImage;
    std::vector<std::string> views; // the series after the preview, 1 to 4
};

struct SourceDatabase {
    std::vector<SourceTreeNode> tree; // in depth-first pre-order
    std::vector<SourceType> types;    // in tree order
    std::string strCardTemplate;      // paths of the two templates
    std::string strExtraTemplate;
};

class CSourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads and validates a source file; throws CSourceError naming the place
// (for example tree[2].children[0].type.notes) of anything it cannot take.
SourceDatabase ReadSourceFile(const std::string& strPath);
SourceDatabase ParseSource(const std::string& strJsonUtf8, const std::string& strBaseDir);
