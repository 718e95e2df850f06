#pragma once

// The JSON Schema of the source format (sample/aircraft.schema.json), built
// into the program so an installed tool checks against the schema it was
// built with, wherever the source tree went.
const char* SourceSchemaText();
