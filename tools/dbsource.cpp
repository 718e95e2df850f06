#include "tools/dbsource.h"

#include "tools/jsonplace.h"

#include "data/databasefiles.h"
#include "platform/cp1251.h"
#include "tools/jsonschema.h"
#include "tools/sourceschema.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

using nlohmann::json;

namespace {

using Kind = SourceField::Kind;
using R = AircraftRecord;

constexpr SourceField Text(const char* k, std::string SourceType::*p, std::int32_t R::*pOffset) {
    return {k, Kind::text, p, pOffset, nullptr};
}
constexpr SourceField Int(const char* k, std::int32_t R::*p) {
    return {k, Kind::integer, nullptr, p, nullptr};
}
constexpr SourceField Real(const char* k, float R::*p) {
    return {k, Kind::real, nullptr, nullptr, p};
}

const SourceField kFields[] = {
    Text("firm", &SourceType::strFirm, &R::firm),
    Text("country", &SourceType::strCountry, &R::country),
    Text("model", &SourceType::strModel, &R::model),
    Text("type", &SourceType::strType, &R::type),
    Text("name", &SourceType::strName, &R::name),
    Text("notes", &SourceType::strText, &R::text),
    Int("first_flight_year", &R::year),
    Real("wingspan_m", &R::value7),
    Real("length_m", &R::value8),
    Real("height_m", &R::value9),
    Int("engine_count", &R::value10),
    Int("crew", &R::value11),
    Int("passengers", &R::value12),
    Int("max_takeoff_weight_kg", &R::value13),
    Int("empty_weight_kg", &R::value14),
    Int("max_payload_kg", &R::value15),
    Int("max_speed_kmh", &R::value16),
    Int("cruise_speed_kmh", &R::value17),
    Int("landing_speed_kmh", &R::value18),
    Int("climb_rate_ms", &R::value19),
    Int("service_ceiling_m", &R::value20),
    Int("range_km", &R::value21),
    Int("ferry_range_km", &R::value22),
    Int("takeoff_speed_kmh", &R::value24),
    Int("min_speed_kmh", &R::value25),
    Int("landing_run_m", &R::value26),
    Int("takeoff_run_m", &R::value27),
    Int("engine_power", &R::value28),
    Int("fuel_kg", &R::value29),
    Int("max_landing_weight_kg", &R::value30),
    Int("number_built", &R::value31),
    Real("wing_area_m2", &R::value32),
    Real("wing_aspect_ratio", &R::value33),
    Real("wing_loading_kgm2", &R::value34),
    Real("wing_sweep_deg", &R::value35),
};

[[noreturn]] void Fail(const std::string& strWhere, const std::string& strWhat) {
    throw CSourceError(strWhere + ": " + strWhat);
}

std::string ToCp1251(const json& value, const std::string& strWhere) {
    std::string strBad;
    auto converted = cp1251::FromUtf8(value.get_ref<const std::string&>(), &strBad);
    if (!converted)
        Fail(strWhere, "the character \"" + strBad + "\" cannot be written in code page 1251");
    return *converted;
}

// Types and ranges are the schema's to check; these only convert.
std::int32_t ToInt32(const json& value) {
    return static_cast<std::int32_t>(value.get<std::int64_t>());
}

float ToFloat(const json& value) {
    return static_cast<float>(value.get<double>());
}

const CJsonSchema& SourceSchema() {
    static const CJsonSchema schema(json::parse(SourceSchemaText()));
    return schema;
}

// The raw layout fields of a record, by their source key.
std::optional<std::int32_t>* LayoutField(SourceType& type, const std::string& strKey) {
    if (strKey == "first_strip")
        return &type.nFirstStrip;
    if (strKey == "strip_count")
        return &type.nStripCount;
    if (strKey == "preview_offset")
        return &type.nPreviewOffset;
    if (strKey == "picture_count")
        return &type.nPictureCount;
    return nullptr;
}

std::string JoinPath(const std::string& strBaseDir, const std::string& strName);

SourceType ParseType(const json& obj, const std::string& strWhere, const std::string& strBaseDir) {
    SourceType type;
    for (const auto& [key, value] : obj.items()) {
        const std::string strField = strWhere + "." + key;
        if (key == "strips") {
            for (const json& row : value) {
                StripRecord strip{};
                for (int k = 0; k < 3; ++k)
                    strip.values[k] = ToInt32(row[k]);
                type.strips.push_back(strip);
            }
            continue;
        }
        if (key == "picture") {
            try {
                type.drawing = ParseDrawing(value, strField);
            } catch (const std::invalid_argument& e) {
                throw CSourceError(e.what());
            }
            continue;
        }
        if (key == "image") {
            type.strImage = JoinPath(strBaseDir, value.get<std::string>());
            continue;
        }
        if (key == "views") {
            for (const json& view : value)
                type.views.push_back(view.get<std::string>());
            continue;
        }
        if (key == "pictures") {
            for (const json& picture : value)
                type.exact.push_back({JoinPath(strBaseDir, picture["file"].get<std::string>()),
                                      picture["bits"].get<int>()});
            continue;
        }
        if (key == "record")
            continue; // placed by ParseSource
        if (const auto pLayout = LayoutField(type, key)) {
            *pLayout = ToInt32(value);
            continue;
        }
        const SourceField* pField = nullptr;
        for (const SourceField& f : kFields)
            if (key == f.pszKey)
                pField = &f;
        if (!pField)
            Fail(strField, "is not a known field");
        switch (pField->kind) {
        case Kind::text:
            type.*(pField->pText) = ToCp1251(value, strField);
            break;
        case Kind::integer:
            type.record.*(pField->pInt) = ToInt32(value);
            break;
        case Kind::real:
            type.record.*(pField->pReal) = ToFloat(value);
            break;
        }
    }
    if (type.drawing && !type.strImage.empty())
        Fail(strWhere, "names both a picture and an image; give one");
    if (!type.exact.empty() && (type.drawing || !type.strImage.empty() || !type.views.empty()))
        Fail(strWhere + ".pictures", "exact pictures go without picture, image and views");
    if (type.nFirstStrip && *type.nFirstStrip < 0 && !type.strips.empty())
        Fail(strWhere + ".first_strip", "a negative first row holds no strips");
    if ((type.drawing || !type.strImage.empty()) && type.views.empty())
        type.views = {"side-large"};
    return type;
}

std::string JoinPath(const std::string& strBaseDir, const std::string& strName) {
    if (strName.empty() || strName.front() == '/' || strBaseDir.empty())
        return strName;
    return strBaseDir + "/" + strName;
}

} // namespace

std::span<const SourceField> SourceFields() {
    return kFields;
}

SourceDatabase ParseSource(const std::string& strJsonUtf8, const std::string& strBaseDir) {
    json root;
    try {
        root = json::parse(strJsonUtf8);
    } catch (const json::parse_error& e) {
        throw CSourceError(std::string("not valid JSON: ") + e.what());
    }
    try {
        SourceSchema().Validate(root, "");
    } catch (const CSchemaError& e) {
        throw CSourceError(e.what());
    }

    SourceDatabase db;
    db.strCardTemplate = CDatabaseFiles::kCardTemplateName;
    db.strExtraTemplate = CDatabaseFiles::kExtraTemplateName;
    if (root.contains("templates")) {
        const json& templates = root["templates"];
        for (auto [pszKey, pstrPath] :
             {std::pair{"card", &db.strCardTemplate}, std::pair{"extra", &db.strExtraTemplate}})
            if (templates.contains(pszKey))
                *pstrPath = templates[pszKey].get<std::string>();
    }
    db.strCardTemplate = JoinPath(strBaseDir, db.strCardTemplate);
    db.strExtraTemplate = JoinPath(strBaseDir, db.strExtraTemplate);

    // A node's place is its parent's plus one step, spelt out only for an
    // error: a deep tree costs linear time. Messages are made with kHere
    // standing for the place and get it when they leave.
    CJsonPlaces places;
    const auto addStep = [&places](std::size_t nParent, std::string strStep) {
        return places.Add(nParent, std::move(strStep));
    };
    const auto placeOf = [&places](std::size_t nStep) { return places.Spell(nStep); };
    static const std::string kHere = "\x01";
    const auto at = [&](std::size_t nStep, auto&& parse) {
        try {
            return parse(kHere);
        } catch (const CSourceError& e) {
            std::string s = e.what();
            if (s.starts_with(kHere))
                s.replace(0, kHere.size(), placeOf(nStep));
            throw CSourceError(s);
        }
    };

    // Types in order of appearance (the tree, then the unreferenced ones),
    // each with its record number when the source gives one.
    struct Appearing {
        SourceType type;
        std::optional<std::int64_t> nRecord;
        std::size_t nStep;
        std::size_t nNode; // tree node that shows it; SIZE_MAX for none
    };
    std::vector<Appearing> appearing;
    auto addType = [&](const json& value, std::size_t nStep, std::size_t nNode) {
        std::optional<std::int64_t> nRecord;
        if (value.contains("record"))
            nRecord = value["record"].get<std::int64_t>();
        appearing.push_back(
            {at(nStep,
                [&](const std::string& strHere) { return ParseType(value, strHere, strBaseDir); }),
             nRecord, nStep, nNode});
    };

    // Pre-order walk with an explicit stack: the nesting is the file's to choose.
    struct Pending {
        const json* pNode;
        std::int32_t nParent;
        std::size_t nStep;
    };
    std::vector<Pending> stack;
    auto pushChildren = [&](const json& list, std::int32_t nParent, std::size_t nStep) {
        for (std::size_t i = list.size(); i-- > 0;)
            stack.push_back({&list[i], nParent, addStep(nStep, "[" + std::to_string(i) + "]")});
    };
    pushChildren(root["tree"], -1, addStep(SIZE_MAX, "tree"));
    while (!stack.empty()) {
        const Pending p = stack.back();
        stack.pop_back();
        const json& node = *p.pNode;
        if (db.tree.size() >= static_cast<std::size_t>(INT32_MAX))
            Fail(placeOf(p.nStep), "too many tree nodes");
        if (node.contains("type") && node.contains("item"))
            Fail(placeOf(p.nStep) + ".item", "a node with a type takes its item from the type");
        SourceTreeNode treeNode{p.nParent, -1, at(p.nStep, [&](const std::string& strHere) {
                                    return ToCp1251(node["caption"], strHere + ".caption");
                                })};
        if (node.contains("item"))
            treeNode.nItem = ToInt32(node["item"]);
        if (node.contains("type"))
            addType(node["type"], addStep(p.nStep, ".type"), db.tree.size());
        const auto nSelf = static_cast<std::int32_t>(db.tree.size());
        db.tree.push_back(std::move(treeNode));
        if (node.contains("children"))
            pushChildren(node["children"], nSelf, addStep(p.nStep, ".children"));
    }
    if (root.contains("unreferenced_types")) {
        const json& list = root["unreferenced_types"];
        const std::size_t nList = addStep(SIZE_MAX, "unreferenced_types");
        for (std::size_t i = 0; i < list.size(); ++i)
            addType(list[i], addStep(nList, "[" + std::to_string(i) + "]"), SIZE_MAX);
    }

    // Given record numbers first; the others take the free ones in order.
    const std::size_t nTypes = appearing.size();
    if (nTypes > static_cast<std::size_t>(INT32_MAX))
        Fail("tree", "too many types");
    std::vector<std::size_t> byRecord(nTypes, SIZE_MAX);
    for (std::size_t i = 0; i < nTypes; ++i) {
        const auto& nRecord = appearing[i].nRecord;
        if (!nRecord)
            continue;
        if (*nRecord >= static_cast<std::int64_t>(nTypes))
            Fail(placeOf(appearing[i].nStep) + ".record",
                 "must be below the number of types, " + std::to_string(nTypes));
        if (byRecord[*nRecord] != SIZE_MAX)
            Fail(placeOf(appearing[i].nStep) + ".record",
                 "record " + std::to_string(*nRecord) + " is also given to " +
                     placeOf(appearing[byRecord[*nRecord]].nStep));
        byRecord[*nRecord] = i;
    }
    std::size_t nFree = 0;
    for (std::size_t i = 0; i < nTypes; ++i) {
        if (appearing[i].nRecord)
            continue;
        while (byRecord[nFree] != SIZE_MAX)
            ++nFree;
        byRecord[nFree] = i;
    }
    db.types.reserve(nTypes);
    for (std::size_t nRecord = 0; nRecord < nTypes; ++nRecord) {
        Appearing& a = appearing[byRecord[nRecord]];
        if (a.nNode != SIZE_MAX)
            db.tree[a.nNode].nItem = static_cast<std::int32_t>(nRecord);
        db.types.push_back(std::move(a.type));
    }
    return db;
}

SourceDatabase ReadSourceFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        throw CSourceError(strPath + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    const auto nSlash = strPath.find_last_of('/');
    const std::string strBaseDir = nSlash == std::string::npos ? "" : strPath.substr(0, nSlash);
    return ParseSource(text.str(), strBaseDir);
}
