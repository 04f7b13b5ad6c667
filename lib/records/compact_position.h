// Compact forms of the position records: raw types 54 and 55 expand into
// framed type 11, 56 and 57 into framed type 29.
//
// A full record (54, 56) is the legacy frame itself with the compact type in
// byte 2; its check bytes are those of the legacy frame. It restarts the
// reference: the last and the previous-to-last record both become it.
//
// A delta record (55, 57) repeats the last record except for its predicted
// fields, each coded against the prediction 2 x last - previous (big-endian,
// wrapping in the field's width):
//   bytes 0-3  STX, length low byte, type, status byte (55) or length high
//              byte (57)
//   then       one control nibble per predicted field, two to a byte, high
//              nibble first (a last odd nibble is 0)
//   then       per field in order, n bytes by its nibble n: n equal to the
//              field's width: the new value; n above it: refused; else a
//              big-endian magnitude whose top bit is the sign, added to or
//              subtracted from the prediction (n = 0 keeps the prediction)
//   then       the two check bytes of the expanded frame, and the end byte.
// Predicted fields, as frame offset and width:
//   type 11: 3, 7, 11, 15, 19 (4 bytes), 23 (2), 25, 29, 33, 37 (4)
//   type 29: 7 (4), 20, 26 (6), 32, 36, 40, 44, 48, 52 (4)
// A delta record before any full record, a record that ends early or
// carries bytes beyond its fields, and a frame that does not fit the
// reference are refused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

constexpr size_t kCompactPositionFrame = 512;

struct PredictedField {
  uint16_t offset;
  uint8_t width;
};
struct CompactPositionLayout {
  uint8_t legacy_type;
  const PredictedField* fields;
  uint8_t count;
};
extern const CompactPositionLayout kType11Compact;
extern const CompactPositionLayout kType29Compact;

// The last two records of one compact family.
struct CompactPositionState {
  uint8_t last[kCompactPositionFrame];
  uint8_t previous[kCompactPositionFrame];
  uint16_t length;  // 0 until a full record arrived
};

// Expands the full or delta record raw (raw_length bytes) into out (capacity
// bytes) as a framed record of the layout's legacy type. Returns the
// expanded length, or 0 when the record is refused (state unchanged).
size_t ExpandCompactPosition(CompactPositionState& state, const CompactPositionLayout& layout,
                             bool full, const uint8_t* raw, size_t raw_length, uint8_t* out,
                             size_t capacity);

}  // namespace d01ozu
