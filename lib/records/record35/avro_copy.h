// Copies a decoded Avro value into the intermediate structure, field by
// field by index with the field name checked against the library schema.
#pragma once

#include <avro.h>

#include "core/diagnostics.h"
#include "records/record35/value_tree.h"

namespace d01ozu {

// Which fields of a flattened subtype's top record a copy takes.
enum class CopyPass : uint8_t {
  kAll,          // every field, each array reserved to its decoded size
  kCountsOnly,   // first pass: only the count fields
  kColumnsKept,  // second pass: columns fill what the first pass reserved
};

// The field of record at index, checked to be named expected; false with
// error 19 (and a diagnostic) otherwise.
bool GetField(avro_value_t* record, size_t index, const char* expected, avro_value_t* field,
              uint8_t* error, const DiagnosticSink& sink);
// The element count of an array value; path (the field name) names it in
// the diagnostic.
bool GetArraySize(avro_value_t* array, const char* path, size_t* size, uint8_t* error,
                  const DiagnosticSink& sink);
// The bytes of a bytes value.
bool GetBytes(avro_value_t* value, const char* path, const void** data, size_t* size,
              uint8_t* error, const DiagnosticSink& sink);

// True when every record of reader (the schema the generic value was made
// from) has, at each index the copy fetches, the field name root expects.
// The names depend on the schema alone, so a decoder checks them once.
bool ReaderNamesMatch(const SchemaNode& root, avro_schema_t reader);

// Copies the top record src (schema root) into dst. names_match: the result
// of ReaderNamesMatch for src's schema; when false every field fetched has
// its name checked (and a mismatch reported) as GetField does.
bool CopyAvroRecord(const SchemaNode& root, avro_value_t* src, Value* dst, CopyPass pass,
                    bool names_match, uint8_t* error, const DiagnosticSink& sink);

}  // namespace d01ozu
