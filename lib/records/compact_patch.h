// Compact forms of the newer records whose fields carry no prediction of
// their own: raw types 84, 85 and 86 expand into framed type 25, raw type 41
// into framed type 40. Each expands against a reference record and keeps its
// length; a change of length needs a full record.
//
// Type 25 keeps one reference per sub-code 0, 1 and 2 (byte 3 of every
// record of the family names it; other sub-codes are refused):
//   84  full: the type-25 frame under type 84, with the type-25 frame's check
//       bytes. It becomes the reference of its sub-code.
//   85  delta: byte 4 holds in its high nibble the byte count n of the first
//       long (frame bytes 4-7), coded against twice its last value less the
//       one before (n equal to 4: the new long; above 4: refused; else a
//       sign-and-magnitude change of n bytes); then the patch list.
//   86  patch: the patch list alone.
// Type 40 takes the last type-40 record of the file, read as such (raw 40)
// or expanded from 41, as its reference:
//   41  patch: byte 3 unused, then the patch list.
// Patch list: a count m, then m pairs of frame offset (3 to length - 4) and
// new byte, applied in order to the reference. Every record of the family
// ends with the two check bytes of the expanded frame and the end byte. A
// record before its reference, an offset outside the payload and a record
// with bytes beyond its fields are refused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

constexpr size_t kPatchFrameCapacity = 256;

struct PatchReference {
  uint8_t frame[kPatchFrameCapacity];
  uint16_t length;     // 0 until a reference arrived
  uint32_t last_long;  // the first long of the record before the reference
};

// The references of the two families.
struct CompactPatchState {
  PatchReference type25[3];  // by sub-code
  PatchReference type40;
};

// Expands raw type 84, 85, 86 or 41 (raw_length bytes) into out (capacity
// bytes) as a framed type-25 or type-40 record. Returns the expanded length,
// or 0 when the record is refused (references unchanged).
size_t ExpandCompactPatch(CompactPatchState& state, const uint8_t* raw, size_t raw_length,
                          uint8_t* out, size_t capacity);

// Makes the frame (a type-40 record) the reference of raw type 41.
void RememberType40(CompactPatchState& state, const uint8_t* frame, size_t length);

}  // namespace d01ozu
