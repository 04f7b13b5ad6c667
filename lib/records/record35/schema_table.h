// The record-35 subtypes the library decodes, one row each: the library's
// schema (version, description and field list, from which the schema text
// is generated), whether its longs are delta-coded and how each is predicted.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

constexpr int kRec35SubtypeCount = 44;

struct SubtypeRow {
  uint32_t subtype;
  int version;
  const char* description;
  bool delta_coded;
  // Fields in schema order: "name: type; ...". Types: long, int, float,
  // double, boolean, bytes, string, array<T>, a record as its name followed
  // by its fields in braces, or the bare name of a record defined earlier.
  const char* fields;
  // Delta-coded subtypes: long fields (at any depth, arrays by element) that
  // continue linearly (method 1), and long fields never delta-coded; every
  // other long field is predicted by the previous value (method 0).
  const char* linear;
  const char* plain;
  // Flattened subtypes: "count:prefix ...": the array<long> columns whose
  // names start with prefix hold count entries (the sum of count when count
  // is itself an array). The count fields are delta-decoded in a first pass.
  const char* columns;
};

// The table, in subtype order.
const SubtypeRow* subtype_rows();

// Index of subtype in the table, or -1 when the library does not know it.
int subtype_index(uint64_t subtype);

}  // namespace d01ozu
