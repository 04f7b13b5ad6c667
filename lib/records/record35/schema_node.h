// A subtype's schema as a tree, parsed from its row of the subtype table.
// The decoder walks it to copy, delta-decode and check decoded values; the
// schema text handed to the Avro parser is generated from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "records/record35/schema_table.h"

namespace d01ozu {

enum class SchemaKind : uint8_t {
  kLong,
  kInt,
  kFloat,
  kDouble,
  kBoolean,
  kBytes,
  kString,
  kArray,
  kRecord,
};

struct SchemaNode {
  SchemaKind kind = SchemaKind::kLong;
  std::string name;                  // field name; empty for array items and the top record
  std::string type_name;             // records: the named type
  bool reference = false;            // a record type named a second time
  int8_t method = -1;                // longs: prediction method, -1 when not delta-coded
  bool is_count = false;             // flattened subtypes: a count field (first pass)
  int count_field = -1;              // flattened columns: index of the field holding the count
  std::vector<SchemaNode> children;  // record fields, or the one array item
};

struct SubtypeSchema {
  const SubtypeRow* row = nullptr;
  SchemaNode root;   // the top record, named rec35_subN
  std::string text;  // the generated schema text (CRLF lines)
  bool flattened = false;
};

// Parses row into schema (tree and text); false when the row is malformed.
bool BuildSubtypeSchema(const SubtypeRow& row, SubtypeSchema* schema);

}  // namespace d01ozu
