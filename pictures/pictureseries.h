#pragma once

#include "platform/cfile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CDibSection;
struct AircraftRecord;

// Where a type's pictures lie: the preview record at the type's offset, then
// as many series records as its picture count, back to back.
struct PictureSeries {
    std::vector<std::uint32_t> offsets; // one per series record found
    std::int32_t nMaxWidth = 0;         // largest biWidth and biHeight of the series
    std::int32_t nMaxHeight = 0;
};

// A type has pictures when its count is at least 1 and its preview offset is
// not negative.
bool HasPictures(const AircraftRecord& record);

// Reads only headers: from the record after the preview on, each record's
// header gives the next by biSizeImage. The scan stops at the first header that
// cannot be read whole, and after a record too short to hold its own header
// (it would lead back, not on), so a huge count costs at most one header read
// per record the file can hold. The file is left on the first series record.
PictureSeries ScanPictures(CFile& file, const AircraftRecord& record);

// The viewer draws a preview only at this depth; any other leaves its area grey.
inline constexpr std::uint16_t kPreviewBitCount = 8;

// The type's preview as the viewer draws it: the record at its preview offset,
// decoded, when the type has pictures and the record's header says
// kPreviewBitCount bits per pixel; else null. pbDrawn, when given, is set to
// whether the header asks for a preview to be drawn, which tells a preview
// that cannot be shown from one that is not drawn at all. CFileException
// passes through.
std::unique_ptr<CDibSection> ReadPreview(CFile& file, const AircraftRecord& record,
                                         bool* pbDrawn = nullptr);

// Reads and decodes the record at the file's position into a new DIB section;
// null when the header is unusable or the DIB section refuses it. A stream
// that fails part-way leaves the rest of the pixels zero (index 0), as the
// viewer shows it. pnResult receives the decoder's result (1 complete, 0 not),
// pnDecoded the pixel bytes the stream delivered (see DecodePictureBits).
std::unique_ptr<CDibSection> ReadPicture(CFile& file, int* pnResult = nullptr,
                                         std::size_t* pnDecoded = nullptr);
// The same in pReuse's memory (see CDibSection::Create): the viewer's step
// from one picture to the next.
std::unique_ptr<CDibSection> ReadPicture(CFile& file, std::unique_ptr<CDibSection> pReuse);
