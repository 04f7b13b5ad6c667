// The Avro side of a subtype's decoding: the library schema alone when the
// writer's schema has the library's version, else the writer's schema
// resolved into the library's. Built at a subtype's first data record and
// rebuilt when the writer version changes.
#pragma once

#include <avro.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/diagnostics.h"
#include "records/record35/body_bound.h"

namespace d01ozu {

struct AvroDecoder {
  bool created = false;
  bool resolved = false;  // the writer schema differs in version from the library's
  int64_t writer_version = 0;
  avro_schema_t reader_schema = nullptr;
  avro_schema_t writer_schema = nullptr;  // resolved only
  avro_reader_t reader = nullptr;
  avro_value_iface_t* generic_class = nullptr;
  avro_value_t generic_value{};  // holds the datum in the library schema's shape
  avro_value_iface_t* resolver = nullptr;
  avro_value_t resolved_value{};
  avro_value_t* target = nullptr;  // the value reads go into
  // Set by the owner once per build: whether the reader schema carries the
  // field names the copy expects (a property of the schema alone).
  bool names_checked = false;
  bool names_match = false;
  BoundPlan bound_plan;  // of the written schema, made at the first read

  AvroDecoder() = default;
  AvroDecoder(const AvroDecoder&) = delete;
  AvroDecoder& operator=(const AvroDecoder&) = delete;
  ~AvroDecoder() { release(); }
  // Frees values, classes and interfaces, the reader and the schemas.
  void release();
};

// What a decoder is built from.
struct DecoderSchemas {
  const std::string* library_text;
  int64_t library_version;
  const uint8_t* writer_text;  // the last schema record's body
  size_t writer_length;
  int64_t writer_version;
};

// Reads the one datum of body into the decoder, building or rebuilding it
// for the writer version first. False with *error 19 on any failure; the
// datum is then in decoder.generic_value.
bool DecodeAvroBody(AvroDecoder& decoder, const DecoderSchemas& schemas, const uint8_t* body,
                    size_t length, uint8_t* error, const DiagnosticSink& sink);

}  // namespace d01ozu
