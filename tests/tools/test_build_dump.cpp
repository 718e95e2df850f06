#include "data/aircraftrecord.h"
#include "data/databasefiles.h"
#include "platform/cp1251.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/dbbuilder.h"
#include "tools/dbcheck.h"
#include "tools/dbdump.h"
#include "tools/dbgenerate.h"
#include "tools/dbsource.h"
#include "tools/picturebuild.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

using nlohmann::json;

namespace {

json DumpDir(const std::string& strDir) {
    CDatabaseFiles files;
    files.Open(strDir);
    std::ostringstream out;
    DumpDatabase(files, out);
    return json::parse(out.str());
}

json ReadJson(const std::string& strPath) {
    std::ifstream in(strPath);
    return json::parse(in);
}

// Pre-order list of the source's nodes with their parents' positions, as the
// tree file must hold them.
void Flatten(const json& nodes, int nParent, std::vector<std::pair<const json*, int>>& out) {
    for (const json& node : nodes) {
        const int nSelf = static_cast<int>(out.size());
        out.emplace_back(&node, nParent);
        if (node.contains("children"))
            Flatten(node["children"], nSelf, out);
    }
}

// Builds a source given as JSON text, with the test templates.
void BuildFromJson(const char* pszJson, const CTempDir& dir) {
    SourceDatabase db = ParseSource(pszJson, "");
    CTempDir templates;
    templates.WriteFile("card.rtf", CardTemplateRtf());
    templates.WriteFile("extra.rtf", ExtraTemplateRtf());
    db.strCardTemplate = templates.File("card.rtf");
    db.strExtraTemplate = templates.File("extra.rtf");
    BuildDatabase(db, dir.Path());
}

std::string Dash(const json& obj, const char* pszKey) {
    return obj.contains(pszKey) ? obj[pszKey].get<std::string>() : "-";
}

TEST(BuildDump, SampleRoundTrips) {
    const std::string strSource = std::string(VERLUMO_SAMPLE_SOURCE_DIR) + "/aircraft.json";
    CTempDir dir;
    BuildDatabase(ReadSourceFile(strSource), dir.Path());
    const json dump = DumpDir(dir.Path());
    const json source = ReadJson(strSource);

    std::vector<std::pair<const json*, int>> nodes;
    Flatten(source["tree"], -1, nodes);
    ASSERT_EQ(dump["tree"].size(), nodes.size());
    std::vector<const json*> types;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const json& item = dump["tree"][i];
        const json& node = *nodes[i].first;
        EXPECT_EQ(item["position"], i);
        EXPECT_EQ(item["parent"], nodes[i].second);
        EXPECT_EQ(item["caption"], node["caption"]);
        if (node.contains("type")) {
            EXPECT_EQ(item["item"], types.size());
            types.push_back(&node["type"]);
        } else {
            EXPECT_EQ(item["item"], -1);
        }
    }

    ASSERT_EQ(dump["types"].size(), types.size());
    ASSERT_GE(types.size(), 40u);
    for (std::size_t n = 0; n < types.size(); ++n) {
        const json& t = *types[n];
        const json& d = dump["types"][n];
        EXPECT_EQ(d["record"], n);
        ASSERT_EQ(d["slots"].size(), 35u);
        EXPECT_EQ(d["slots"][0], Dash(t, "firm"));
        EXPECT_EQ(d["slots"][1], Dash(t, "country"));
        EXPECT_EQ(d["slots"][2], Dash(t, "model"));
        EXPECT_EQ(d["slots"][3], Dash(t, "type"));
        EXPECT_EQ(d["slots"][4], Dash(t, "name"));
        EXPECT_EQ(d["slots"][5], Dash(t, "notes"));
        if (t.contains("first_flight_year")) {
            EXPECT_EQ(d["slots"][22], std::to_string(t["first_flight_year"].get<int>()));
        }
        const json strips = t.contains("strips") ? t["strips"] : json::array();
        EXPECT_EQ(d["strips"], strips);
        EXPECT_EQ(d["stripCount"], strips.size());
    }
}

TEST(BuildDump, FieldsLandInTheirSlots) {
    const char* pszSource = R"({"tree": [
        {"caption": "Группа", "children": [
            {"caption": "Тип", "type": {
                "firm": "Фирма", "first_flight_year": 1968, "wingspan_m": 37.55,
                "height_m": 11.4, "crew": 3, "engine_count": 3, "wing_area_m2": 201.45,
                "wing_sweep_deg": 35, "strips": [[0, 850, 0], [11000, 900, 2500]]}}]},
        {"caption": "Пусто", "type": {}}]})";
    CTempDir dir;
    BuildFromJson(pszSource, dir);
    const json dump = DumpDir(dir.Path());
    const json& jSlots = dump["types"][0]["slots"];
    EXPECT_EQ(jSlots[0], "Фирма");
    EXPECT_EQ(jSlots[6], "37.55");
    EXPECT_EQ(jSlots[8], "11.4");
    EXPECT_EQ(jSlots[9], "3");
    EXPECT_EQ(jSlots[10], "3");
    EXPECT_EQ(jSlots[22], "1968");
    EXPECT_EQ(jSlots[31], "201.45");
    EXPECT_EQ(jSlots[34], "35.0");
    EXPECT_EQ(dump["types"][0]["strips"], json::parse("[[0,850,0],[11000,900,2500]]"));
    for (const json& s : dump["types"][1]["slots"])
        EXPECT_EQ(s, "-");
    EXPECT_EQ(dump["tree"][1]["parent"], 0);
    EXPECT_EQ(dump["tree"][2]["parent"], -1);
    EXPECT_EQ(dump["tree"][2]["item"], 1);
}

// The undefined byte of the code page reaches JSON as U+FFFD, never as bad UTF-8.
TEST(BuildDump, UndefinedByteBecomesReplacementCharacter) {
    CTempDir dir;
    BuildFromJson(R"({"tree": [{"caption": "x"}]})", dir);
    // The caption "x" stands at offset 1; put the undefined byte there instead.
    dir.WriteFile("Strings.dat", std::string("\0a\x98"
                                             "b",
                                             4));
    EXPECT_EQ(DumpDir(dir.Path())["tree"][0]["caption"], std::string("a\xEF\xBF\xBD"
                                                                     "b"));
}

struct BadSource {
    const char* pszJson;
    const char* pszExpected; // part of the message
};

void PrintTo(const BadSource& b, std::ostream* os) {
    *os << b.pszJson;
}

class BuildErrors : public testing::TestWithParam<BadSource> {};

TEST_P(BuildErrors, NameThePlace) {
    try {
        ParseSource(GetParam().pszJson, "");
        FAIL() << "accepted";
    } catch (const CSourceError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().pszExpected), std::string::npos)
            << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, BuildErrors,
    testing::Values(BadSource{R"({"tree": [{"caption": "a", "type": {"notes": "м²"}}]})",
                              "tree[0].type.notes: the character \"²\" cannot be written"},
                    BadSource{R"({"tree": [{"caption": "a", "children": [{"caption": "日"}]}]})",
                              "tree[0].children[0].caption"},
                    BadSource{R"({"tree": [{"caption": "a", "type": {"wingspan": 3}}]})",
                              "tree[0].type.wingspan: is not a known field"},
                    BadSource{R"({"tree": [{"caption": "a", "type": {"crew": 2147483648}}]})",
                              "tree[0].type.crew: does not fit"},
                    BadSource{R"({"tree": [{"caption": "a", "type": {"crew": 2.5}}]})",
                              "tree[0].type.crew: must be an integer"},
                    BadSource{R"({"tree": [{"caption": "a", "type": {"length_m": 1e300}}]})",
                              "tree[0].type.length_m: does not fit"},
                    BadSource{R"({"tree": [{"caption": "a", "type": {"strips": [[1, 2]]}}]})",
                              "tree[0].type.strips[0]"},
                    BadSource{R"({"tree": [{"type": {}}]})", "tree[0]: has no caption"},
                    BadSource{R"({"tree": {}})", "tree: must be an array"},
                    BadSource{R"({"tree": [], "templates": {"card": 5}})", "templates.card"},
                    BadSource{R"({"tree": [)", "not valid JSON"}));

// Deep nesting in the source must not exhaust the stack either.
// The dump writes its strings itself; every byte a record can hold must come
// out as the JSON library writes it, or a reader of the dump sees other text.
TEST(BuildDump, StringsEscapedAsTheJsonLibraryDoes) {
    std::string strAll;
    for (int c = 0; c < 256; ++c)
        strAll += static_cast<char>(c);
    std::vector<std::string> cases = {"", cp1251::ToUtf8(strAll), "a\"b\\c/d\x7F"};
    for (int c = 0; c < 256; ++c)
        cases.push_back(cp1251::ToUtf8(std::string(1, static_cast<char>(c))) + "x");
    for (const std::string& strCase : cases) {
        std::string strOut = "[";
        AppendJsonString(strOut, strCase);
        EXPECT_EQ(strOut, "[" + json(strCase).dump()) << strCase;
    }
}

// The dump's own path for cp1251 text must write what the conversion and
// the escaping write in turn, for every byte, next to any other byte, and
// behind whatever the buffer already holds.
TEST(BuildDump, Cp1251StringsAsConvertedThenEscaped) {
    std::string strAll;
    for (int c = 0; c < 256; ++c)
        strAll += static_cast<char>(c);
    std::vector<std::string> cases = {"", strAll, std::string(70000, '\xC0') + "\"\n"};
    for (int c = 0; c < 256; ++c)
        cases.push_back("x" + std::string(1, static_cast<char>(c)) + "\xFF");
    for (const std::string& strCase : cases) {
        std::string strExpected = "[1,";
        AppendJsonString(strExpected, cp1251::ToUtf8(strCase));
        std::string strOut = "[1,";
        AppendJsonCp1251(strOut, strCase);
        EXPECT_EQ(strOut, strExpected) << strCase.size() << " bytes";
    }
}

TEST(BuildDump, DeeplyNestedSource) {
    constexpr int kDepth = 20000;
    std::string s = R"({"tree": [)";
    for (int i = 0; i < kDepth; ++i)
        s += R"({"caption": "n", "children": [)";
    for (int i = 0; i < kDepth; ++i)
        s += "]}";
    s += "]}";
    const SourceDatabase db = ParseSource(s, "");
    ASSERT_EQ(db.tree.size(), static_cast<std::size_t>(kDepth));
    EXPECT_EQ(db.tree.back().nParent, kDepth - 2);
}

// generate: the same database for the same options, exactly as many items as
// asked, and a database check finds nothing in (templates included).
std::string ReadBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

GenerateOptions Options(std::int32_t nTypes, std::optional<std::int32_t> nItems,
                        std::int32_t nDepth, std::int32_t nPictures = 0, std::uint64_t nSeed = 1) {
    GenerateOptions options;
    options.nTypes = nTypes;
    options.nItems = nItems;
    options.nDepth = nDepth;
    options.nPictures = nPictures;
    options.nSeed = nSeed;
    return options;
}

TEST(Generate, SameOptionsGiveTheSameBytes) {
    CTempDir a, b, c;
    GenerateDatabase(Options(200, 900, 3, 0, 5), a.Path(), nullptr);
    GenerateDatabase(Options(200, 900, 3, 0, 5), b.Path(), nullptr);
    GenerateDatabase(Options(200, 900, 3, 0, 6), c.Path(), nullptr);
    for (const char* pszName :
         {CDatabaseFiles::kStringsName, CDatabaseFiles::kTreeName, CDatabaseFiles::kAircraftName,
          CDatabaseFiles::kStripsName, CDatabaseFiles::kPicturesName,
          CDatabaseFiles::kCardTemplateName, CDatabaseFiles::kExtraTemplateName})
        EXPECT_EQ(ReadBytes(a.File(pszName)), ReadBytes(b.File(pszName))) << pszName;
    EXPECT_NE(ReadBytes(a.File(CDatabaseFiles::kAircraftName)),
              ReadBytes(c.File(CDatabaseFiles::kAircraftName)));
}

struct GenerateCase {
    std::int32_t nTypes;
    std::optional<std::int32_t> nItems;
    std::int32_t nDepth;
    std::int64_t nExpectedItems;
};

class GenerateShapes : public testing::TestWithParam<GenerateCase> {};

TEST_P(GenerateShapes, ConsistentWithTheItemsAsked) {
    const GenerateCase& c = GetParam();
    CTempDir dir;
    GenerateDatabase(Options(c.nTypes, c.nItems, c.nDepth), dir.Path(), nullptr);
    std::ostringstream findings;
    const CheckSummary summary = CheckDatabase(dir.Path(), findings);
    EXPECT_EQ(summary.nProblems, 0) << findings.str();
    EXPECT_EQ(summary.nTypes, c.nTypes);
    EXPECT_EQ(summary.nTreeItems, c.nExpectedItems);
    const json dump = DumpDir(dir.Path());
    int nLevels = 0;
    for (const json& item : dump["tree"]) {
        int nLevel = 1;
        for (int nParent = item["parent"]; nParent >= 0; ++nLevel)
            nParent = dump["tree"][nParent]["parent"];
        nLevels = std::max(nLevels, nLevel);
    }
    EXPECT_LE(nLevels, c.nDepth);
}

// Every type once (with 4 + 13 groups), types shown again, types left
// unshown, fewer items than one chain of groups, all at the top.
INSTANTIATE_TEST_SUITE_P(Shapes, GenerateShapes,
                         testing::Values(GenerateCase{50, std::nullopt, 3, 67},
                                         GenerateCase{50, 400, 4, 400},
                                         GenerateCase{500, 120, 3, 120}, GenerateCase{10, 2, 3, 2},
                                         GenerateCase{7, 7, 1, 7}));

TEST(Generate, EveryTypeOnceByDefault) {
    const SourceDatabase db = GenerateSource(Options(50, std::nullopt, 3));
    std::vector<int> shown(50, 0);
    for (const SourceTreeNode& node : db.tree)
        if (node.nItem >= 0)
            ++shown.at(static_cast<std::size_t>(node.nItem));
    EXPECT_EQ(shown, std::vector<int>(50, 1));
}

TEST(Generate, PicturesPerType) {
    CTempDir dir;
    GenerateDatabase(Options(3, std::nullopt, 2, 2), dir.Path(), nullptr);
    std::ostringstream findings;
    const CheckSummary summary = CheckDatabase(dir.Path(), findings);
    EXPECT_EQ(summary.nProblems, 0) << findings.str();
    EXPECT_EQ(summary.nPictures, 3 * 3); // a preview and two views each
}

// Beyond the drawn types a type shares the pictures of one of them: the very
// bytes a fresh drawing of that type gives, at its place; everything else is
// as if every type were drawn.
std::vector<AircraftRecord> ReadRecords(const std::string& strDir) {
    const std::string bytes = ReadBytes(strDir + "/" + CDatabaseFiles::kAircraftName);
    std::vector<AircraftRecord> records;
    for (std::size_t n = 0; n + AircraftRecord::kSize <= bytes.size(); n += AircraftRecord::kSize)
        records.push_back(
            AircraftRecord::FromBytes(reinterpret_cast<const unsigned char*>(bytes.data() + n)));
    return records;
}

TEST(Generate, TypesBeyondTheDrawnOnesShareTheirPictures) {
    GenerateOptions shared = Options(8, std::nullopt, 2, 2, 3);
    shared.nDrawnTypes = 3;
    GenerateOptions allDrawn = shared;
    allDrawn.nDrawnTypes = 8;
    CTempDir a, b;
    GenerateDatabase(shared, a.Path(), nullptr);
    GenerateDatabase(allDrawn, b.Path(), nullptr);

    const std::vector<AircraftRecord> records = ReadRecords(a.Path());
    ASSERT_EQ(records.size(), 8u);
    const std::string pictures = ReadBytes(a.Path() + "/" + CDatabaseFiles::kPicturesName);
    const SourceDatabase fresh = GenerateSource(allDrawn);
    for (std::size_t k = 0; k < 3; ++k) {
        std::string block;
        for (const std::string& record : BuildTypePictures(fresh.types[k], "fresh"))
            block += record;
        EXPECT_EQ(records[k].pictureCount, 2);
        EXPECT_EQ(pictures.substr(static_cast<std::size_t>(records[k].previewOffset), block.size()),
                  block)
            << "type " << k;
    }
    for (std::size_t k = 3; k < 8; ++k) {
        EXPECT_EQ(records[k].previewOffset, records[k % 3].previewOffset) << "type " << k;
        EXPECT_EQ(records[k].pictureCount, records[k % 3].pictureCount) << "type " << k;
    }

    // Only the drawn types' pictures are stored, first as when all are drawn;
    // names, figures, strips and tree do not change.
    const std::string allPictures = ReadBytes(b.Path() + "/" + CDatabaseFiles::kPicturesName);
    EXPECT_GT(allPictures.size(), pictures.size());
    EXPECT_EQ(allPictures.substr(0, pictures.size()), pictures);
    for (const char* pszFile :
         {CDatabaseFiles::kStringsName, CDatabaseFiles::kTreeName, CDatabaseFiles::kStripsName})
        EXPECT_EQ(ReadBytes(a.Path() + "/" + pszFile), ReadBytes(b.Path() + "/" + pszFile))
            << pszFile;
    const std::vector<AircraftRecord> allRecords = ReadRecords(b.Path());
    ASSERT_EQ(allRecords.size(), 8u);
    for (std::size_t k = 0; k < 8; ++k) {
        AircraftRecord r = records[k];
        r.previewOffset = allRecords[k].previewOffset;
        unsigned char x[AircraftRecord::kSize], y[AircraftRecord::kSize];
        r.ToBytes(x);
        allRecords[k].ToBytes(y);
        EXPECT_TRUE(std::equal(x, x + sizeof x, y)) << "type " << k;
    }

    std::ostringstream findings;
    EXPECT_EQ(CheckDatabase(a.Path(), findings).nProblems, 0) << findings.str();
}

TEST(Build, PicturesOfALaterTypeAreRefused) {
    SourceDatabase db = GenerateSource(Options(3, std::nullopt, 2));
    db.types[1].nPicturesOf = 1;
    CTempDir dir;
    EXPECT_THROW(BuildDatabase(db, dir.Path()), CSourceError);
    db.types[1].nPicturesOf = -1;
    EXPECT_THROW(BuildDatabase(db, dir.Path()), CSourceError);
}

TEST(Generate, OptionsOutOfRange) {
    for (const GenerateOptions& options :
         {Options(0, std::nullopt, 3), Options(5, 0, 3), Options(5, std::nullopt, 0),
          Options(5, std::nullopt, kMaxGeneratedDepth + 1),
          Options(5, std::nullopt, 3, kMaxGeneratedPictures + 1)})
        EXPECT_THROW(GenerateSource(options), std::invalid_argument);
    GenerateOptions noneDrawn = Options(5, std::nullopt, 3, 1);
    noneDrawn.nDrawnTypes = 0;
    EXPECT_THROW(GenerateSource(noneDrawn), std::invalid_argument);
}

} // namespace
