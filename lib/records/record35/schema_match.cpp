#include "records/record35/schema_match.h"

#include <cstring>

namespace d01ozu {

namespace {

constexpr int kDepthLimit = 64;

avro_schema_t target(avro_schema_t s) {
  return s && avro_typeof(s) == AVRO_LINK ? avro_schema_link_target(s) : s;
}

// The primitive promotions of schema resolution.
bool promotable(avro_type_t from, avro_type_t to) {
  if (from == to) return true;
  if (from == AVRO_INT32) return to == AVRO_INT64 || to == AVRO_FLOAT || to == AVRO_DOUBLE;
  if (from == AVRO_INT64) return to == AVRO_FLOAT || to == AVRO_DOUBLE;
  return from == AVRO_FLOAT && to == AVRO_DOUBLE;
}

bool resolvable(avro_schema_t writer, avro_schema_t reader, int depth);

// The field of record named name, or nullptr. (The library's lookup by name
// does not report a missing name.)
avro_schema_t field_named(avro_schema_t record, const char* name) {
  const size_t n = avro_schema_record_size(record);
  for (size_t i = 0; i < n; ++i) {
    const char* field = avro_schema_record_field_name(record, static_cast<int>(i));
    if (field && std::strcmp(field, name) == 0)
      return avro_schema_record_field_get_by_index(record, static_cast<int>(i));
  }
  return nullptr;
}

bool records_resolvable(avro_schema_t writer, avro_schema_t reader, int depth) {
  const char* wname = avro_schema_name(writer);
  const char* rname = avro_schema_name(reader);
  if (!wname || !rname || std::strcmp(wname, rname) != 0) return false;
  const size_t n = avro_schema_record_size(reader);
  for (size_t i = 0; i < n; ++i) {
    const int index = static_cast<int>(i);
    const char* name = avro_schema_record_field_name(reader, index);
    avro_schema_t wfield = field_named(writer, name);
    if (!wfield || !resolvable(wfield, avro_schema_record_field_get_by_index(reader, index), depth))
      return false;
  }
  return true;
}

bool resolvable(avro_schema_t writer, avro_schema_t reader, int depth) {
  writer = target(writer);
  reader = target(reader);
  if (!writer || !reader || ++depth > kDepthLimit) return false;
  const avro_type_t w = avro_typeof(writer), r = avro_typeof(reader);
  switch (r) {
    case AVRO_RECORD:
      return w == AVRO_RECORD && records_resolvable(writer, reader, depth);
    case AVRO_ARRAY:
      return w == AVRO_ARRAY &&
             resolvable(avro_schema_array_items(writer), avro_schema_array_items(reader), depth);
    case AVRO_INT32:
    case AVRO_INT64:
    case AVRO_FLOAT:
    case AVRO_DOUBLE:
      return promotable(w, r);
    case AVRO_BOOLEAN:
    case AVRO_BYTES:
    case AVRO_STRING:
      return w == r;
    default:
      return false;  // no library schema uses the other kinds
  }
}

}  // namespace

bool SchemasResolvable(avro_schema_t writer, avro_schema_t reader) {
  return resolvable(writer, reader, 0);
}

}  // namespace d01ozu
