#include "tools/dbpictures.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "pictures/pictureheader.h"
#include "pictures/pictureseries.h"
#include "platform/dibsection.h"

#include <QImage>
#include <QString>
#include <filesystem>
#include <stdexcept>

namespace {

void WritePng(const CDibSection& dib, const std::string& strPath) {
    QImage image(dib.GetWidth(), dib.GetHeight(), QImage::Format_RGB32);
    for (std::int32_t y = 0; y < dib.GetHeight(); ++y) {
        auto* pRow = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::int32_t x = 0; x < dib.GetWidth(); ++x)
            pRow[x] = 0xFF000000u | dib.GetPixelRgb(x, y);
    }
    if (!image.save(QString::fromStdString(strPath), "PNG"))
        throw std::runtime_error(strPath + ": cannot be written");
}

} // namespace

int ExportPictures(CDatabaseFiles& files, std::int32_t nRecord, const std::string& strOutDir,
                   std::ostream& diag) {
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
        WritePng(*pDib, CDatabaseFiles::PathIn(strOutDir, "preview.png"));
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
        WritePng(*pDib, CDatabaseFiles::PathIn(strOutDir, strName.c_str()));
        ++nWritten;
    }
    return nWritten;
}
