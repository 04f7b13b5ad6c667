// A check of a record-35 body against the schema it was written with, run
// before the Avro reader sees it: every count the body declares (array
// blocks, bytes and string lengths) must fit in the bytes that follow, so a
// damaged or hostile body cannot make the reader allocate or loop beyond
// what its length allows.
#pragma once

#include <avro.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace d01ozu {

// A schema flattened for the check, made once per decoder so that checking a
// body does not go through the schema's own lookups. Nodes refer to each
// other by index; a named type used again is one node, so recursive schemas
// stay finite.
struct BoundPlan {
  enum class Kind : uint8_t {
    kInvalid,
    kFixed,
    kNumber,
    kCounted,
    kRecord,
    kArray,
    kMap,
    kUnion,
    kLink
  };
  struct Node {
    Kind kind = Kind::kInvalid;
    uint64_t bytes = 0;  // kFixed: the size
    uint32_t first = 0;  // records, unions: first entry in children; arrays,
                         // maps, links: the node of the items, values or target
    uint32_t count = 0;  // records, unions: entries in children
  };
  std::vector<Node> nodes;         // nodes[0] is the schema itself
  std::vector<uint32_t> children;  // node indices, per node from first
};

// Makes plan from schema.
void CompileBoundPlan(avro_schema_t schema, BoundPlan* plan);

// True when body holds one whole datum of the planned schema whose declared
// counts all fit in the body.
bool BodyFitsPlan(const BoundPlan& plan, const uint8_t* body, size_t length);

// The same for a schema not compiled beforehand.
bool BodyFitsSchema(avro_schema_t schema, const uint8_t* body, size_t length);

}  // namespace d01ozu
