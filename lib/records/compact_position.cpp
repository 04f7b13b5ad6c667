#include "records/compact_position.h"

#include <cstring>

#include "core/byte_cursor.h"
#include "core/frame_rules.h"
#include "records/delta_field.h"

namespace d01ozu {

namespace {

constexpr PredictedField kType11Fields[] = {{3, 4},  {7, 4},  {11, 4}, {15, 4}, {19, 4},
                                            {23, 2}, {25, 4}, {29, 4}, {33, 4}, {37, 4}};
constexpr PredictedField kType29Fields[] = {{7, 4},  {20, 6}, {26, 6}, {32, 4}, {36, 4},
                                            {40, 4}, {44, 4}, {48, 4}, {52, 4}};
constexpr size_t kFrameTail = 3;  // two check bytes and the end byte
constexpr size_t kControlAt = 4;

// The w-byte field predicted from the last two values, wrapping.
uint64_t predicted(const CompactPositionState& s, const PredictedField& f) {
  const uint64_t last = load_be(s.last + f.offset, f.width);
  const uint64_t previous = load_be(s.previous + f.offset, f.width);
  return 2 * last - previous;
}

// The full record: the legacy frame under the compact type.
size_t expand_full(CompactPositionState& s, const CompactPositionLayout& layout, const uint8_t* raw,
                   size_t raw_length, uint8_t* out, size_t capacity) {
  if (raw_length < kRawHeaderSize + kFrameTail || raw_length > kCompactPositionFrame ||
      raw_length > capacity)
    return 0;
  std::memcpy(out, raw, raw_length);
  out[kRawTypeOffset] = layout.legacy_type;
  out[raw_length - 1] = kEtx;  // block records stored without STX come without it
  std::memcpy(s.last, out, raw_length);
  std::memcpy(s.previous, out, raw_length);
  s.length = static_cast<uint16_t>(raw_length);
  return raw_length;
}

// The delta record against the prediction from the last two records.
size_t expand_delta(CompactPositionState& s, const CompactPositionLayout& layout,
                    const uint8_t* raw, size_t raw_length, uint8_t* out, size_t capacity) {
  const size_t n = s.length;
  if (n == 0 || n > capacity || raw_length < kRawHeaderSize) return 0;
  ByteCursor in(raw, raw_length - 1);  // the end byte is the expanded frame's
  in.seek(kControlAt);
  const uint8_t* controls = in.take((layout.count + 1u) / 2);
  if (controls == nullptr) return 0;
  std::memcpy(out, s.last, n);
  for (uint8_t i = 0; i < layout.count; ++i) {
    const PredictedField& f = layout.fields[i];
    const unsigned nibble = (i % 2 == 0 ? controls[i / 2] >> 4 : controls[i / 2]) & 0x0F;
    uint64_t value = 0;
    if (f.offset + f.width > n - kFrameTail ||
        !DecodeDeltaField(in, nibble, predicted(s, f), f.width, &value))
      return 0;
    store_be(out + f.offset, f.width, value);
  }
  in.bytes(out + n - kFrameTail, 2);
  if (!in.ok() || in.remaining() != 0) return 0;
  out[n - 1] = kEtx;
  std::memcpy(s.previous, s.last, n);
  std::memcpy(s.last, out, n);
  return n;
}

}  // namespace

const CompactPositionLayout kType11Compact = {11, kType11Fields, 10};
const CompactPositionLayout kType29Compact = {29, kType29Fields, 9};

size_t ExpandCompactPosition(CompactPositionState& state, const CompactPositionLayout& layout,
                             bool full, const uint8_t* raw, size_t raw_length, uint8_t* out,
                             size_t capacity) {
  return full ? expand_full(state, layout, raw, raw_length, out, capacity)
              : expand_delta(state, layout, raw, raw_length, out, capacity);
}

}  // namespace d01ozu
