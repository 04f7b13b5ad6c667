#include "records/record35/value_tree.h"

namespace d01ozu {

namespace {

// Numbers are copied by value alone: their own arrays stay empty.
bool may_hold_arrays(const SchemaNode& node) {
  switch (node.kind) {
    case SchemaKind::kLong:
    case SchemaKind::kInt:
    case SchemaKind::kFloat:
    case SchemaKind::kDouble:
    case SchemaKind::kBoolean:
      return false;
    default:
      return true;
  }
}

}  // namespace

bool check_array_lengths(const SchemaNode& node, const Value& value, uint8_t* error) {
  if (value.items.length > value.items.capacity || value.bytes.length > value.bytes.capacity) {
    *error = kRec35ArrayOverrun;
    return false;
  }
  if (node.kind == SchemaKind::kArray) {
    if (!may_hold_arrays(node.children[0])) return true;
    for (uint64_t i = 0; i < value.items.length; ++i)
      if (!check_array_lengths(node.children[0], value.items.d[i], error)) return false;
  } else if (node.kind == SchemaKind::kRecord) {
    for (uint64_t i = 0; i < value.items.length && i < node.children.size(); ++i)
      if (!check_array_lengths(node.children[i], value.items.d[i], error)) return false;
  }
  return true;
}

bool copy_value_tree(const SchemaNode& node, const Value& src, Value* dst, uint8_t* error) {
  dst->l = src.l;
  dst->d = src.d;
  if (!dst->bytes.reserve(src.bytes.length, error)) return false;
  if (src.bytes.length) std::memcpy(dst->bytes.d, src.bytes.d, src.bytes.length);
  dst->bytes.length = src.bytes.length;
  if (node.kind != SchemaKind::kArray && node.kind != SchemaKind::kRecord) return true;
  if (!dst->items.reserve(src.items.length, error)) return false;
  dst->items.length = src.items.length;
  for (uint64_t i = 0; i < src.items.length; ++i) {
    const SchemaNode& child = node.kind == SchemaKind::kArray ? node.children[0] : node.children[i];
    if (!copy_value_tree(child, src.items.d[i], &dst->items.d[i], error)) return false;
  }
  return true;
}

}  // namespace d01ozu
