#include "data/aircraftrecord.h"
#include "pictures/lzwencoder.h"
#include "support/dbwriter.h"
#include "support/runtool.h"
#include "support/tempdir.h"
#include "support/templates.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Damaged databases through `check` and the commands: each damage is a finding
// of check (never a crash, never "consistent"), and the command that meets it
// reports it or shows what the viewer shows.
namespace {

std::string Record(std::int32_t nWidth, std::int32_t nHeight) {
    std::vector<RGBQUAD> colours(256);
    std::vector<unsigned char> pixels(static_cast<std::size_t>((nWidth + 3) / 4 * 4 * nHeight));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i * 7);
    const auto bytes = WritePictureRecord(nWidth, nHeight, 8, colours, pixels);
    return std::string(bytes.begin(), bytes.end());
}

// One group with one type per record given; every type has firm "Firm".
struct Db {
    CDbWriter w;
    std::vector<AircraftRecord> types;
    std::string strCard = CardTemplateRtf();
    std::string strPoolTail; // bytes behind the last string of the pool

    void Write(const CTempDir& dir) {
        w.AddTreeNamed(-1, -1, "Group");
        const std::int32_t nFirm = w.AddString("Firm");
        for (std::size_t i = 0; i < types.size(); ++i) {
            w.AddTreeNamed(0, static_cast<std::int32_t>(i), "Type");
            types[i].firm = nFirm;
            w.AddAircraft(types[i]);
        }
        w.AddPoolBytes(strPoolTail);
        w.Write(dir.Path());
        dir.WriteFile("Static texts.rtf", strCard);
        dir.WriteFile("Static texts add.rtf", ExtraTemplateRtf());
    }
};

// A type whose preview and nSeries series records lie back to back.
AircraftRecord TypeWithPictures(CDbWriter& w, int nSeries) {
    AircraftRecord rec{};
    rec.previewOffset = w.AddPicture(Record(6, 4));
    for (int i = 0; i < nSeries; ++i)
        w.AddPicture(Record(5, 3));
    rec.pictureCount = nSeries;
    return rec;
}

struct Damage {
    const char* pszName;
    std::function<void(Db&)> make;
    const char* pszRemove;  // a file taken away after writing, or null
    const char* pszFinding; // in check's output
    const char* pszCommand; // then run on the directory (card and pictures: position 1)
    int nCommandExit;
    std::string strCommandText; // in the command's stdout or stderr
};

void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.pszName;
}

class Damaged : public testing::TestWithParam<Damage> {};

TEST_P(Damaged, CheckFindsItAndTheCommandCopes) {
    const Damage& d = GetParam();
    CTempDir dir;
    Db db;
    d.make(db);
    db.Write(dir);
    if (d.pszRemove)
        std::remove(dir.File(d.pszRemove).c_str());

    const ToolResult check = RunTool("check " + Quote(dir.Path()));
    EXPECT_EQ(check.nExit, 1) << check.strOut << check.strErr;
    EXPECT_NE(check.strOut.find(d.pszFinding), std::string::npos) << check.strOut;
    if (d.pszRemove) {
        // The missing file is named once, not once for everything that needs it.
        std::size_t nNamed = 0;
        for (std::size_t p = check.strOut.find(d.pszRemove); p != std::string::npos;
             p = check.strOut.find(d.pszRemove, p + 1))
            ++nNamed;
        EXPECT_EQ(nNamed, 1u) << check.strOut;
    }

    const std::string strCommand = d.pszCommand;
    std::string strArgs = strCommand + " " + Quote(dir.Path());
    if (strCommand == "card" || strCommand == "pictures")
        strArgs += " 1";
    if (strCommand == "pictures")
        strArgs += " -o " + Quote(dir.File("out"));
    const ToolResult r = RunTool(strArgs);
    EXPECT_EQ(r.nExit, d.nCommandExit) << r.strErr;
    EXPECT_NE((r.strOut + r.strErr).find(d.strCommandText), std::string::npos)
        << r.strOut.substr(0, 2000) << r.strErr;
}

INSTANTIATE_TEST_SUITE_P(
    Databases, Damaged,
    testing::Values(
        // A pool without a NUL: every caption and value pointing into it is cut.
        Damage{"string_without_end",
               [](Db& db) {
                   AircraftRecord rec{};
                   rec.model = static_cast<std::int32_t>(db.w.m_pool.size());
                   db.w.AddPoolBytes(std::string(200000, 'x'));
                   db.types = {rec};
               },
               nullptr,
               "AircraftItems.dat: record 0: model 0: the string is longer than 65536 bytes",
               "card", 0, std::string(65536, 'x') + "\\r\\n"},
        Damage{"strip_count_beyond_bound",
               [](Db& db) {
                   AircraftRecord rec{};
                   rec.stripCount = 70000;
                   for (int i = 0; i < 70000; ++i)
                       db.w.AddStrip(i, 0, 0);
                   db.types = {rec};
               },
               nullptr, "strip row count 70000 is beyond the 65536 rows", "dump", 0, "\"strips\""},
        Damage{"stream_ends_early",
               [](Db& db) {
                   // The stream ends with its end code after 6 x 2 of the 6 x 4 pixels.
                   std::string strPreview = Record(6, 2);
                   strPreview.replace(8, 4, Int32Bytes(4)); // biHeight
                   AircraftRecord rec{};
                   rec.previewOffset = db.w.AddPicture(strPreview);
                   db.w.AddPicture(Record(5, 3));
                   rec.pictureCount = 1;
                   db.types = {rec};
               },
               nullptr,
               "preview at offset 0: the stream ends after 16 of the 30 bytes of its 6 x 4",
               "pictures", 0, ""},
        Damage{"count_into_next_type",
               [](Db& db) {
                   AircraftRecord a = TypeWithPictures(db.w, 1);
                   const AircraftRecord b = TypeWithPictures(db.w, 1);
                   a.pictureCount = 3;
                   db.types = {a, b};
               },
               nullptr,
               "record 0: picture count 3 runs into another type's pictures: picture 2 at "
               "offset",
               "check", 1, "2 types, 3 tree items, 4 pictures"},
        Damage{"huge_count_counts_records_found",
               [](Db& db) {
                   AircraftRecord a = TypeWithPictures(db.w, 1);
                   a.pictureCount = INT32_MAX;
                   db.types = {a};
               },
               nullptr, "picture count 2147483647, but Pictures.dat holds only 1", "check", 1,
               "1 types, 2 tree items, 2 pictures"},
        Damage{"template_beyond_bound",
               [](Db& db) {
                   db.types = {AircraftRecord{}};
                   db.strCard += std::string(256 << 10, ' ');
               },
               nullptr, "Static texts.rtf: longer than 262144 bytes", "card", 0, "\"panes\""},
        Damage{"pool_without_nul",
               [](Db& db) {
                   db.types = {AircraftRecord{}};
                   db.strPoolTail = "no end";
               },
               nullptr, "Strings.dat: no NUL ends the string at", "dump", 0, "\"tree\""},
        Damage{"strings_missing", [](Db& db) { db.types = {AircraftRecord{}}; }, "Strings.dat",
               "Strings.dat: missing", "dump", 2, "Strings.dat: missing or cannot be read"},
        Damage{"strips_missing",
               [](Db& db) {
                   AircraftRecord rec{};
                   rec.stripCount = 2;
                   db.types = {rec, rec};
               },
               "FlightStrips.dat", "FlightStrips.dat: missing", "card", 0, "\"panes\""},
        Damage{"types_missing",
               [](Db& db) {
                   db.types = {AircraftRecord{}, AircraftRecord{}};
               },
               "AircraftItems.dat", "AircraftItems.dat: missing", "dump", 0, "\"tree\""},
        Damage{"pictures_missing",
               [](Db& db) {
                   db.types = {TypeWithPictures(db.w, 1), AircraftRecord{}};
               },
               "Pictures.dat", "Pictures.dat: missing", "pictures", 2,
               "Pictures.dat: missing or cannot be read"}),
    [](const testing::TestParamInfo<Damage>& info) { return info.param.pszName; });

} // namespace
