#include "data/aircraftrecord.h"
#include "data/databasefiles.h"
#include "pictures/lzwencoder.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/dbcheck.h"
#include "tools/dbpictures.h"

#include <QImage>
#include <QString>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

struct Picture {
    std::int32_t nWidth, nHeight;
    int nBits;
    std::vector<RGBQUAD> colours;
    std::vector<unsigned char> pixels; // DIB layout

    std::string Record() const {
        const auto bytes = WritePictureRecord(nWidth, nHeight, nBits, colours, pixels);
        return std::string(bytes.begin(), bytes.end());
    }
    // Colour of (x, y), y from the top, as the PNG must hold it.
    std::uint32_t Rgb(std::int32_t x, std::int32_t y) const {
        const std::size_t nStride = CDibSection::StrideFor(nWidth, nBits);
        const unsigned char* pRow = pixels.data() + (nHeight - 1 - y) * nStride;
        if (nBits == 24) {
            const unsigned char* p = pRow + 3 * x;
            return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
        }
        const int nPerByte = 8 / nBits;
        const int nShift = 8 - nBits * (1 + x % nPerByte);
        const RGBQUAD& c = colours[(pRow[x / nPerByte] >> nShift) & ((1 << nBits) - 1)];
        return std::uint32_t{c.rgbRed} << 16 | std::uint32_t{c.rgbGreen} << 8 | c.rgbBlue;
    }
};

// A picture whose every pixel differs from its neighbours, so a flipped row or
// a shifted column shows.
Picture MakePicture(std::int32_t nWidth, std::int32_t nHeight, int nBits) {
    Picture p{nWidth, nHeight, nBits, {}, {}};
    if (nBits != 24)
        for (int i = 0; i < (1 << nBits); ++i)
            p.colours.push_back({static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i),
                                 static_cast<std::uint8_t>(255 - i), 0});
    const std::size_t nStride = CDibSection::StrideFor(nWidth, nBits);
    p.pixels.assign(nStride * static_cast<std::size_t>(nHeight), 0);
    for (std::int32_t row = 0; row < nHeight; ++row)
        for (std::size_t b = 0; b < (static_cast<std::size_t>(nWidth) * nBits + 7) / 8; ++b)
            p.pixels[row * nStride + b] = static_cast<unsigned char>(row * 31 + b * 7 + 1);
    return p;
}

void ExpectPng(const std::string& strPath, const Picture& p) {
    QImage image(QString::fromStdString(strPath));
    ASSERT_FALSE(image.isNull()) << strPath;
    ASSERT_EQ(image.width(), p.nWidth);
    ASSERT_EQ(image.height(), p.nHeight);
    for (std::int32_t y = 0; y < p.nHeight; ++y)
        for (std::int32_t x = 0; x < p.nWidth; ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, p.Rgb(x, y)) << strPath << " " << x << "," << y;
}

std::vector<std::string> Files(const std::string& strDir) {
    std::vector<std::string> names;
    if (std::filesystem::exists(strDir))
        for (const auto& entry : std::filesystem::directory_iterator(strDir))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class PicturesTool : public testing::Test {
protected:
    // A type (record 0) whose preview and series are given, plus a group.
    void AddType(const std::vector<Picture>& pictures, std::int32_t nCount = -1) {
        AircraftRecord rec{};
        rec.previewOffset = static_cast<std::int32_t>(m_db.m_pictures.size());
        for (const Picture& p : pictures)
            m_db.AddPicture(p.Record());
        rec.pictureCount = nCount >= 0 ? nCount : static_cast<std::int32_t>(pictures.size()) - 1;
        m_db.AddAircraft(rec);
    }
    void Open() {
        m_db.AddTreeNamed(-1, -1, "group");
        for (int i = 0; i * 156 < static_cast<int>(m_db.m_aircraft.size()); ++i)
            m_db.AddTreeNamed(0, i, "type");
        m_db.Write(m_dir.Path());
        m_dir.WriteFile("Static texts.rtf", CardTemplateRtf());
        m_dir.WriteFile("Static texts add.rtf", ExtraTemplateRtf());
        m_files.Open(m_dir.Path());
    }
    int Export(std::int32_t nRecord) {
        std::ostringstream diag;
        return ExportPictures(m_files, nRecord, m_out.Path(), diag);
    }
    std::string Check() {
        m_files.Close();
        std::ostringstream out;
        m_nProblems = CheckDatabase(m_dir.Path(), out).nProblems;
        return out.str();
    }

    CTempDir m_dir, m_out;
    CDbWriter m_db;
    CDatabaseFiles m_files;
    std::int64_t m_nProblems = 0;
};

TEST_F(PicturesTool, PreviewAndSeriesArePixelExact) {
    const std::vector<Picture> pictures = {MakePicture(21, 13, 8), MakePicture(33, 17, 24),
                                           MakePicture(9, 5, 1), MakePicture(15, 6, 4)};
    AddType(pictures);
    Open();
    EXPECT_EQ(Export(0), 4);
    EXPECT_EQ(Files(m_out.Path()),
              (std::vector<std::string>{"1.png", "2.png", "3.png", "preview.png"}));
    ExpectPng(m_out.File("preview.png"), pictures[0]);
    ExpectPng(m_out.File("1.png"), pictures[1]);
    ExpectPng(m_out.File("2.png"), pictures[2]);
    ExpectPng(m_out.File("3.png"), pictures[3]);
    EXPECT_EQ(Check(), "");
}

TEST_F(PicturesTool, PreviewOfAnotherDepthIsNotDrawnButItsSeriesIs) {
    AddType({MakePicture(8, 8, 24), MakePicture(4, 4, 8)});
    Open();
    EXPECT_EQ(Export(0), 1);
    EXPECT_EQ(Files(m_out.Path()), std::vector<std::string>{"1.png"});
    EXPECT_NE(Check().find("the preview has 24 bits per pixel"), std::string::npos);
}

TEST_F(PicturesTool, NoPicturesWritesNothing) {
    AddType({MakePicture(8, 8, 8)}, 0); // count 0: not even the preview
    AircraftRecord rec{};
    rec.pictureCount = 3;
    rec.previewOffset = -1; // negative: no pictures
    m_db.AddAircraft(rec);
    Open();
    EXPECT_EQ(Export(0), 0);
    EXPECT_EQ(Export(1), 0);
    EXPECT_EQ(Export(-1), 0);
    EXPECT_TRUE(Files(m_out.Path()).empty());
}

TEST_F(PicturesTool, ShortSeriesHoldsTheRecordsFound) {
    AddType({MakePicture(8, 8, 8), MakePicture(4, 4, 8)}, 1000000);
    Open();
    EXPECT_EQ(Export(0), 2);
    const std::string strReport = Check();
    EXPECT_NE(strReport.find("picture count 1000000, but Pictures.dat holds only 1 series"),
              std::string::npos)
        << strReport;
}

// A stream cut part-way shows what was decoded and index 0 for the rest.
TEST_F(PicturesTool, TruncatedStreamKeepsTheDecodedPart) {
    Picture p = MakePicture(64, 64, 8);
    std::string record = p.Record();
    const std::size_t nCut = 40 + 1024 + (record.size() - 40 - 1024) / 2;
    record.resize(nCut);
    m_db.AddPicture(record);
    AircraftRecord rec{};
    rec.pictureCount = 1;
    m_db.AddAircraft(rec);
    Open();
    Export(0);
    QImage image(QString::fromStdString(m_out.File("preview.png")));
    ASSERT_FALSE(image.isNull());
    // The bottom row came first in the stream and survives; the top row is index 0.
    EXPECT_EQ(image.pixel(0, 63) & 0xFFFFFF, p.Rgb(0, 63));
    const RGBQUAD& c0 = p.colours[0];
    EXPECT_EQ(image.pixel(5, 0) & 0xFFFFFF,
              std::uint32_t{c0.rgbRed} << 16 | std::uint32_t{c0.rgbGreen} << 8 | c0.rgbBlue);
    const std::string strReport = Check();
    EXPECT_NE(strReport.find("preview at offset 0"), std::string::npos) << strReport;
}

TEST_F(PicturesTool, CheckFindsBrokenHeaders) {
    std::string record = MakePicture(8, 8, 8).Record();
    record[14] = 7; // biBitCount
    m_db.AddPicture(record);
    AircraftRecord rec{};
    rec.pictureCount = 1;
    m_db.AddAircraft(rec);
    rec.previewOffset = 1 << 30;
    m_db.AddAircraft(rec);
    Open();
    const std::string strReport = Check();
    EXPECT_NE(strReport.find("biBitCount 7 is not 1, 4, 8 or 24"), std::string::npos) << strReport;
    EXPECT_NE(strReport.find("record 1: preview offset 1073741824 lies outside Pictures.dat"),
              std::string::npos)
        << strReport;
}

} // namespace
