#include "records/record35/subtype_decoder.h"

#include <new>

#include "core/diagnostics.h"
#include "records/record35/avro_copy.h"
#include "records/record35/delta.h"
#include "records/record35/schema_version.h"
#include "records/record35/subtype_state.h"

namespace d01ozu {

namespace {

constexpr uint64_t kSchemaRecord = 0;
constexpr uint64_t kKeyRecord = 1;

void load_writer_schema(SubtypeState& s, Record35Content& content, const ByteBuffer& body,
                        uint8_t* error, const DiagnosticSink& sink) {
  if (!content.body_copy.assign(body.data, body.length) ||
      !s.writer_text.assign(body.data, body.length)) {
    *error = kRec35NoMemory;
    return;
  }
  int64_t version = 0;
  if (!get_avro_schema_version(body.data, body.length, &version, error, sink)) {
    diagnostic(sink, "Failed get_avro_schema_version() rec35_sub%u err = %d\n",
               s.schema.row->subtype, *error);
    return;
  }
  s.writer_version = version;
  s.writer_loaded = true;
  const auto* text = reinterpret_cast<const uint8_t*>(s.schema.text.data());
  if (!get_avro_schema_version(text, s.schema.text.size(), &s.library_version, error, sink)) {
    diagnostic(sink, "Failed get_avro_schema_version() of library schema = %d\n", *error);
    return;
  }
  if (s.writer_version > s.library_version)
    diagnostic(sink,
               "For Record 35 Subtype %u: d01ozu schema version = %lld, t04 file schema version = "
               "%lld. Upgrade your t01 library.\n",
               s.schema.row->subtype, static_cast<long long>(s.library_version),
               static_cast<long long>(s.writer_version));
}

// Delta-coded subtypes take a delta record only after a key record.
bool key_rule(SubtypeState& s, bool key, uint8_t* error) {
  if (!s.schema.row->delta_coded) return true;
  if (s.await_key && !key) {
    *error = kRec35KeyAwaited;
    return false;
  }
  if (key) s.await_key = false;
  return true;
}

// The entries a flattened column holds: its count field's value, or the sum
// of its count array.
uint64_t column_count(const Value& count) {
  if (count.items.length == 0) return static_cast<uint64_t>(count.l);
  uint64_t sum = 0;
  for (uint64_t i = 0; i < count.items.length; ++i)
    sum += static_cast<uint64_t>(count.items.d[i].l);
  return sum;
}

// Reserves every column to its count. No column can hold more entries than
// the body has bytes, so a larger count is refused before any allocation.
bool reserve_columns(SubtypeState& s, size_t body_length, uint8_t* error) {
  const SchemaNode& root = s.schema.root;
  Value& top = s.intermediate.root;
  for (size_t i = 0; i < root.children.size(); ++i) {
    if (root.children[i].count_field < 0) continue;
    const uint64_t n = column_count(top.items.d[root.children[i].count_field]);
    if (n > body_length) {
      *error = kRec35ArrayOverrun;
      return false;
    }
    if (!top.items.d[i].items.reserve(n, error)) return false;
  }
  return true;
}

// The field names of the reader schema, checked once per decoder build.
bool reader_names_match(SubtypeState& s) {
  AvroDecoder& d = s.decoder;
  if (!d.names_checked) {
    d.names_match = ReaderNamesMatch(s.schema.root, d.reader_schema);
    d.names_checked = true;
  }
  return d.names_match;
}

// Copy and delta steps; the flattened subtypes take their counts first.
bool copy_and_predict(SubtypeState& s, size_t body_length, bool key, uint8_t* error,
                      const DiagnosticSink& sink) {
  avro_value_t* datum = &s.decoder.generic_value;
  const SchemaNode& root = s.schema.root;
  Value* top = &s.intermediate.root;
  const bool names = reader_names_match(s);
  if (!s.schema.flattened) {
    if (!CopyAvroRecord(root, datum, top, CopyPass::kAll, names, error, sink)) return false;
    if (!key_rule(s, key, error)) return false;
    DeltaDecode(root, top, key, DeltaFields::kAll, sink);
    return true;
  }
  if (!CopyAvroRecord(root, datum, top, CopyPass::kCountsOnly, names, error, sink)) return false;
  if (!key_rule(s, key, error)) return false;
  DeltaDecode(root, top, key, DeltaFields::kCountsOnly, sink);
  if (!reserve_columns(s, body_length, error)) return false;
  if (!CopyAvroRecord(root, datum, top, CopyPass::kColumnsKept, names, error, sink)) return false;
  DeltaDecode(root, top, key, DeltaFields::kAllButCounts, sink);
  return true;
}

bool no_memory(uint8_t* error) {
  *error = kRec35NoMemory;
  return false;
}

// Makes *slot on first use; false (error 17) when it cannot be had.
template <typename T>
bool ensure(std::unique_ptr<T>& slot, uint8_t* error) {
  if (!slot) slot.reset(new (std::nothrow) T());
  return slot ? true : no_memory(error);
}

// The subtype's native structure in the content store, made on first use.
bool build_native(const SubtypeState& s, Record35Content& content, int index, uint8_t* error) {
  const IntermediateRecord& in = s.intermediate;
  switch (s.schema.row->subtype) {
    case 19:
      return ensure(content.sub19, error) && BuildSub19Native(in, content.sub19.get(), error);
    case 9:
      return ensure(content.sub9, error) && BuildSub9Native(in, content.sub9.get(), error);
    case 260:
      return ensure(content.sub260, error) && BuildSub260Native(in, content.sub260.get(), error);
    default: {
      std::unique_ptr<IntermediateRecord>& slot = content.native[index];
      if (!ensure(slot, error)) return false;
      slot->version = in.version;
      return copy_value_tree(s.schema.root, in.root, &slot->root, error);
    }
  }
}

void decode_data(SubtypeState& s, Record35Content& content, const ByteBuffer& body, int index,
                 uint8_t* error, const DiagnosticSink& sink) {
  if (!s.writer_loaded) {
    diagnostic(sink, "Writer schema is not loaded. Cannot decode record.\n");
    *error = kRec35DecodeFailed;
    return;
  }
  const DecoderSchemas schemas{&s.schema.text, s.library_version, s.writer_text.data,
                               s.writer_text.length, s.writer_version};
  if (!DecodeAvroBody(s.decoder, schemas, body.data, body.length, error, sink)) return;
  if (!copy_and_predict(s, body.length, content.subsubtype == kKeyRecord, error, sink)) return;
  s.intermediate.version = s.writer_version;
  if (!check_array_lengths(s.schema.root, s.intermediate.root, error)) return;
  build_native(s, content, index, error);
}

}  // namespace

void DecodeSubtype(Record35Assembly& a, Record35Content& content, int index, uint8_t* error) {
  SubtypeStatePtr& state = a.states[index];
  if (!state) state.reset(CreateSubtypeState(index));
  if (!state) {
    *error = kRec35NoMemory;
    return;
  }
  if (content.subsubtype == kSchemaRecord)
    load_writer_schema(*state, content, a.body, error, Record35Sink(a));
  else
    decode_data(*state, content, a.body, index, error, Record35Sink(a));
}

}  // namespace d01ozu
