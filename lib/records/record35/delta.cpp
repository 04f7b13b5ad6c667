#include "records/record35/delta.h"

#include "core/diagnostics.h"

namespace d01ozu {

namespace {

// Zeroes the prediction state below v (an element new to its array).
void clear_prediction(Value* v) {
  v->predictor = 0;
  v->last = 0;
  v->predicted_length = 0;
  for (uint64_t i = 0; i < v->items.length && i < v->items.capacity; ++i)
    clear_prediction(&v->items.d[i]);
}

inline void decode_long(int method, Value* v, bool key, const DiagnosticSink& sink) {
  if (method != 0 && method != 1) {
    diagnostic(sink, "Unknown prediction method (%d) for delta encoding\n", method);
    return;
  }
  const uint64_t value = key ? static_cast<uint64_t>(v->l)
                             : static_cast<uint64_t>(v->l) + static_cast<uint64_t>(v->predictor);
  v->l = static_cast<int64_t>(value);
  if (method == 0) {
    v->predictor = v->l;
    if (key) v->last = 0;
    return;
  }
  v->predictor = key ? v->l : static_cast<int64_t>(2 * value - static_cast<uint64_t>(v->last));
  v->last = v->l;
}

// The elements of an array of long, in one loop.
void decode_longs(int method, Value* items, uint64_t n, bool key, const DiagnosticSink& sink) {
  if (method < 0) return;
  for (uint64_t i = 0; i < n; ++i) decode_long(method, &items[i], key, sink);
}

void decode_value(const SchemaNode& node, Value* v, bool key, const DiagnosticSink& sink) {
  switch (node.kind) {
    case SchemaKind::kLong:
      if (node.method >= 0) decode_long(node.method, v, key, sink);
      return;
    case SchemaKind::kArray: {
      const uint64_t n = v->items.length < v->items.capacity ? v->items.length : v->items.capacity;
      for (uint64_t i = v->predicted_length; i < n; ++i) clear_prediction(&v->items.d[i]);
      v->predicted_length = n;
      const SchemaNode& item = node.children[0];
      if (item.kind == SchemaKind::kLong)
        decode_longs(item.method, v->items.d, n, key, sink);
      else
        for (uint64_t i = 0; i < n; ++i) decode_value(item, &v->items.d[i], key, sink);
      return;
    }
    case SchemaKind::kRecord:
      for (uint64_t i = 0; i < v->items.length && i < node.children.size(); ++i)
        decode_value(node.children[i], &v->items.d[i], key, sink);
      return;
    default:
      return;
  }
}

}  // namespace

void DeltaDecode(const SchemaNode& root, Value* value, bool key, DeltaFields fields,
                 const DiagnosticSink& sink) {
  for (uint64_t i = 0; i < value->items.length && i < root.children.size(); ++i) {
    const SchemaNode& f = root.children[i];
    if (fields == DeltaFields::kCountsOnly && !f.is_count) continue;
    if (fields == DeltaFields::kAllButCounts && f.is_count) continue;
    decode_value(f, &value->items.d[i], key, sink);
  }
}

}  // namespace d01ozu
