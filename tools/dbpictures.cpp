#include "tools/dbpictures.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "pictures/pictureheader.h"
#include "pictures/pictureseries.h"
#include "platform/dibsection.h"
#include "tools/pngfile.h"

#include <filesystem>
#include <stdexcept>

int ExportPictures(CDatabaseFiles& files, std::int32_t nRecord, const std::string& strOutDir,
                   std::ostream& diag, std::vector<WrittenPicture>* pWritten) {
    // Writing nothing would look like a type without pictures.
    if (!files.m_filePictures.IsOpen())
        throw std::runtime_error(std::string(CDatabaseFiles::kPicturesName) +
                                 ": missing or cannot be read");
    if (nRecord < 0)
        return 0;
    CAircraftText text(&files);
    if (!text.Load(nRecord) || !HasPictures(text.m_record))
        return 0;

    std::error_code ec;
    std::filesystem::create_directories(strOutDir, ec);
    if (ec)
        throw std::runtime_error(strOutDir + ": cannot be created: " + ec.message());

    CFile& file = files.m_filePictures;
    int nWritten = 0;
    bool bDrawn = false;
    if (auto pDib = ReadPreview(file, text.m_record, &bDrawn)) {
        const std::size_t nBytes =
            pngfile::Write(*pDib, CDatabaseFiles::PathIn(strOutDir, "preview.png"));
        if (pWritten)
            pWritten->push_back({0, nBytes});
        ++nWritten;
    } else if (bDrawn) {
        diag << "preview: the picture cannot be shown\n";
    }

    const PictureSeries series = ScanPictures(file, text.m_record);
    for (std::size_t k = 0; k < series.offsets.size(); ++k) {
        const std::string strName = std::to_string(k + 1) + ".png";
        file.Seek(series.offsets[k], CFile::begin);
        auto pDib = ReadPicture(file);
        if (!pDib) {
            diag << strName << ": the picture cannot be shown\n";
            continue;
        }
        const std::size_t nBytes =
            pngfile::Write(*pDib, CDatabaseFiles::PathIn(strOutDir, strName.c_str()));
        if (pWritten)
            pWritten->push_back({static_cast<int>(k + 1), nBytes});
        ++nWritten;
    }
    return nWritten;
}
