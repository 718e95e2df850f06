#include "pictures/pictureseries.h"

#include <utility>

#include "data/aircraftrecord.h"
#include "pictures/lzwcodec.h"
#include "pictures/pictureheader.h"
#include "platform/dibsection.h"

namespace {

// The 40 header bytes at the file's position; false at the end of the file.
bool ReadHeaderAt(CFile& file, BITMAPINFOHEADER& hdr) {
    unsigned char bytes[kPictureHeaderSize];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes)
        return false;
    hdr = DecodeBitmapInfoHeader(bytes);
    return true;
}

} // namespace

bool HasPictures(const AircraftRecord& record) {
    return record.pictureCount >= 1 && record.previewOffset >= 0;
}

PictureSeries ScanPictures(CFile& file, const AircraftRecord& record) {
    PictureSeries series;
    if (!HasPictures(record))
        return series;
    file.Seek(record.previewOffset, CFile::begin);
    BITMAPINFOHEADER hdr;
    if (!ReadHeaderAt(file, hdr))
        return series;
    const std::uint64_t nFirst =
        std::uint64_t{static_cast<std::uint32_t>(record.previewOffset)} + hdr.biSizeImage;
    std::uint64_t nPos = nFirst;
    for (std::int32_t i = 0; i < record.pictureCount; ++i) {
        // Offsets are kept as 32-bit values; a record beyond that is unreachable.
        if (nPos > UINT32_MAX)
            break;
        file.Seek(static_cast<std::int64_t>(nPos), CFile::begin);
        if (!ReadHeaderAt(file, hdr))
            break;
        series.offsets.push_back(static_cast<std::uint32_t>(nPos));
        series.nMaxWidth = std::max(series.nMaxWidth, hdr.biWidth);
        series.nMaxHeight = std::max(series.nMaxHeight, hdr.biHeight);
        if (hdr.biSizeImage < kPictureHeaderSize)
            break;
        nPos += hdr.biSizeImage;
    }
    file.Seek(static_cast<std::int64_t>(std::min<std::uint64_t>(nFirst, INT64_MAX)), CFile::begin);
    return series;
}

namespace {

std::unique_ptr<CDibSection> ReadPictureIn(CFile& file, std::unique_ptr<CDibSection> pReuse,
                                           int* pnResult, std::size_t* pnDecoded) {
    if (pnResult)
        *pnResult = 0;
    if (pnDecoded)
        *pnDecoded = 0;
    std::unique_ptr<CBitmapInfo> pBlock;
    if (ReadPictureHeader(file, pBlock) < 0 || !pBlock)
        return nullptr;
    std::unique_ptr<CDibSection> pDib = CDibSection::Create(*pBlock, std::move(pReuse));
    if (!pDib)
        return nullptr;
    const int nResult = DecodePictureBits(file, pDib->GetBits(), pDib->GetSize(), pnDecoded);
    if (pnResult)
        *pnResult = nResult;
    return pDib;
}

} // namespace

std::unique_ptr<CDibSection> ReadPicture(CFile& file, int* pnResult, std::size_t* pnDecoded) {
    return ReadPictureIn(file, nullptr, pnResult, pnDecoded);
}

std::unique_ptr<CDibSection> ReadPicture(CFile& file, std::unique_ptr<CDibSection> pReuse) {
    return ReadPictureIn(file, std::move(pReuse), nullptr, nullptr);
}

std::unique_ptr<CDibSection> ReadPreview(CFile& file, const AircraftRecord& record, bool* pbDrawn) {
    if (pbDrawn)
        *pbDrawn = false;
    if (!HasPictures(record))
        return nullptr;
    file.Seek(record.previewOffset, CFile::begin);
    unsigned char bytes[kPictureHeaderSize];
    // The depth is read before any DIB section is made for another one.
    if (file.Read(bytes, sizeof bytes) != sizeof bytes ||
        DecodeBitmapInfoHeader(bytes).biBitCount != kPreviewBitCount)
        return nullptr;
    if (pbDrawn)
        *pbDrawn = true;
    file.Seek(record.previewOffset, CFile::begin);
    return ReadPicture(file);
}
