#include "records/record35/body_bound.h"

#include "core/byte_cursor.h"

namespace d01ozu {

namespace {

constexpr int kDepthLimit = 64;   // nesting deeper than any library schema
constexpr int kVarintLimit = 10;  // bytes of a 64-bit zig-zag number

// A zig-zag coded Avro long; sets the cursor error when it is too long.
int64_t read_long(ByteCursor& in) {
  uint64_t v = 0;
  for (int i = 0; i < kVarintLimit; ++i) {
    const uint8_t b = in.u8();
    v |= static_cast<uint64_t>(b & 0x7F) << (7 * i);
    if (!(b & 0x80)) return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
  }
  in.seek(in.size() + 1);  // sets the error
  return 0;
}

// A count or length: not negative and within the bytes left.
bool fits(ByteCursor& in, int64_t n) {
  return n >= 0 && static_cast<uint64_t>(n) <= in.remaining();
}

bool walk(avro_schema_t schema, ByteCursor& in, int depth);
int fixed_bytes(avro_type_t type);

// Bytes, strings and map keys: a length, then that many bytes.
bool skip_counted(ByteCursor& in) {
  const int64_t n = read_long(in);
  if (!in.ok() || !fits(in, n)) return false;
  in.skip(static_cast<size_t>(n));
  return in.ok();
}

// Skips count zig-zag numbers, each as read_long reads it (at most ten
// bytes, the last without bit 7), scanning the bytes left in one pass.
void skip_longs(ByteCursor& in, int64_t count) {
  const uint8_t* p = in.here();
  const size_t left = in.remaining();
  size_t used = 0;
  for (int64_t i = 0; i < count; ++i) {
    for (int k = 0;; ++k) {
      if (k == kVarintLimit || used == left) {
        in.seek(in.size() + 1);  // sets the error
        return;
      }
      if (!(p[used++] & 0x80)) break;
    }
  }
  in.skip(used);
}

// Array items that are numbers, walked in one loop rather than item by item:
// what walk would do for count (> 0) items of schema at depth. False when
// items are of another kind (nothing read); else the cursor error tells.
bool walk_numbers(avro_schema_t items, int64_t count, ByteCursor& in, int depth) {
  if (items == nullptr || depth + 1 > kDepthLimit) return false;
  const avro_type_t type = avro_typeof(items);
  if (type == AVRO_INT32 || type == AVRO_INT64) {
    skip_longs(in, count);
    return true;
  }
  const int fixed = fixed_bytes(type);
  if (fixed <= 0) return false;  // items of no bytes are refused by the walk
  if (static_cast<uint64_t>(count) > in.remaining() / static_cast<uint64_t>(fixed))
    in.seek(in.size() + 1);
  else
    in.skip(static_cast<size_t>(count) * static_cast<size_t>(fixed));
  return true;
}

// Array and map blocks: a count (negative: followed by a byte size) then the
// items, until a zero count.
bool walk_blocks(avro_schema_t items, bool map, ByteCursor& in, int depth) {
  for (;;) {
    int64_t count = read_long(in);
    if (!in.ok()) return false;
    if (count == 0) return true;
    if (count < 0) {
      count = count == INT64_MIN ? -1 : -count;
      if (!fits(in, read_long(in))) return false;
    }
    if (!fits(in, count)) return false;
    if (!map && walk_numbers(items, count, in, depth)) {
      if (!in.ok()) return false;
      continue;
    }
    for (int64_t i = 0; i < count; ++i) {
      const size_t before = in.position();
      if (map && !skip_counted(in)) return false;
      if (!walk(items, in, depth)) return false;
      // Items that take no bytes could be declared without limit.
      if (in.position() == before) return false;
    }
  }
}

bool walk_record(avro_schema_t schema, ByteCursor& in, int depth) {
  const size_t n = avro_schema_record_size(schema);
  for (size_t i = 0; i < n; ++i)
    if (!walk(avro_schema_record_field_get_by_index(schema, static_cast<int>(i)), in, depth))
      return false;
  return true;
}

// Bytes of the kinds of a fixed size, -1 for the others.
int fixed_bytes(avro_type_t type) {
  switch (type) {
    case AVRO_NULL:
      return 0;
    case AVRO_BOOLEAN:
      return 1;
    case AVRO_FLOAT:
      return 4;
    case AVRO_DOUBLE:
      return 8;
    default:
      return -1;
  }
}

bool walk_union(avro_schema_t schema, ByteCursor& in, int depth) {
  const int64_t branch = read_long(in);
  if (!in.ok() || branch < 0 || static_cast<size_t>(branch) >= avro_schema_union_size(schema))
    return false;
  return walk(avro_schema_union_branch(schema, static_cast<int>(branch)), in, depth);
}

bool walk(avro_schema_t schema, ByteCursor& in, int depth) {
  if (schema == nullptr || ++depth > kDepthLimit) return false;
  const avro_type_t type = avro_typeof(schema);
  const int fixed = fixed_bytes(type);
  if (fixed >= 0) {
    in.skip(static_cast<size_t>(fixed));
    return in.ok();
  }
  switch (type) {
    case AVRO_INT32:
    case AVRO_INT64:
    case AVRO_ENUM:
      read_long(in);
      return in.ok();
    case AVRO_STRING:
    case AVRO_BYTES:
      return skip_counted(in);
    case AVRO_FIXED:
      in.skip(static_cast<size_t>(avro_schema_fixed_size(schema)));
      return in.ok();
    case AVRO_RECORD:
      return walk_record(schema, in, depth);
    case AVRO_ARRAY:
      return walk_blocks(avro_schema_array_items(schema), false, in, depth);
    case AVRO_MAP:
      return walk_blocks(avro_schema_map_values(schema), true, in, depth);
    case AVRO_UNION:
      return walk_union(schema, in, depth);
    case AVRO_LINK:
      return walk(avro_schema_link_target(schema), in, depth);
    default:
      return false;
  }
}

}  // namespace

bool BodyFitsSchema(avro_schema_t schema, const uint8_t* body, size_t length) {
  ByteCursor in(body, length);
  return walk(schema, in, 0) && in.ok();
}

}  // namespace d01ozu
