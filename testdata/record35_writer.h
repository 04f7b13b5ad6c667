// Writers of record-35 test data: pages of a structured record, T04 files
// made of them, and Avro bodies written by the Avro library itself from a
// writer schema and a readable description of the values.
#pragma once

#include <avro.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

// An unsigned little-endian base-128 number.
Bytes varint(uint64_t v);

// One record-35 page: a type-35 frame whose byte 3 carries the page code in
// bits 4 and 5, then subtype and subsubtype as varints and the body part.
Bytes record35_page(uint8_t page_code, uint64_t subtype, uint64_t subsubtype, const Bytes& part);

// The pages of one record: a single page (code 0) when the body fits in
// part_size bytes, else first, middle and last pages.
std::vector<Bytes> record35_pages(uint64_t subtype, uint64_t subsubtype, const Bytes& body,
                                  size_t part_size = 1000);

// A T04 file: a header block, then the frames in one block of kind.
Bytes t04_file(const std::vector<Bytes>& frames, uint8_t kind = 2);

// Bytes of a text (a schema record's body).
Bytes text_bytes(const std::string& text);

// A writer schema text in the form the receiver writes: a record named name
// in the library namespace with a "version" member, fields given as (name,
// JSON type) pairs.
std::string writer_schema(const std::string& name, int version,
                          const std::vector<std::pair<std::string, std::string>>& fields);

// The Avro binary datum of schema_json whose value fill sets; empty when the
// schema does not parse or the value cannot be written.
Bytes avro_body(const std::string& schema_json, const std::function<void(avro_value_t*)>& fill);

// Setters for fill functions: the field name of record, appended array
// elements, scalars.
avro_value_t field(avro_value_t* record, const char* name);
avro_value_t append_element(avro_value_t* array);
void set_long(avro_value_t* record, const char* name, int64_t v);
void set_longs(avro_value_t* record, const char* name, const std::vector<int64_t>& values);

// The receiver's side of delta coding, kept apart from the library's: key
// records carry values, delta records their differences from the prediction
// of method 0 (previous value) or 1 (linear from the last two). Prediction
// arrays follow the value arrays' lengths; elements added start from zero.
class DeltaCoder {
 public:
  // Codes the values of field (one for a scalar); method -1 leaves them.
  std::vector<int64_t> code(const std::string& field, const std::vector<int64_t>& values,
                            int method, bool key);

 private:
  struct State {
    std::vector<int64_t> predictor, last;
  };
  std::map<std::string, State> states_;
};

// Fills every field of value with a made-up value: longs count up from
// seed, doubles and floats likewise, arrays get two elements, bytes and
// strings two bytes.
void fill_sample(avro_value_t* value, int64_t seed);

// fill_sample, then the counts of the flattened subtypes (_Na, _Nb and their
// per-element columns) made to agree with the two-element arrays it fills.
void fill_consistent_sample(avro_value_t* value, int64_t seed);

}  // namespace writers
