// The decoding state of one record-35 subtype: its library schema, the
// writer schema of the last schema record, the Avro decoder and the
// intermediate structure with its prediction state.
#pragma once

#include <cstdint>

#include "records/record35/avro_decoder.h"
#include "records/record35/dyn_array.h"
#include "records/record35/schema_node.h"
#include "records/record35/value_tree.h"

namespace d01ozu {

struct SubtypeState {
  SubtypeSchema schema;         // tree and text of the library schema
  int64_t library_version = 0;  // read from the library text
  int64_t writer_version = 0;   // read from the last schema record
  ByteBuffer writer_text;       // the last schema record's body
  AvroDecoder decoder;
  bool writer_loaded = false;  // a schema record's version was read
  bool await_key = true;       // only a key record may be decoded next
  IntermediateRecord intermediate;
};

// Makes the state of the subtype at table index; nullptr when memory or the
// table row fails.
SubtypeState* CreateSubtypeState(int index);

// Start of a conversion: versions and writer schema forgotten, a key record
// awaited.
void ResetSubtypeState(SubtypeState& state);

}  // namespace d01ozu
