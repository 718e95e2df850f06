#include "data/aircraftrecord.h"
#include "platform/richeditctrl.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/dbcheck.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

// A small consistent database: two groups, three types, strip rows, templates.
CDbWriter ConsistentDatabase() {
    CDbWriter db;
    db.AddString("");
    db.AddTreeNamed(-1, -1, "Group");
    db.AddTreeNamed(0, 0, "Type 0");
    db.AddTreeNamed(0, 1, "Type 1");
    db.AddTreeNamed(-1, -1, "Other");
    db.AddTreeNamed(3, 2, "Type 2");
    for (int i = 0; i < 3; ++i) {
        AircraftRecord rec{};
        rec.firm = db.AddString("Firm");
        rec.firstStrip = i;
        rec.stripCount = 2;
        db.AddAircraft(rec);
    }
    for (int i = 0; i < 4; ++i)
        db.AddStrip(i, i, i);
    return db;
}

std::string Check(const CDbWriter& db, CheckSummary* pSummary = nullptr,
                  const std::function<void(const CTempDir&)>& adjust = {}) {
    CTempDir dir;
    db.Write(dir.Path());
    dir.WriteFile("Static texts.rtf", CardTemplateRtf());
    dir.WriteFile("Static texts add.rtf", ExtraTemplateRtf());
    if (adjust)
        adjust(dir);
    std::ostringstream out;
    const CheckSummary summary = CheckDatabase(dir.Path(), out);
    if (pSummary)
        *pSummary = summary;
    return out.str();
}

TEST(Check, ConsistentDatabaseHasNoFindings) {
    CheckSummary summary;
    EXPECT_EQ(Check(ConsistentDatabase(), &summary), "");
    EXPECT_EQ(summary.nProblems, 0);
    EXPECT_EQ(summary.nTypes, 3);
    EXPECT_EQ(summary.nTreeItems, 5);
}

struct Fault {
    const char* pszName;
    std::function<void(CDbWriter&)> mutate;
    const char* pszExpected;
};

void PrintTo(const Fault& f, std::ostream* os) {
    *os << f.pszName;
}

class CheckFindings : public testing::TestWithParam<Fault> {};

TEST_P(CheckFindings, AreReported) {
    CDbWriter db = ConsistentDatabase();
    GetParam().mutate(db);
    CheckSummary summary;
    const std::string strReport = Check(db, &summary);
    EXPECT_GE(summary.nProblems, 1);
    EXPECT_NE(strReport.find(GetParam().pszExpected), std::string::npos) << strReport;
}

// A 40-byte picture header of 8 bits, 1 x 1, and only the fields a test varies.
std::string PictureHeader(std::int32_t nSize, std::int16_t nPlanes, std::int32_t nSizeImage) {
    std::string bytes = Int32Bytes(nSize) + Int32Bytes(1) + Int32Bytes(1);
    bytes += {static_cast<char>(nPlanes), '\0', 8, '\0'};
    bytes += Int32Bytes(0) + Int32Bytes(nSizeImage);
    bytes.resize(40, '\0');
    return bytes;
}

// A mutation that edits type record n in place.
std::function<void(CDbWriter&)> EditType(int n, std::function<void(AircraftRecord&)> edit) {
    return [=](CDbWriter& db) {
        AircraftRecord rec = AircraftRecord::FromBytes(
            reinterpret_cast<const unsigned char*>(db.m_aircraft.data()) + n * 156);
        edit(rec);
        unsigned char bytes[156];
        rec.ToBytes(bytes);
        db.m_aircraft.replace(n * 156, 156, reinterpret_cast<const char*>(bytes), 156);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Databases, CheckFindings,
    testing::Values(
        Fault{"closed_branch",
              [](CDbWriter& db) {
                  db.AddTreeNamed(1, -1, "late");
                  db.AddTreeNamed(-1, -1, "after");
              },
              "Tree.dat: record 5: out of depth-first order: parent 1, but parent must be -1, "
              "record 4 or an open ancestor of it; the viewer leaves out records 5 to 6 (2 "
              "records)"},
        Fault{"first_not_top", [](CDbWriter& db) { db.m_tree.replace(0, 4, Int32Bytes(3)); },
              "Tree.dat: record 0: out of depth-first order: parent 3, but the first record"},
        Fault{"caption_outside", [](CDbWriter& db) { db.m_tree.replace(8, 4, Int32Bytes(100000)); },
              "Tree.dat: record 0: caption offset 100000 is outside Strings.dat"},
        Fault{"negative_caption", [](CDbWriter& db) { db.m_tree.replace(20, 4, Int32Bytes(-1)); },
              "Tree.dat: record 1: caption offset -1 is outside"},
        Fault{"item_past_end", [](CDbWriter& db) { db.m_tree.replace(16, 4, Int32Bytes(3)); },
              "Tree.dat: record 1: item data 3 points past AircraftItems.dat (3 records)"},
        Fault{"tree_fragment", [](CDbWriter& db) { db.AppendTreeBytes("abcde"); },
              "Tree.dat: trailing fragment of 5 bytes after record 4"},
        Fault{"type_fragment", [](CDbWriter& db) { db.AppendAircraftBytes("x"); },
              "AircraftItems.dat: trailing fragment of 1 bytes after record 2"},
        Fault{"string_outside", EditType(1, [](AircraftRecord& r) { r.model = 9999; }),
              "AircraftItems.dat: record 1: model 9999 is outside Strings.dat"},
        Fault{"strips_outside", EditType(2, [](AircraftRecord& r) { r.stripCount = 3; }),
              "AircraftItems.dat: record 2: strip rows 2 to 4 lie outside FlightStrips.dat (4 "
              "rows)"},
        Fault{"negative_first_strip", EditType(0, [](AircraftRecord& r) { r.firstStrip = -2; }),
              "strip rows -2 to -1 lie outside"},
        Fault{"negative_pictures", EditType(0, [](AircraftRecord& r) { r.pictureCount = -1; }),
              "picture count -1"},
        Fault{"bad_preview",
              [](CDbWriter& db) {
                  db.AddPicture(PictureHeader(41, 1, 40));
                  EditType(1, [](AircraftRecord& r) { r.pictureCount = 1; })(db);
              },
              "Pictures.dat: type record 1, preview at offset 0: biSize 41 is not 40"},
        Fault{"bad_series_picture",
              [](CDbWriter& db) {
                  db.AddPicture(PictureHeader(40, 2, 40));
                  db.AddPicture(PictureHeader(40, 1, 40));
                  db.AddPicture(PictureHeader(40, 3, 40));
                  EditType(2, [](AircraftRecord& r) { r.pictureCount = 2; })(db);
              },
              "Pictures.dat: type record 2, picture 2 at offset 80: biPlanes 3 is not 1"}),
    [](const testing::TestParamInfo<Fault>& info) { return info.param.pszName; });

TEST(Check, MissingFilesAndBrokenTemplates) {
    CheckSummary summary;
    std::string strReport = Check(ConsistentDatabase(), &summary, [](const CTempDir& dir) {
        std::remove(dir.File("FlightStrips.dat").c_str());
        std::remove(dir.File("Static texts add.rtf").c_str());
        dir.WriteFile("Static texts.rtf", PlainRtf("a:\r\n\xD2\xD2\xD5\r\nb:"));
    });
    EXPECT_NE(strReport.find("FlightStrips.dat: missing"), std::string::npos) << strReport;
    EXPECT_NE(strReport.find("Static texts add.rtf: missing"), std::string::npos);
    EXPECT_NE(strReport.find("Static texts.rtf: the marker"), std::string::npos);

    // Two colons on one caption line serve one value only.
    strReport = Check(ConsistentDatabase(), &summary, [](const CTempDir& dir) {
        dir.WriteFile(
            "Static texts.rtf",
            PlainRtf("a:\r\nb: c:\r\nd:\r\ne:\r\nf:\r\ng:\r\n\xD2\xD2\xD5 x:x:x:x:x:x:x:x:x"
                     "\r\n\xD1\xEA\xEE\xF0\xEE\xF1\xF2\xE8\r\n1:\r\n2:\r\n3:\r\n4:\r\n5:\r\n"
                     "6:\r\n7:"));
    });
    EXPECT_NE(strReport.find("Static texts.rtf: section \""), std::string::npos) << strReport;
    EXPECT_NE(strReport.find("has captions for 1 of its 9 values"), std::string::npos) << strReport;
    EXPECT_EQ(strReport.find("general data"), std::string::npos) << strReport;
    EXPECT_EQ(summary.nProblems, 1);
}

// A string is too long exactly when the viewer would cut it, wherever in the
// run before its NUL the reference points.
TEST(Check, StringsAreTooLongOnlyBeyondTheBound) {
    for (const std::size_t nExtra : {0, 1}) {
        CDbWriter db = ConsistentDatabase();
        const std::int32_t nRun = db.AddString(std::string(65536 + nExtra + 10, 'x'));
        EditType(0, [&](AircraftRecord& r) { r.model = nRun + 10; })(db);
        EditType(1, [&](AircraftRecord& r) { r.name = nRun + 10 + static_cast<int>(nExtra); })(db);
        CheckSummary summary;
        const std::string strReport = Check(db, &summary);
        EXPECT_EQ(summary.nProblems, static_cast<std::int64_t>(nExtra)) << strReport;
        if (nExtra) {
            EXPECT_NE(strReport.find("record 0: model " + std::to_string(nRun + 10) +
                                     ": the string is longer than 65536 bytes"),
                      std::string::npos)
                << strReport;
        }
    }
}

// A template is read to its own length; only one past the viewer's bound is
// a finding, and an empty one is read as empty.
TEST(Check, TemplateLengthAgainstTheBound) {
    constexpr std::size_t kBound = CRichEditCtrl::kMaxFileBytes;
    const std::string strLonger =
        "Static texts.rtf: longer than " + std::to_string(kBound) + " bytes";
    for (const std::size_t nLength : {kBound, kBound + 1, kBound + 5000}) {
        CheckSummary summary;
        const std::string strReport =
            Check(ConsistentDatabase(), &summary, [&](const CTempDir& dir) {
                std::string strRtf = CardTemplateRtf();
                strRtf.resize(nLength, ' ');
                dir.WriteFile("Static texts.rtf", strRtf);
            });
        const bool bLonger = nLength > kBound;
        EXPECT_EQ(summary.nProblems, bLonger ? 1 : 0) << nLength << strReport;
        EXPECT_EQ(strReport.find(strLonger) != std::string::npos, bLonger) << strReport;
    }
    CheckSummary summary;
    const std::string strReport = Check(ConsistentDatabase(), &summary, [](const CTempDir& dir) {
        dir.WriteFile("Static texts add.rtf", "");
    });
    EXPECT_NE(strReport.find("Static texts add.rtf: the marker"), std::string::npos) << strReport;
    EXPECT_EQ(strReport.find("longer than"), std::string::npos) << strReport;
}

TEST(Check, RepeatedFindingsAreBounded) {
    CDbWriter db = ConsistentDatabase();
    for (int i = 0; i < 500; ++i)
        db.AddTree(0, 99, 1 << 20);
    CheckSummary summary;
    const std::string strReport = Check(db, &summary);
    EXPECT_EQ(summary.nProblems, 1 + 500 + 500);
    EXPECT_LT(std::count(strReport.begin(), strReport.end(), '\n'), 120);
    EXPECT_NE(strReport.find("... and 450 more: item data past AircraftItems.dat"),
              std::string::npos)
        << strReport;
}

} // namespace
