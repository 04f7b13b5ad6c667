// The intermediate structure of a subtype: the decoded Avro datum copied
// into plain values laid out by the subtype's schema tree. Every long
// carries its predictor and last value, so the prediction state has the
// same shape as the data it predicts.
#pragma once

#include <cstdint>

#include "records/record35/dyn_array.h"
#include "records/record35/schema_node.h"

namespace d01ozu {

struct Value {
  int64_t l = 0;  // long, int and boolean
  double d = 0;   // double and float
  int64_t predictor = 0;
  int64_t last = 0;
  uint64_t predicted_length = 0;  // arrays: elements that have a prediction state
  DynArray<Value> items;          // record fields, or array elements
  DynArray<uint8_t> bytes;        // bytes and string
};

// The whole intermediate structure of one subtype.
struct IntermediateRecord {
  int64_t version = 0;  // writer schema version
  Value root;
};

// Every array below value (whose schema is node) is within its capacity;
// error 20 otherwise.
bool check_array_lengths(const SchemaNode& node, const Value& value, uint8_t* error);

// Makes dst a copy of src (same shape), growing dst's arrays as needed.
bool copy_value_tree(const SchemaNode& node, const Value& src, Value* dst, uint8_t* error);

}  // namespace d01ozu
