#include "records/record35/avro_decoder.h"

#include "core/diagnostics.h"
#include "records/record35/dyn_array.h"
#include "records/record35/schema_match.h"
#include "records/record35/schema_names.h"

namespace d01ozu {

namespace {

bool fail(AvroDecoder& decoder, const char* message, uint8_t* error, const DiagnosticSink& sink) {
  diagnostic(sink, "%s", message);
  decoder.release();
  *error = kRec35DecodeFailed;
  return false;
}

// Parses a schema text; the length handed on counts the terminating NUL.
bool parse_schema(const char* text, size_t length, avro_schema_t* schema) {
  return avro_schema_from_json(text, static_cast<int32_t>(length + 1), schema, nullptr) == 0;
}

// A generic class and value of the library schema.
bool make_generic(AvroDecoder& d, uint8_t* error, const DiagnosticSink& sink) {
  d.generic_class = avro_generic_class_from_schema(d.reader_schema);
  if (!d.generic_class) return fail(d, "Could not create reader class\n", error, sink);
  if (avro_generic_value_new(d.generic_class, &d.generic_value) != 0) {
    d.generic_value.iface = nullptr;
    return fail(d, "Error creating instance of record\n", error, sink);
  }
  return true;
}

bool build_matched(AvroDecoder& d, const DecoderSchemas& s, uint8_t* error,
                   const DiagnosticSink& sink) {
  if (!parse_schema(s.library_text->c_str(), s.library_text->size(), &d.reader_schema))
    return fail(d, "Unable to parse schema\n", error, sink);
  if (!make_generic(d, error, sink)) return false;
  d.target = &d.generic_value;
  return true;
}

bool build_resolved(AvroDecoder& d, const DecoderSchemas& s, uint8_t* error,
                    const DiagnosticSink& sink) {
  if (!parse_schema(s.library_text->c_str(), s.library_text->size(), &d.reader_schema))
    return fail(d, "Unable to parse reader schema\n", error, sink);
  std::string writer(reinterpret_cast<const char*>(s.writer_text), s.writer_length);
  if (!NamedTypesDefinedOnce(s.writer_text, s.writer_length) ||
      !parse_schema(writer.c_str(), writer.size(), &d.writer_schema))
    return fail(d, "Unable to parse writer schema\n", error, sink);
  if (SchemasResolvable(d.writer_schema, d.reader_schema))
    d.resolver = avro_resolved_writer_new(d.writer_schema, d.reader_schema);
  if (!d.resolver) return fail(d, "Could not create resolver\n", error, sink);
  if (avro_resolved_writer_new_value(d.resolver, &d.resolved_value) != 0) {
    d.resolved_value.iface = nullptr;
    return fail(d, "Could not create resolved record.\n", error, sink);
  }
  if (!make_generic(d, error, sink)) return false;
  avro_resolved_writer_set_dest(&d.resolved_value, &d.generic_value);
  d.resolved = true;
  d.target = &d.resolved_value;
  return true;
}

// Points the reader at exactly the body, after checking that what the body
// declares fits in it. A decoder that fails its first read is released.
bool read_datum(AvroDecoder& d, const uint8_t* body, size_t length, bool first, uint8_t* error,
                const DiagnosticSink& sink) {
  if (d.bound_plan.nodes.empty())
    CompileBoundPlan(d.resolved ? d.writer_schema : d.reader_schema, &d.bound_plan);
  if (!BodyFitsPlan(d.bound_plan, body, length)) {
    diagnostic(sink, "Record body does not fit its schema.\n");
    *error = kRec35DecodeFailed;
    return false;
  }
  const char* data = reinterpret_cast<const char*>(body);
  if (!d.reader)
    d.reader = avro_reader_memory(data, static_cast<int64_t>(length));
  else
    avro_reader_memory_set_source(d.reader, data, static_cast<int64_t>(length));
  if (!d.reader) return fail(d, "Error creating avro reader\n", error, sink);
  if (avro_value_read(d.reader, d.target) != 0) {
    diagnostic(sink,
               first && !d.resolved ? "Error reading matched record. Error = %s\n"
                                    : "Error reading resolved record. Error = %s\n",
               avro_strerror());
    if (first) d.release();
    *error = kRec35DecodeFailed;
    return false;
  }
  return true;
}

}  // namespace

void AvroDecoder::release() {
  if (resolved_value.iface) avro_value_decref(&resolved_value);
  if (generic_value.iface) avro_value_decref(&generic_value);
  resolved_value.iface = generic_value.iface = nullptr;
  if (resolver) avro_value_iface_decref(resolver);
  if (generic_class) avro_value_iface_decref(generic_class);
  resolver = generic_class = nullptr;
  if (reader) avro_reader_free(reader);
  reader = nullptr;
  if (writer_schema) avro_schema_decref(writer_schema);
  if (reader_schema) avro_schema_decref(reader_schema);
  writer_schema = reader_schema = nullptr;
  created = resolved = false;
  names_checked = names_match = false;
  bound_plan.nodes.clear();
  bound_plan.children.clear();
  target = nullptr;
}

bool DecodeAvroBody(AvroDecoder& d, const DecoderSchemas& s, const uint8_t* body, size_t length,
                    uint8_t* error, const DiagnosticSink& sink) {
  if (d.created && d.writer_version != s.writer_version) d.release();
  const bool first = !d.created;
  if (first) {
    const bool built = s.writer_version == s.library_version ? build_matched(d, s, error, sink)
                                                             : build_resolved(d, s, error, sink);
    if (!built) return false;
    d.created = true;
    d.writer_version = s.writer_version;
  }
  return read_datum(d, body, length, first, error, sink);
}

}  // namespace d01ozu
