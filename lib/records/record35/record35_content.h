// What the record-35 handler leaves for the dispatcher: the ids and body of
// the last record, the special-subtype buffers, the decoded native structure
// of every known subtype, and the legacy structures the measurement and
// position subtypes are converted into.
#pragma once

#include <cstdint>
#include <memory>

#include "records/expanded_records.h"
#include "records/record35/dyn_array.h"
#include "records/record35/native_sub19.h"
#include "records/record35/native_sub260.h"
#include "records/record35/native_sub9.h"
#include "records/record35/schema_table.h"
#include "records/record35/value_tree.h"

namespace d01ozu {

constexpr size_t kSubtype0Capacity = 80000;
constexpr size_t kTestBufferCapacity = 800;
constexpr uint64_t kSubtypeTest = 12345678;

struct Record35Content {
  uint64_t subtype = 0;
  uint64_t subsubtype = 0;
  ByteBuffer body_copy;                 // the last schema record's body
  std::unique_ptr<uint8_t[]> subtype0;  // made on first use
  size_t subtype0_length = 0;
  std::unique_ptr<uint8_t[]> test_buffer;  // made on first use
  size_t test_length = 0;
  // Native structures, by table index, null until the first decode: the
  // measurement subtypes 9, 19 and 260 have their own; every other subtype
  // keeps its decoded values as they are (each long whole).
  std::unique_ptr<IntermediateRecord> native[kRec35SubtypeCount];
  std::unique_ptr<Sub9Native> sub9;
  std::unique_ptr<Sub19Native> sub19;
  std::unique_ptr<Sub260Native> sub260;
  // Down-conversion results.
  Type27Record type27;
  Type29Record type29;
  NewerTypeRecord type33;
};

}  // namespace d01ozu
