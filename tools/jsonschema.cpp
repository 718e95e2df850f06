#include "tools/jsonschema.h"

#include "tools/jsonplace.h"

#include <cmath>
#include <sstream>
#include <vector>

using nlohmann::json;

namespace {

// A $ref may lead to another $ref; the schema is ours, so a longer chain is
// a mistake in it rather than something a document can cause.
constexpr int kMaxRefChain = 8;

[[noreturn]] void Fail(const std::string& strWhere, const std::string& strWhat) {
    throw CSchemaError(strWhere + ": " + strWhat);
}

std::string Describe(const std::string& strType) {
    if (strType == "string")
        return "must be a text";
    if (strType == "integer")
        return "must be an integer";
    if (strType == "number")
        return "must be a number";
    if (strType == "object")
        return "must be an object";
    if (strType == "array")
        return "must be an array";
    return "must be of type " + strType;
}

bool HasType(const json& value, const std::string& strType) {
    if (strType == "string")
        return value.is_string();
    if (strType == "integer")
        return value.is_number_integer();
    if (strType == "number")
        return value.is_number();
    if (strType == "object")
        return value.is_object();
    if (strType == "array")
        return value.is_array();
    if (strType == "boolean")
        return value.is_boolean();
    return strType == "null" && value.is_null();
}

std::string Number(const json& bound) {
    std::ostringstream out;
    out << bound.get<double>();
    return out.str();
}

// Integers are compared exactly, so 2147483648 is above 2147483647 and no
// 64-bit value wraps.
__int128 Wide(const json& n) {
    return n.is_number_unsigned() ? static_cast<__int128>(n.get<std::uint64_t>())
                                  : static_cast<__int128>(n.get<std::int64_t>());
}

bool Below(const json& value, const json& bound) {
    if (value.is_number_integer() && bound.is_number_integer())
        return Wide(value) < Wide(bound);
    return !(value.get<double>() >= bound.get<double>());
}

bool Above(const json& value, const json& bound) {
    if (value.is_number_integer() && bound.is_number_integer())
        return Wide(value) > Wide(bound);
    return !(value.get<double>() <= bound.get<double>());
}

std::string EnumList(const json& values) {
    std::string s;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            s += i + 1 == values.size() ? " or " : ", ";
        s += values[i].is_string() ? values[i].get<std::string>() : values[i].dump();
    }
    return s;
}

} // namespace

CJsonSchema::CJsonSchema(json schema) : m_schema(std::move(schema)) {
    if (!m_schema.is_object())
        throw std::invalid_argument("a schema must be a JSON object");
}

const json& CJsonSchema::Resolve(const json& schema) const {
    const json* p = &schema;
    for (int i = 0; p->is_object() && p->contains("$ref"); ++i) {
        if (i == kMaxRefChain)
            throw std::invalid_argument("schema: $ref chain too long");
        const std::string strRef = (*p)["$ref"].get<std::string>();
        const std::string kPrefix = "#/$defs/";
        if (strRef.rfind(kPrefix, 0) != 0 || !m_schema.contains("$defs") ||
            !m_schema["$defs"].contains(strRef.substr(kPrefix.size())))
            throw std::invalid_argument("schema: unresolved $ref " + strRef);
        p = &m_schema["$defs"][strRef.substr(kPrefix.size())];
    }
    return *p;
}

void CJsonSchema::Validate(const json& document, const std::string& strRoot) const {
    // Each place is its parent's place plus one step; the whole name is
    // spelt out only for an error, so a deep document costs linear time.
    CJsonPlaces places;
    const std::size_t nRoot = places.Add(CJsonPlaces::kNone, strRoot);
    const auto placeOf = [&places](std::size_t nStep) { return places.Spell(nStep); };
    struct Pending {
        const json* pSchema;
        const json* pValue;
        std::size_t nStep;
    };
    // Children are pushed in reverse, so the first error in document order
    // is the one reported.
    std::vector<Pending> stack{{&m_schema, &document, nRoot}};
    while (!stack.empty()) {
        const Pending p = stack.back();
        stack.pop_back();
        const json& schema = Resolve(*p.pSchema);
        const json& value = *p.pValue;
        const auto where = [&] { return placeOf(p.nStep); };
        if (schema.contains("enum")) {
            bool bFound = false;
            for (const json& option : schema["enum"])
                bFound = bFound || option == value;
            if (!bFound)
                Fail(where(),
                     (value.is_string() ? "\"" + value.get<std::string>() + "\"" : value.dump()) +
                         " is not " + EnumList(schema["enum"]));
        }
        if (schema.contains("type")) {
            const std::string strType = schema["type"].get<std::string>();
            if (!HasType(value, strType))
                Fail(where(), Describe(strType));
        }
        if (value.is_number()) {
            const bool bLow = schema.contains("minimum") && Below(value, schema["minimum"]);
            const bool bHigh = schema.contains("maximum") && Above(value, schema["maximum"]);
            if (bLow || bHigh) {
                const std::string strLow =
                    schema.contains("minimum") ? Number(schema["minimum"]) : "";
                const std::string strHigh =
                    schema.contains("maximum") ? Number(schema["maximum"]) : "";
                Fail(where(), "does not fit in [" + strLow + ", " + strHigh + "]");
            }
        }
        if (value.is_string() && schema.contains("minLength") &&
            value.get_ref<const std::string&>().size() < schema["minLength"].get<std::size_t>())
            Fail(where(), "must not be empty");
        if (value.is_array()) {
            const std::size_t nMin = schema.value("minItems", std::size_t{0});
            const std::size_t nMax = schema.value("maxItems", SIZE_MAX);
            if (value.size() < nMin || value.size() > nMax)
                Fail(where(), nMin == nMax ? "must have " + std::to_string(nMin) + " entries"
                              : nMax == SIZE_MAX
                                  ? "must have at least " + std::to_string(nMin) + " entries"
                                  : "must have " + std::to_string(nMin) + " to " +
                                        std::to_string(nMax) + " entries");
            if (schema.contains("items"))
                for (std::size_t i = value.size(); i-- > 0;) {
                    stack.push_back({&schema["items"], &value[i],
                                     places.Add(p.nStep, "[" + std::to_string(i) + "]")});
                }
        }
        if (value.is_object()) {
            if (schema.contains("required"))
                for (const json& key : schema["required"])
                    if (!value.contains(key.get<std::string>()))
                        Fail(where().empty() ? "source" : where(),
                             "has no " + key.get<std::string>());
            const json* pProps = schema.contains("properties") ? &schema["properties"] : nullptr;
            const bool bClosed = schema.value("additionalProperties", true) == false;
            std::vector<Pending> members;
            for (auto it = value.begin(); it != value.end(); ++it) {
                if (pProps && pProps->contains(it.key())) {
                    members.push_back(
                        {&(*pProps)[it.key()], &it.value(), places.Add(p.nStep, "." + it.key())});
                } else if (bClosed) {
                    const std::string strAt = where();
                    Fail(strAt.empty() ? it.key() : strAt + "." + it.key(), "is not a known field");
                }
            }
            stack.insert(stack.end(), members.rbegin(), members.rend());
        }
    }
}
