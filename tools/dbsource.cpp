#include "tools/dbsource.h"

#include "data/databasefiles.h"
#include "platform/cp1251.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

using nlohmann::json;

namespace {

enum class Kind { text, integer, real };

using R = AircraftRecord;

struct FieldMapping {
    const char* pszKey;
    Kind kind;
    std::string SourceType::*pText;
    std::int32_t R::*pInt;
    float R::*pReal;
};

constexpr FieldMapping Text(const char* k, std::string SourceType::*p) {
    return {k, Kind::text, p, nullptr, nullptr};
}
constexpr FieldMapping Int(const char* k, std::int32_t R::*p) {
    return {k, Kind::integer, nullptr, p, nullptr};
}
constexpr FieldMapping Real(const char* k, float R::*p) {
    return {k, Kind::real, nullptr, nullptr, p};
}

// The one place that says which record field holds which characteristic.
// The captions that name them for the user live in the two templates.
const FieldMapping kFields[] = {
    Text("firm", &SourceType::strFirm),
    Text("country", &SourceType::strCountry),
    Text("model", &SourceType::strModel),
    Text("type", &SourceType::strType),
    Text("name", &SourceType::strName),
    Text("notes", &SourceType::strText),
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
    if (!value.is_string())
        Fail(strWhere, "must be a text");
    std::string strBad;
    auto converted = cp1251::FromUtf8(value.get_ref<const std::string&>(), &strBad);
    if (!converted)
        Fail(strWhere, "the character \"" + strBad + "\" cannot be written in code page 1251");
    return *converted;
}

std::int32_t ToInt32(const json& value, const std::string& strWhere) {
    if (!value.is_number_integer())
        Fail(strWhere, "must be an integer");
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT32_MAX))
            Fail(strWhere, "does not fit in a signed 32-bit integer");
        return static_cast<std::int32_t>(value.get<std::uint64_t>());
    }
    const auto n = value.get<std::int64_t>();
    if (n < INT32_MIN || n > INT32_MAX)
        Fail(strWhere, "does not fit in a signed 32-bit integer");
    return static_cast<std::int32_t>(n);
}

float ToFloat(const json& value, const std::string& strWhere) {
    if (!value.is_number())
        Fail(strWhere, "must be a number");
    const double d = value.get<double>();
    if (!std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
        Fail(strWhere, "does not fit in a single-precision real");
    return static_cast<float>(d);
}

// The series views a source may ask for, by name; the build knows their sizes.
constexpr const char* kViewNames[] = {"side-large", "side", "top", "front"};

std::vector<std::string> ParseViews(const json& value, const std::string& strWhere) {
    if (!value.is_array() || value.empty() || value.size() > 4)
        Fail(strWhere, "must be a list of 1 to 4 views");
    std::vector<std::string> views;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string strAt = strWhere + "[" + std::to_string(i) + "]";
        if (!value[i].is_string())
            Fail(strAt, "must be a view name");
        const std::string& strView = value[i].get_ref<const std::string&>();
        bool bKnown = false;
        for (const char* pszName : kViewNames)
            bKnown = bKnown || strView == pszName;
        if (!bKnown)
            Fail(strAt, "\"" + strView + "\" is not side-large, side, top or front");
        views.push_back(strView);
    }
    return views;
}

std::string JoinPath(const std::string& strBaseDir, const std::string& strName);

SourceType ParseType(const json& obj, const std::string& strWhere, const std::string& strBaseDir) {
    if (!obj.is_object())
        Fail(strWhere, "must be an object");
    SourceType type;
    for (const auto& [key, value] : obj.items()) {
        const std::string strField = strWhere + "." + key;
        if (key == "strips") {
            if (!value.is_array())
                Fail(strField, "must be an array of [integer, integer, integer]");
            for (std::size_t i = 0; i < value.size(); ++i) {
                const std::string strRow = strField + "[" + std::to_string(i) + "]";
                const json& row = value[i];
                if (!row.is_array() || row.size() != 3)
                    Fail(strRow, "must be [integer, integer, integer]");
                StripRecord strip{};
                for (int k = 0; k < 3; ++k)
                    strip.values[k] = ToInt32(row[k], strRow + "[" + std::to_string(k) + "]");
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
            if (!value.is_string() || value.get_ref<const std::string&>().empty())
                Fail(strField, "must be the name of an image file");
            type.strImage = JoinPath(strBaseDir, value.get<std::string>());
            continue;
        }
        if (key == "views") {
            type.views = ParseViews(value, strField);
            continue;
        }
        const FieldMapping* pField = nullptr;
        for (const FieldMapping& f : kFields)
            if (key == f.pszKey)
                pField = &f;
        if (!pField)
            Fail(strField, "is not a known field");
        switch (pField->kind) {
        case Kind::text:
            type.*(pField->pText) = ToCp1251(value, strField);
            break;
        case Kind::integer:
            type.record.*(pField->pInt) = ToInt32(value, strField);
            break;
        case Kind::real:
            type.record.*(pField->pReal) = ToFloat(value, strField);
            break;
        }
    }
    if (type.drawing && !type.strImage.empty())
        Fail(strWhere, "names both a picture and an image; give one");
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

SourceDatabase ParseSource(const std::string& strJsonUtf8, const std::string& strBaseDir) {
    json root;
    try {
        root = json::parse(strJsonUtf8);
    } catch (const json::parse_error& e) {
        throw CSourceError(std::string("not valid JSON: ") + e.what());
    }
    if (!root.is_object())
        Fail("source", "must be a JSON object");

    SourceDatabase db;
    db.strCardTemplate = CDatabaseFiles::kCardTemplateName;
    db.strExtraTemplate = CDatabaseFiles::kExtraTemplateName;
    if (root.contains("templates")) {
        const json& templates = root["templates"];
        if (!templates.is_object())
            Fail("templates", "must be an object");
        for (auto [pszKey, pstrPath] :
             {std::pair{"card", &db.strCardTemplate}, std::pair{"extra", &db.strExtraTemplate}}) {
            if (!templates.contains(pszKey))
                continue;
            if (!templates[pszKey].is_string())
                Fail(std::string("templates.") + pszKey, "must be a file name");
            *pstrPath = templates[pszKey].get<std::string>();
        }
    }
    db.strCardTemplate = JoinPath(strBaseDir, db.strCardTemplate);
    db.strExtraTemplate = JoinPath(strBaseDir, db.strExtraTemplate);

    if (!root.contains("tree") || !root["tree"].is_array())
        Fail("tree", "must be an array of nodes");

    // Pre-order walk with an explicit stack: the nesting is the file's to choose.
    struct Pending {
        const json* pNode;
        std::int32_t nParent;
        std::string strWhere;
    };
    std::vector<Pending> stack;
    auto pushChildren = [&stack](const json& list, std::int32_t nParent, const std::string& strAt) {
        for (std::size_t i = list.size(); i-- > 0;)
            stack.push_back({&list[i], nParent, strAt + "[" + std::to_string(i) + "]"});
    };
    pushChildren(root["tree"], -1, "tree");
    while (!stack.empty()) {
        Pending p = std::move(stack.back());
        stack.pop_back();
        const json& node = *p.pNode;
        if (!node.is_object())
            Fail(p.strWhere, "must be an object");
        if (!node.contains("caption"))
            Fail(p.strWhere, "has no caption");
        if (db.tree.size() >= static_cast<std::size_t>(INT32_MAX))
            Fail(p.strWhere, "too many tree nodes");
        for (const auto& [key, value] : node.items())
            if (key != "caption" && key != "type" && key != "children")
                Fail(p.strWhere + "." + key, "is not a known node field");
        SourceTreeNode treeNode{p.nParent, -1, ToCp1251(node["caption"], p.strWhere + ".caption")};
        if (node.contains("type")) {
            treeNode.nItem = static_cast<std::int32_t>(db.types.size());
            db.types.push_back(ParseType(node["type"], p.strWhere + ".type", strBaseDir));
        }
        const auto nSelf = static_cast<std::int32_t>(db.tree.size());
        db.tree.push_back(std::move(treeNode));
        if (node.contains("children")) {
            const json& children = node["children"];
            if (!children.is_array())
                Fail(p.strWhere + ".children", "must be an array of nodes");
            pushChildren(children, nSelf, p.strWhere + ".children");
        }
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
