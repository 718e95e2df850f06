#pragma once

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

// A validator for the part of JSON Schema the source schema uses: type,
// properties, required, additionalProperties (false), items, enum,
// minimum/maximum, minLength, minItems/maxItems and $ref to #/$defs/NAME.
// The schema is the program's own; the document is not, so the walk keeps
// its pending checks on an explicit stack whatever the document's nesting.
class CJsonSchema {
public:
    // Throws std::invalid_argument for a schema that is not an object.
    explicit CJsonSchema(nlohmann::json schema);

    // Throws CSchemaError naming the first place that breaks the schema, in
    // the source's notation (tree[2].children[0].type.crew), before its
    // message.
    void Validate(const nlohmann::json& document, const std::string& strRoot) const;

private:
    const nlohmann::json& Resolve(const nlohmann::json& schema) const;

    nlohmann::json m_schema;
};

class CSchemaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
