#include "data/aircraftrecord.h"
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "pictures/lzwencoder.h"
#include "pictures/pictureheader.h"
#include "pictures/pictureseries.h"
#include "platform/cp1251.h"
#include "support/dbwriter.h"
#include "support/runtool.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/dbbuilder.h"
#include "tools/dbcard.h"
#include "tools/dbdump.h"
#include "tools/dbextra.h"
#include "tools/dbpictures.h"
#include "tools/dbsearch.h"
#include "tools/dbsource.h"
#include "tools/dbunbuild.h"
#include "tools/treeposition.h"

#include <QImage>
#include <QString>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const char* const kDataFiles[] = {"Strings.dat", "Tree.dat", "AircraftItems.dat",
                                  "FlightStrips.dat", "Pictures.dat"};

// Everything a user can see of a database, as one text: the dump, then for
// each tree position its card, its additional data, its pictures pixel by
// pixel with their colour tables, and a few searches.
std::string Outputs(const std::string& strDir) {
    std::ostringstream out;
    CDatabaseFiles files;
    files.Open(strDir);
    DumpDatabase(files, out);
    for (std::int32_t nPos = 0;; ++nPos) {
        const auto item = ItemDataAtPosition(files, nPos);
        if (!item)
            break;
        out << "\n#" << nPos << " card ";
        WriteCard(files, strDir, *item, out);
        if (*item >= 0)
            out << "\nextra " << ExtraDataPanesJson(ReadExtraDataPanes(files, strDir, *item));
        CTempDir pictures;
        std::ostringstream diag;
        ExportPictures(files, *item, pictures.Path(), diag);
        out << "\npictures " << diag.str();
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(pictures.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& strName : names) {
            const QImage image(QString::fromStdString(pictures.File(strName)));
            std::uint64_t nHash = 1469598103934665603u; // FNV-1a over the pixels
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    nHash = (nHash ^ (image.pixel(x, y) & 0xFFFFFF)) * 1099511628211u;
            out << strName << ' ' << image.width() << 'x' << image.height() << ':' << nHash;
        }
    }
    // The records themselves: depth, colour table (its size included) and
    // pixel indices of every picture the viewer reads.
    CAircraftText text(&files);
    for (std::int32_t n = 0; files.m_filePictures.IsOpen() && text.Load(n); ++n) {
        if (!HasPictures(text.m_record))
            continue;
        std::vector<std::uint32_t> offsets(1,
                                           static_cast<std::uint32_t>(text.m_record.previewOffset));
        for (std::uint32_t o : ScanPictures(files.m_filePictures, text.m_record).offsets)
            offsets.push_back(o);
        for (std::uint32_t o : offsets) {
            files.m_filePictures.Seek(o, CFile::begin);
            const auto pDib = ReadPicture(files.m_filePictures);
            if (!pDib)
                continue;
            out << "\nrecord " << n << " bits " << pDib->GetBitCount() << " colours";
            for (const RGBQUAD& q : pDib->GetColourTable())
                out << ' ' << int{q.rgbRed} << '/' << int{q.rgbGreen} << '/' << int{q.rgbBlue};
            out << " pixels "
                << std::hash<std::string_view>{}(std::string_view(
                       reinterpret_cast<const char*>(pDib->GetBits()), pDib->GetSize()));
        }
    }
    files.Close();
    for (const char* pszText : {"а", "Ту", "самолёт", "x"}) {
        std::ostringstream found, err;
        SearchDatabase(strDir, pszText, false, std::nullopt, found, err);
        out << "\nsearch " << pszText << ' ' << found.str() << err.str();
    }
    return out.str();
}

struct RoundTrip {
    UnbuildSummary summary;
    std::string strReport;
};

// Unbuilds strDir into m_src and builds that into m_rebuilt.
class Unbuild : public testing::Test {
protected:
    RoundTrip Run(const std::string& strDir) {
        RoundTrip r;
        std::ostringstream report;
        r.summary = UnbuildDatabase(strDir, m_src.Path(), report);
        r.strReport = report.str();
        BuildDatabase(ReadSourceFile(m_src.File("aircraft.json")), m_rebuilt.Path());
        return r;
    }
    void ExpectSameOutputs(const std::string& strDir) {
        EXPECT_EQ(Outputs(strDir), Outputs(m_rebuilt.Path()));
    }
    void ExpectSameFiles(const std::string& strDir) {
        for (const char* pszName : kDataFiles) {
            const std::string sa = Slurp(strDir + "/" + pszName);
            const std::string sb = Slurp(m_rebuilt.File(pszName));
            EXPECT_TRUE(sa == sb) << pszName << ": " << sa.size() << " vs " << sb.size()
                                  << " bytes";
        }
    }
    void WriteTemplates(const CTempDir& dir) {
        dir.WriteFile("Static texts.rtf", CardTemplateRtf());
        dir.WriteFile("Static texts add.rtf", ExtraTemplateRtf());
    }

    CTempDir m_db, m_src, m_rebuilt;
};

// --- databases the build wrote come back byte for byte ----------------------

TEST_F(Unbuild, SampleComesBackByteIdenticalThroughTheTool) {
    const std::string strSource = std::string(VERLUMO_SAMPLE_SOURCE_DIR) + "/aircraft.json";
    ASSERT_EQ(RunTool("build " + Quote(strSource) + " -o " + Quote(m_db.Path())).nExit, 0);
    const ToolResult unbuilt =
        RunTool("unbuild " + Quote(m_db.Path()) + " -o " + Quote(m_src.Path()));
    EXPECT_EQ(unbuilt.nExit, 0) << unbuilt.strErr;
    EXPECT_EQ(unbuilt.strErr, "");
    EXPECT_NE(unbuilt.strOut.find("0 cannot round trip"), std::string::npos) << unbuilt.strOut;
    const ToolResult rebuilt =
        RunTool("build " + Quote(m_src.File("aircraft.json")) + " -o " + Quote(m_rebuilt.Path()));
    ASSERT_EQ(rebuilt.nExit, 0) << rebuilt.strErr;
    ExpectSameFiles(m_db.Path());
    ExpectSameOutputs(m_db.Path());
    EXPECT_TRUE(fs::exists(m_src.File("pictures/0-preview.png")));
    EXPECT_TRUE(fs::exists(m_src.File("aircraft.schema.json")));
}

TEST_F(Unbuild, GeneratedDatabasesComeBackByteIdentical) {
    std::mt19937 random(7);
    for (int nRound = 0; nRound < 4; ++nRound) {
        CTempDir db, src, rebuilt, templates;
        SourceDatabase source;
        WriteTemplates(templates);
        source.strCardTemplate = templates.File("Static texts.rtf");
        source.strExtraTemplate = templates.File("Static texts add.rtf");
        const char* const kWords[] = {"Ил-62", "Ан-2", "СССР", "", "«Руслан»", "a\tb", "ОКБ"};
        const float kReals[] = {0.1f, -0.0f, 1e-40f, std::numeric_limits<float>::max(), 33.3f, 0};
        for (int n = 0; n < 40; ++n) {
            // A parent on the open chain: the top level, the previous item,
            // or its parent.
            const std::int32_t nPrevious = static_cast<std::int32_t>(n) - 1;
            const std::int32_t parents[] = {-1, nPrevious, n ? source.tree.back().nParent : -1};
            SourceTreeNode node{n ? parents[random() % 3] : -1, -1,
                                *cp1251::FromUtf8(kWords[random() % 7])};
            if (random() % 3 != 0) {
                node.nItem = static_cast<std::int32_t>(source.types.size());
                SourceType type;
                type.strFirm = *cp1251::FromUtf8(kWords[random() % 7]);
                type.strModel = *cp1251::FromUtf8(kWords[random() % 7]);
                type.strText = *cp1251::FromUtf8(kWords[random() % 7]);
                type.record.year = static_cast<std::int32_t>(random() % 3000) - 100;
                type.record.value12 = static_cast<std::int32_t>(random());
                type.record.value7 = kReals[random() % 6];
                type.record.value35 = kReals[random() % 6];
                for (unsigned k = random() % 4; k > 0; --k)
                    type.strips.push_back({{static_cast<std::int32_t>(random()), -1, 0}});
                source.types.push_back(type);
            }
            source.tree.push_back(node);
        }
        BuildDatabase(source, db.Path());
        std::ostringstream report;
        const UnbuildSummary summary = UnbuildDatabase(db.Path(), src.Path(), report);
        EXPECT_EQ(summary.nLost + summary.nNotes, 0) << report.str();
        BuildDatabase(ReadSourceFile(src.File("aircraft.json")), rebuilt.Path());
        for (const char* pszName : kDataFiles) {
            EXPECT_TRUE(Slurp(db.File(pszName)) == Slurp(rebuilt.File(pszName)))
                << pszName << " round " << nRound;
        }
        EXPECT_EQ(Outputs(db.Path()), Outputs(rebuilt.Path()));
    }
}

// --- pictures: every depth and palette size ---------------------------------

struct Picture {
    std::int32_t nWidth, nHeight;
    int nBits;
    int nColours;

    std::string Record() const {
        std::vector<RGBQUAD> colours;
        for (int i = 0; i < nColours; ++i)
            colours.push_back({static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i),
                               static_cast<std::uint8_t>(255 - i), 0});
        const std::size_t nStride = CDibSection::StrideFor(nWidth, nBits);
        std::vector<unsigned char> pixels(nStride * static_cast<std::size_t>(nHeight), 0);
        for (std::int32_t y = 0; y < nHeight; ++y)
            for (std::int32_t x = 0; x < nWidth; ++x) {
                unsigned char* pRow = pixels.data() + static_cast<std::size_t>(y) * nStride;
                const unsigned v = static_cast<unsigned>(x * 7 + y * 13 + 1);
                if (nBits == 24) {
                    pRow[3 * x] = static_cast<unsigned char>(v);
                    pRow[3 * x + 1] = static_cast<unsigned char>(v * 3);
                    pRow[3 * x + 2] = static_cast<unsigned char>(v * 5);
                } else {
                    // Indices within the table, so the palette size matters.
                    const unsigned nIndex = v % static_cast<unsigned>(nColours);
                    const std::size_t nBit = static_cast<std::size_t>(x) * nBits;
                    pRow[nBit / 8] |= static_cast<unsigned char>(nIndex << (8 - nBits - nBit % 8));
                }
            }
        const auto bytes = WritePictureRecord(nWidth, nHeight, nBits, colours, pixels);
        return std::string(bytes.begin(), bytes.end());
    }
};

// Types laid out as the build lays them out, each with its series.
void AddTypes(CDbWriter& db, const std::vector<std::vector<Picture>>& types) {
    db.AddTreeNamed(-1, -1, "Группа");
    for (std::size_t n = 0; n < types.size(); ++n) {
        AircraftRecord rec{};
        rec.model = db.AddString("Модель " + std::to_string(n));
        rec.firstStrip = 0;
        if (!types[n].empty()) {
            rec.previewOffset = static_cast<std::int32_t>(db.m_pictures.size());
            for (const Picture& p : types[n])
                db.AddPicture(p.Record());
            rec.pictureCount = static_cast<std::int32_t>(types[n].size()) - 1;
        }
        db.AddAircraft(rec);
        db.AddTreeNamed(0, static_cast<std::int32_t>(n), "Тип " + std::to_string(n));
    }
}

TEST_F(Unbuild, EveryDepthAndPaletteSizeKeepsItsPixelsAndTable) {
    CDbWriter db;
    AddTypes(db, {{{17, 9, 8, 256}, {13, 7, 1, 1}, {13, 7, 1, 2}, {11, 5, 4, 3}, {11, 5, 4, 16}},
                  {{9, 9, 8, 5}, {31, 3, 24, 0}, {6, 6, 8, 200}},
                  {}});
    db.Write(m_db.Path());
    WriteTemplates(m_db);
    const RoundTrip r = Run(m_db.Path());
    EXPECT_EQ(r.summary.nLost + r.summary.nNotes, 0) << r.strReport;
    EXPECT_EQ(r.summary.nPictures, 8);
    ExpectSameOutputs(m_db.Path());
    // CDbWriter's pool is not laid out as the build's; the pictures are.
    EXPECT_TRUE(Slurp(m_db.File("Pictures.dat")) == Slurp(m_rebuilt.File("Pictures.dat")));
}

TEST_F(Unbuild, PngOfTheWrongKindIsABuildErrorNamingThePlace) {
    CTempDir src;
    QImage rgb(4, 4, QImage::Format_RGB32);
    rgb.fill(Qt::red);
    ASSERT_TRUE(rgb.save(QString::fromStdString(src.File("p.png")), "PNG"));
    src.WriteFile("Static texts.rtf", CardTemplateRtf());
    src.WriteFile("Static texts add.rtf", ExtraTemplateRtf());
    src.WriteFile("s.json", R"({"tree": [{"caption": "a", "type": {"pictures": [
        {"file": "p.png", "bits": 24}, {"file": "p.png", "bits": 4}]}}]})");
    try {
        BuildDatabase(ReadSourceFile(src.File("s.json")), m_rebuilt.Path());
        FAIL() << "no error";
    } catch (const CSourceError& e) {
        EXPECT_NE(
            std::string(e.what()).find("types[0].pictures[1]: a 4-bit picture must be an indexed"),
            std::string::npos)
            << e.what();
    }
}

// --- layouts other programs write, which the source states ------------------

TEST_F(Unbuild, ForeignLayoutsRoundTripThroughExplicitFields) {
    CDbWriter db;
    const Picture a{8, 4, 8, 4}, b{5, 5, 24, 0};
    // Record 0 is shown by two items and after record 1; record 2 by none.
    // Record 1 shares record 0's pictures; strips overlap and start at 0 for
    // types without any; one caption points into the middle of a text.
    const std::int32_t nText = db.AddString("Ту-154М");
    db.AddTree(-1, -1, nText + 3);
    db.AddTreeNamed(0, 1, "первый");
    db.AddTreeNamed(0, 0, "второй");
    db.AddTreeNamed(-1, 0, "снова");
    db.AddTreeNamed(-1, 57, "за концом");
    db.AddTreeNamed(4, -7, "странный");
    db.AddTree(-1, -1, -4);
    AircraftRecord r0{};
    r0.model = nText;
    r0.firm = -5;
    r0.previewOffset = db.AddPicture(a.Record());
    db.AddPicture(b.Record());
    r0.pictureCount = 1;
    r0.firstStrip = 1;
    r0.stripCount = 2;
    db.AddAircraft(r0);
    AircraftRecord r1 = r0;
    r1.pictureCount = 5; // runs past the end of the file, where the series stops
    r1.firstStrip = 0;
    r1.stripCount = 3;
    db.AddAircraft(r1);
    AircraftRecord r2{};
    r2.model = db.AddString("только в списке");
    r2.firstStrip = -3;
    r2.stripCount = 4;
    r2.previewOffset = 99;
    db.AddAircraft(r2);
    for (int i = 0; i < 3; ++i)
        db.AddStrip(i, 10 * i, 100 * i);
    db.Write(m_db.Path());
    WriteTemplates(m_db);
    const RoundTrip r = Run(m_db.Path());
    EXPECT_EQ(r.summary.nLost, 0) << r.strReport;
    EXPECT_NE(r.strReport.find("AircraftItems.dat: record 2: no tree item shows it"),
              std::string::npos)
        << r.strReport;
    ExpectSameOutputs(m_db.Path());
}

// --- what the source cannot hold is named, and exit 1 -------------------------

struct Inexpressible {
    const char* pszName;
    void (*make)(CDbWriter&);
    const char* pszExpected;
};

class UnbuildLoss : public Unbuild, public testing::WithParamInterface<Inexpressible> {};

TEST_P(UnbuildLoss, IsNamedAndTheRestRoundTrips) {
    CDbWriter db;
    AddTypes(db, {{{8, 4, 8, 4}, {5, 5, 24, 0}}, {}});
    GetParam().make(db);
    db.Write(m_db.Path());
    WriteTemplates(m_db);
    const RoundTrip r = Run(m_db.Path());
    EXPECT_GE(r.summary.nLost, 1);
    EXPECT_NE(r.strReport.find(GetParam().pszExpected), std::string::npos) << r.strReport;
    // The source still builds, and what the viewer showed of the rest stays.
    CDatabaseFiles rebuilt;
    rebuilt.Open(m_rebuilt.Path());
    EXPECT_TRUE(ItemDataAtPosition(rebuilt, 0).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnbuildLoss,
    testing::Values(
        Inexpressible{"ForwardParent", [](CDbWriter& db) { db.AddTreeNamed(9, -1, "x"); },
                      "Tree.dat: record 3: parent 9, a parent further on"},
        Inexpressible{"SelfParent", [](CDbWriter& db) { db.AddTreeNamed(3, -1, "x"); },
                      "Tree.dat: record 3: parent 3, its own parent"},
        Inexpressible{"UnusedString", [](CDbWriter& db) { db.AddString("nobody"); },
                      "(\"nobody\"): no record refers to them"},
        Inexpressible{"UnusedStripRow", [](CDbWriter& db) { db.AddStrip(1, 2, 3); },
                      "FlightStrips.dat: rows 0..0: no record refers to them"},
        Inexpressible{"PictureBeyondCount",
                      [](CDbWriter& db) {
                          db.AddPicture(Picture{3, 3, 4, 16}.Record());
                      },
                      "behind the series of AircraftItems.dat: record 0, beyond its picture count"},
        Inexpressible{"BytesAfterEndCode",
                      [](CDbWriter& db) {
                          // Grow the last record by three bytes its header counts.
                          db.m_pictures += "abc";
                          const std::size_t nLast =
                              db.m_pictures.size() - 3 - Picture{5, 5, 24, 0}.Record().size();
                          unsigned char* p =
                              reinterpret_cast<unsigned char*>(db.m_pictures.data()) + nLast;
                          BITMAPINFOHEADER hdr = DecodeBitmapInfoHeader(p);
                          hdr.biSizeImage += 3;
                          EncodeBitmapInfoHeader(hdr, p);
                      },
                      "picture 1 (Pictures.dat offset"},
        Inexpressible{"UndefinedByte", [](CDbWriter& db) { db.AddTreeNamed(-1, -1, "a\x98"); },
                      "Tree.dat: record 3: the byte 0x98 has no character"},
        Inexpressible{"NotANumber",
                      [](CDbWriter& db) {
                          AircraftRecord rec{};
                          rec.value8 = std::numeric_limits<float>::quiet_NaN();
                          db.AddAircraft(rec);
                          db.AddTreeNamed(-1, 2, "NaN");
                      },
                      "AircraftItems.dat: record 2 length_m: not a finite number"},
        Inexpressible{"TreeFragment", [](CDbWriter& db) { db.AppendTreeBytes("xy"); },
                      "Tree.dat: 2 bytes of a record at the end"}),
    [](const testing::TestParamInfo<Inexpressible>& info) { return info.param.pszName; });

TEST_F(Unbuild, DamagedFilesNeverStopItAndItsSourceAlwaysBuilds) {
    std::mt19937 random(11);
    for (int nRound = 0; nRound < 30; ++nRound) {
        CTempDir db, src, rebuilt;
        CDbWriter writer;
        AddTypes(writer, {{{8, 4, 8, 4}, {5, 5, 24, 0}}, {{6, 3, 1, 2}}});
        writer.AddStrip(1, 2, 3);
        std::string* files[] = {&writer.m_pool, &writer.m_tree, &writer.m_aircraft,
                                &writer.m_strips, &writer.m_pictures};
        for (int k = 0; k < 6; ++k) {
            std::string& bytes = *files[random() % 5];
            if (!bytes.empty())
                bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        writer.Write(db.Path());
        WriteTemplates(db);
        std::ostringstream report;
        ASSERT_NO_THROW(UnbuildDatabase(db.Path(), src.Path(), report)) << nRound;
        ASSERT_NO_THROW(BuildDatabase(ReadSourceFile(src.File("aircraft.json")), rebuilt.Path()))
            << nRound << "\n"
            << report.str();
    }
}

// --- the schema --------------------------------------------------------------

struct SchemaCase {
    const char* pszSource;
    const char* pszExpected;
};

class SourceSchemaErrors : public testing::TestWithParam<SchemaCase> {};

TEST_P(SourceSchemaErrors, NameThePlace) {
    try {
        ParseSource(GetParam().pszSource, "");
        FAIL() << "accepted";
    } catch (const CSourceError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().pszExpected), std::string::npos)
            << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Places, SourceSchemaErrors,
    testing::Values(
        SchemaCase{R"({"tree": [{"caption": "a"}, {"caption": "b", "children": [{"caption": "c",
                   "type": {"cruise_speed_kmh": "fast"}}]}]})",
                   "tree[1].children[0].type.cruise_speed_kmh: must be an integer"},
        SchemaCase{R"({"tree": [{"caption": "a", "type": {"views": ["back"]}}]})",
                   "tree[0].type.views[0]: \"back\" is not side-large, side, top or front"},
        SchemaCase{
            R"({"tree": [{"caption": "a", "type": {"pictures": [{"file": "p.png", "bits": 16}]}}]})",
            "tree[0].type.pictures[0].bits"},
        SchemaCase{
            R"({"tree": [{"caption": "a", "type": {"record": 1}}, {"caption": "b", "type": {"record": 1}}]})",
            "tree[1].type.record: record 1 is also given to tree[0].type"},
        SchemaCase{R"({"tree": [{"caption": "a", "type": {"record": 2}}]})",
                   "tree[0].type.record: must be below the number of types"},
        SchemaCase{R"({"tree": [{"caption": "a", "item": 3, "type": {}}]})", "tree[0].item"},
        SchemaCase{
            R"({"tree": [], "unreferenced_types": [{"strips": [[1, 2, 3]], "first_strip": -1}]})",
            "unreferenced_types[0].first_strip"},
        SchemaCase{R"({"tree": [], "extra": 1})", "extra: is not a known field"}),
    [](const testing::TestParamInfo<SchemaCase>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST(SourceSchema, DeepNestingIsWalkedWithoutRecursion) {
    constexpr int kDepth = 100000;
    std::string text = R"({"tree": [)";
    for (int i = 0; i < kDepth; ++i)
        text += R"({"caption": "a", "children": [)";
    for (int i = 0; i < kDepth; ++i)
        text += "]}";
    text += "]}";
    EXPECT_EQ(ParseSource(text, "").tree.size(), static_cast<std::size_t>(kDepth));
}

} // namespace
