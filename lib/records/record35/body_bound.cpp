#include "records/record35/body_bound.h"

#include <map>

#include "core/byte_cursor.h"

namespace d01ozu {

namespace {

using Kind = BoundPlan::Kind;

constexpr int kDepthLimit = 64;   // nesting deeper than any library schema
constexpr int kVarintLimit = 10;  // bytes of a 64-bit zig-zag number

// Builds the nodes of a plan, one per schema object.
class PlanCompiler {
 public:
  explicit PlanCompiler(BoundPlan* plan) : plan_(plan) {}

  // The node of schema, made (with the nodes below it) on first sight.
  uint32_t node(avro_schema_t schema) {
    const auto seen = done_.find(schema);
    if (seen != done_.end()) return seen->second;
    const uint32_t index = static_cast<uint32_t>(plan_->nodes.size());
    plan_->nodes.emplace_back();
    done_[schema] = index;  // before the children: a recursive schema ends here
    if (schema != nullptr) describe(schema, index);
    return index;
  }

 private:
  void describe(avro_schema_t schema, uint32_t index) {
    BoundPlan::Node n;
    switch (avro_typeof(schema)) {
      case AVRO_NULL:
        n = {Kind::kFixed, 0, 0, 0};
        break;
      case AVRO_BOOLEAN:
        n = {Kind::kFixed, 1, 0, 0};
        break;
      case AVRO_FLOAT:
        n = {Kind::kFixed, 4, 0, 0};
        break;
      case AVRO_DOUBLE:
        n = {Kind::kFixed, 8, 0, 0};
        break;
      case AVRO_FIXED:
        n = {Kind::kFixed, static_cast<uint64_t>(avro_schema_fixed_size(schema)), 0, 0};
        break;
      case AVRO_INT32:
      case AVRO_INT64:
      case AVRO_ENUM:
        n.kind = Kind::kNumber;
        break;
      case AVRO_STRING:
      case AVRO_BYTES:
        n.kind = Kind::kCounted;
        break;
      default:
        n = composite(schema);
        break;
    }
    plan_->nodes[index] = n;
  }

  // Records, unions, arrays, maps and links: their parts first.
  BoundPlan::Node composite(avro_schema_t schema) {
    std::vector<uint32_t> parts;
    switch (avro_typeof(schema)) {
      case AVRO_RECORD:
        for (size_t i = 0; i < avro_schema_record_size(schema); ++i)
          parts.push_back(node(avro_schema_record_field_get_by_index(schema, static_cast<int>(i))));
        return listed(Kind::kRecord, parts);
      case AVRO_UNION:
        for (size_t i = 0; i < avro_schema_union_size(schema); ++i)
          parts.push_back(node(avro_schema_union_branch(schema, static_cast<int>(i))));
        return listed(Kind::kUnion, parts);
      case AVRO_ARRAY:
        return {Kind::kArray, 0, node(avro_schema_array_items(schema)), 0};
      case AVRO_MAP:
        return {Kind::kMap, 0, node(avro_schema_map_values(schema)), 0};
      case AVRO_LINK:
        return {Kind::kLink, 0, node(avro_schema_link_target(schema)), 0};
      default:
        return {};
    }
  }

  BoundPlan::Node listed(Kind kind, const std::vector<uint32_t>& parts) {
    const BoundPlan::Node n{kind, 0, static_cast<uint32_t>(plan_->children.size()),
                            static_cast<uint32_t>(parts.size())};
    plan_->children.insert(plan_->children.end(), parts.begin(), parts.end());
    return n;
  }

  BoundPlan* plan_;
  std::map<avro_schema_t, uint32_t> done_;
};

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

// Checks a body against a plan, node by node as the schema nests.
class PlanWalker {
 public:
  PlanWalker(const BoundPlan& plan, ByteCursor& in) : plan_(plan), in_(in) {}

  bool visit(uint32_t index, int depth) {
    if (++depth > kDepthLimit) return false;
    const BoundPlan::Node& n = plan_.nodes[index];
    switch (n.kind) {
      case Kind::kFixed:
        in_.skip(static_cast<size_t>(n.bytes));
        return in_.ok();
      case Kind::kNumber:
        read_long(in_);
        return in_.ok();
      case Kind::kCounted:
        return skip_counted(in_);
      case Kind::kRecord:
        for (uint32_t i = 0; i < n.count; ++i)
          if (!visit(plan_.children[n.first + i], depth)) return false;
        return true;
      case Kind::kArray:
      case Kind::kMap:
        return blocks(n.first, n.kind == Kind::kMap, depth);
      case Kind::kUnion:
        return branch(n, depth);
      case Kind::kLink:
        return visit(n.first, depth);
      default:
        return false;
    }
  }

 private:
  bool branch(const BoundPlan::Node& n, int depth) {
    const int64_t b = read_long(in_);
    if (!in_.ok() || b < 0 || static_cast<uint64_t>(b) >= n.count) return false;
    return visit(plan_.children[n.first + static_cast<uint32_t>(b)], depth);
  }

  // Array and map blocks: a count (negative: followed by a byte size) then
  // the items, until a zero count.
  bool blocks(uint32_t items, bool map, int depth) {
    for (;;) {
      int64_t count = read_long(in_);
      if (!in_.ok()) return false;
      if (count == 0) return true;
      if (count < 0) {
        count = count == INT64_MIN ? -1 : -count;
        if (!fits(in_, read_long(in_))) return false;
      }
      if (!fits(in_, count)) return false;
      if (!map && numbers(items, count, depth)) {
        if (!in_.ok()) return false;
        continue;
      }
      for (int64_t i = 0; i < count; ++i) {
        const size_t before = in_.position();
        if (map && !skip_counted(in_)) return false;
        if (!visit(items, depth)) return false;
        // Items that take no bytes could be declared without limit.
        if (in_.position() == before) return false;
      }
    }
  }

  // Array items that are numbers, walked in one loop rather than item by
  // item: what visit would do for count (> 0) items at depth. False when the
  // items are of another kind (nothing read); else the cursor error tells.
  bool numbers(uint32_t items, int64_t count, int depth) {
    const BoundPlan::Node& n = plan_.nodes[items];
    if (depth + 1 > kDepthLimit) return false;
    if (n.kind == Kind::kNumber) {
      skip_longs(in_, count);
      return true;
    }
    if (n.kind != Kind::kFixed || n.bytes == 0) return false;  // no bytes: refused item by item
    if (static_cast<uint64_t>(count) > in_.remaining() / n.bytes)
      in_.seek(in_.size() + 1);
    else
      in_.skip(static_cast<size_t>(count) * static_cast<size_t>(n.bytes));
    return true;
  }

  const BoundPlan& plan_;
  ByteCursor& in_;
};

}  // namespace

void CompileBoundPlan(avro_schema_t schema, BoundPlan* plan) {
  plan->nodes.clear();
  plan->children.clear();
  PlanCompiler(plan).node(schema);
}

bool BodyFitsPlan(const BoundPlan& plan, const uint8_t* body, size_t length) {
  ByteCursor in(body, length);
  return !plan.nodes.empty() && PlanWalker(plan, in).visit(0, 0) && in.ok();
}

bool BodyFitsSchema(avro_schema_t schema, const uint8_t* body, size_t length) {
  BoundPlan plan;
  CompileBoundPlan(schema, &plan);
  return BodyFitsPlan(plan, body, length);
}

}  // namespace d01ozu
