// The library's schema text of a subtype, generated from its table row:
// CRLF lines; top-level members type, name, namespace, version (a number
// directly followed by a comma, found by the version scan), description and
// fields; nested records named, and a record type used again referred to by
// its name.
#pragma once

#include <string>

#include "records/record35/schema_node.h"

namespace d01ozu {

// The JSON schema text of row, whose parsed fields are root.
std::string GenerateSchemaText(const SubtypeRow& row, const SchemaNode& root);

}  // namespace d01ozu
