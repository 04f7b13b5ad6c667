#include "records/record35/avro_copy.h"

#include <cstring>

#include "core/diagnostics.h"

namespace d01ozu {

namespace {

bool fail(uint8_t* error) {
  *error = kRec35DecodeFailed;
  return false;
}

// What every step of one copy shares.
struct CopyContext {
  bool names_match;  // the reader schema is known to carry the expected names
  uint8_t* error;
  const DiagnosticSink& sink;
};

bool copy_value(const SchemaNode& node, avro_value_t* src, Value* dst, const char* path,
                const CopyContext& c);

void field_fetch_failed(size_t index, const char* expected, const DiagnosticSink& sink) {
  diagnostic(sink, "Cannot get field index %lld name %s:\n %s\n", static_cast<long long>(index),
             expected, avro_strerror());
}

// The field f of record at index; its name is compared only when the
// reader schema has not been found to match already.
bool field_at(avro_value_t* record, size_t index, const SchemaNode& f, avro_value_t* field,
              const CopyContext& c) {
  if (!c.names_match) return GetField(record, index, f.name.c_str(), field, c.error, c.sink);
  if (avro_value_get_by_index(record, index, field, nullptr) == 0) return true;
  field_fetch_failed(index, f.name.c_str(), c.sink);
  return fail(c.error);
}

// Scalars by their getters; float and double both land in d.
bool copy_scalar(const SchemaNode& node, avro_value_t* src, Value* dst) {
  int32_t i = 0;
  float f = 0;
  switch (node.kind) {
    case SchemaKind::kLong:
      return avro_value_get_long(src, &dst->l) == 0;
    case SchemaKind::kInt:
      if (avro_value_get_int(src, &i) != 0) return false;
      dst->l = i;
      return true;
    case SchemaKind::kBoolean:
      if (avro_value_get_boolean(src, &i) != 0) return false;
      dst->l = i;
      return true;
    case SchemaKind::kFloat:
      if (avro_value_get_float(src, &f) != 0) return false;
      dst->d = f;
      return true;
    default:
      return avro_value_get_double(src, &dst->d) == 0;
  }
}

bool copy_bytes(avro_value_t* src, Value* dst, const char* path, const CopyContext& c) {
  const void* data = nullptr;
  size_t size = 0;
  if (!GetBytes(src, path, &data, &size, c.error, c.sink)) return false;
  if (!dst->bytes.reserve(size, c.error)) return false;
  if (size) std::memcpy(dst->bytes.d, data, size);
  dst->bytes.length = size;
  return true;
}

// The n first elements of an array of long: the common case, without the
// per-element dispatch on the item kind.
bool copy_longs(avro_value_t* src, Value* dst, size_t n, uint8_t* error) {
  for (size_t j = 0; j < n; ++j) {
    avro_value_t element;
    if (avro_value_get_by_index(src, j, &element, nullptr) != 0 ||
        avro_value_get_long(&element, &dst[j].l) != 0)
      return fail(error);
  }
  return true;
}

// Elements by index; kept: fill the room already reserved, so a longer
// array is left longer than its capacity for the length check to refuse.
bool copy_array(const SchemaNode& node, avro_value_t* src, Value* dst, const char* path, bool kept,
                const CopyContext& c) {
  size_t size = 0;
  if (!GetArraySize(src, path, &size, c.error, c.sink)) return false;
  if (!kept && !dst->items.reserve(size, c.error)) return false;
  dst->items.length = size;
  const size_t n = size < dst->items.capacity ? size : dst->items.capacity;
  const SchemaNode& item = node.children[0];
  if (item.kind == SchemaKind::kLong) return copy_longs(src, dst->items.d, n, c.error);
  for (size_t j = 0; j < n; ++j) {
    avro_value_t element;
    if (avro_value_get_by_index(src, j, &element, nullptr) != 0) return fail(c.error);
    if (!copy_value(item, &element, &dst->items.d[j], path, c)) return false;
  }
  return true;
}

bool copy_fields(const SchemaNode& node, avro_value_t* src, Value* dst, const CopyContext& c) {
  if (!dst->items.reserve(node.children.size(), c.error)) return false;
  dst->items.length = node.children.size();
  for (size_t i = 0; i < node.children.size(); ++i) {
    const SchemaNode& f = node.children[i];
    avro_value_t field;
    if (!field_at(src, i, f, &field, c)) return false;
    if (!copy_value(f, &field, &dst->items.d[i], f.name.c_str(), c)) return false;
  }
  return true;
}

bool copy_value(const SchemaNode& node, avro_value_t* src, Value* dst, const char* path,
                const CopyContext& c) {
  switch (node.kind) {
    case SchemaKind::kRecord:
      return copy_fields(node, src, dst, c);
    case SchemaKind::kArray:
      return copy_array(node, src, dst, path, false, c);
    case SchemaKind::kBytes:
    case SchemaKind::kString:
      return copy_bytes(src, dst, path, c);
    default:
      return copy_scalar(node, src, dst) || fail(c.error);
  }
}

// A named type used again is a link to its first definition.
avro_schema_t resolved(avro_schema_t schema) {
  while (schema && is_avro_link(schema)) schema = avro_schema_link_target(schema);
  return schema;
}

bool names_match(const SchemaNode& node, avro_schema_t schema) {
  schema = resolved(schema);
  if (!schema) return false;
  if (node.kind == SchemaKind::kArray)
    return is_avro_array(schema) && names_match(node.children[0], avro_schema_array_items(schema));
  if (node.kind != SchemaKind::kRecord) return true;
  if (!is_avro_record(schema) || avro_schema_record_size(schema) < node.children.size())
    return false;
  for (size_t i = 0; i < node.children.size(); ++i) {
    const int index = static_cast<int>(i);
    const char* name = avro_schema_record_field_name(schema, index);
    if (!name || node.children[i].name != name ||
        !names_match(node.children[i], avro_schema_record_field_get_by_index(schema, index)))
      return false;
  }
  return true;
}

}  // namespace

bool GetField(avro_value_t* record, size_t index, const char* expected, avro_value_t* field,
              uint8_t* error, const DiagnosticSink& sink) {
  const char* name = nullptr;
  if (avro_value_get_by_index(record, index, field, &name) != 0) {
    field_fetch_failed(index, expected, sink);
    return fail(error);
  }
  if (name == nullptr || std::strcmp(name, expected) != 0) {
    diagnostic(sink, "Desired name = %s. Obtained name = %s. Fail. \n", expected, name ? name : "");
    return fail(error);
  }
  return true;
}

bool GetArraySize(avro_value_t* array, const char* path, size_t* size, uint8_t* error,
                  const DiagnosticSink& sink) {
  if (avro_value_get_size(array, size) != 0) {
    diagnostic(sink, "Could not get array %s[] size: %s\n", path, avro_strerror());
    return fail(error);
  }
  return true;
}

bool GetBytes(avro_value_t* value, const char* path, const void** data, size_t* size,
              uint8_t* error, const DiagnosticSink& sink) {
  const avro_type_t type = avro_value_get_type(value);
  const int rc = type == AVRO_STRING
                     ? avro_value_get_string(value, reinterpret_cast<const char**>(data), size)
                     : avro_value_get_bytes(value, data, size);
  if (rc != 0) {
    diagnostic(sink, "Could not get bytes %s length: %s\n", path, avro_strerror());
    return fail(error);
  }
  if (type == AVRO_STRING && *size > 0) --*size;  // the terminator is not data
  return true;
}

bool ReaderNamesMatch(const SchemaNode& root, avro_schema_t reader) {
  return names_match(root, reader);
}

bool CopyAvroRecord(const SchemaNode& root, avro_value_t* src, Value* dst, CopyPass pass,
                    bool names_match, uint8_t* error, const DiagnosticSink& sink) {
  const CopyContext c{names_match, error, sink};
  if (!dst->items.reserve(root.children.size(), error)) return false;
  dst->items.length = root.children.size();
  for (size_t i = 0; i < root.children.size(); ++i) {
    const SchemaNode& f = root.children[i];
    if (pass == CopyPass::kCountsOnly && !f.is_count) continue;
    if (pass == CopyPass::kColumnsKept && f.is_count) continue;
    avro_value_t field;
    if (!field_at(src, i, f, &field, c)) return false;
    const bool kept = pass == CopyPass::kColumnsKept && f.count_field >= 0;
    const bool ok = f.kind == SchemaKind::kArray
                        ? copy_array(f, &field, &dst->items.d[i], f.name.c_str(), kept, c)
                        : copy_value(f, &field, &dst->items.d[i], f.name.c_str(), c);
    if (!ok) return false;
  }
  return true;
}

}  // namespace d01ozu
