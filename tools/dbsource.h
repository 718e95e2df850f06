#pragma once

#include "data/aircraftrecord.h"
#include "data/striprecord.h"

#include "painter/aircraftpainter.h"

#include <cstdint>
#include <optional>
#include <span>
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

// A picture given pixel for pixel: an image file and the depth of its record.
// At 1, 4 and 8 bits the file is an indexed image whose palette becomes the
// colour table as it stands, its size included.
struct SourcePicture {
    std::string strFile; // resolved against the source's folder
    int nBits = 8;
};

struct SourceType {
    AircraftRecord record{}; // numbers set; string fields and pictures filled by the build
    std::string strFirm, strCountry, strText, strModel, strName, strType;
    std::vector<StripRecord> strips;
    // The pictures: drawn from parameters, or converted from an image file
    // (path resolved against the source's folder); neither means none.
    std::optional<AircraftDrawing> drawing;
    std::string strImage;
    std::vector<std::string> views;   // the series after the preview, 1 to 4
    std::vector<SourcePicture> exact; // the preview, then the series, as they are
    // Where the record's strips and pictures lie, and their counts, when a
    // database made elsewhere laid them out otherwise than the build would.
    std::optional<std::int32_t> nFirstStrip, nStripCount, nPreviewOffset, nPictureCount;
    // The pictures of an earlier type, the same bytes in the same place; no
    // source file states it (the generator shares its drawn pictures).
    std::optional<std::int32_t> nPicturesOf;
};

struct SourceDatabase {
    std::vector<SourceTreeNode> tree; // in depth-first pre-order
    std::vector<SourceType> types;    // in record order
    std::string strCardTemplate;      // paths of the two templates
    std::string strExtraTemplate;
};

// The one place that says which record field holds which characteristic, by
// its source key; the captions that name them for the user live in the two
// templates.
struct SourceField {
    enum class Kind { text, integer, real };
    const char* pszKey;
    Kind kind;
    std::string SourceType::*pText;
    std::int32_t AircraftRecord::*pInt; // a text's pool offset, or the integer
    float AircraftRecord::*pReal;
};
std::span<const SourceField> SourceFields();

class CSourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads and validates a source file; throws CSourceError naming the place
// (for example tree[2].children[0].type.notes) of anything it cannot take.
SourceDatabase ReadSourceFile(const std::string& strPath);
SourceDatabase ParseSource(const std::string& strJsonUtf8, const std::string& strBaseDir);
