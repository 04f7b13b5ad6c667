#include "records/compact_patch.h"

#include <cstring>

#include "core/byte_cursor.h"
#include "core/frame_rules.h"
#include "records/delta_field.h"

namespace d01ozu {

namespace {

constexpr uint8_t kType25 = 25;
constexpr uint8_t kType40 = 40;
constexpr uint8_t kFull25 = 84;
constexpr uint8_t kDelta25 = 85;
constexpr uint8_t kCompact40 = 41;
constexpr size_t kSubCodeAt = 3;
constexpr size_t kFirstPatch = 3;  // lowest offset a patch may change
constexpr size_t kLongAt = 4;
constexpr size_t kLongWidth = 4;
constexpr size_t kFrameTail = 3;  // two check bytes and the end byte

void set_reference(PatchReference& r, const uint8_t* frame, size_t length) {
  r.last_long = r.length ? static_cast<uint32_t>(load_be(r.frame + kLongAt, kLongWidth)) : 0;
  std::memcpy(r.frame, frame, length);
  r.length = static_cast<uint16_t>(length);
}

// The full type-25 record: its frame under type 25 starts the reference.
size_t expand_full(PatchReference& r, const uint8_t* raw, size_t length, uint8_t* out) {
  std::memcpy(out, raw, length);
  out[kRawTypeOffset] = kType25;
  out[length - 1] = kEtx;  // block records stored without STX come without it
  set_reference(r, out, length);
  r.last_long = static_cast<uint32_t>(load_be(out + kLongAt, kLongWidth));
  return length;
}

// Applies the optional predicted long and the patch list to a copy of the
// reference in out; the check bytes end it.
size_t expand_patched(PatchReference& r, ByteCursor& in, bool predicted_long, uint8_t* out) {
  const size_t n = r.length;
  std::memcpy(out, r.frame, n);
  if (predicted_long) {
    const uint64_t last = load_be(r.frame + kLongAt, kLongWidth);
    uint64_t value = 0;
    if (!DecodeDeltaField(in, in.u8() >> 4, 2 * last - r.last_long, kLongWidth, &value)) return 0;
    store_be(out + kLongAt, kLongWidth, value);
  }
  const uint8_t count = in.u8();
  for (int i = 0; i < count; ++i) {
    const uint8_t at = in.u8();
    const uint8_t value = in.u8();
    if (at < kFirstPatch || at + kFrameTail >= n) return 0;
    out[at] = value;
  }
  in.bytes(out + n - kFrameTail, 2);
  if (!in.ok() || in.remaining() != 0) return 0;
  out[n - 1] = kEtx;
  set_reference(r, out, n);
  return n;
}

// The reference a record of the family expands against, or nullptr.
PatchReference* reference_of(CompactPatchState& s, const uint8_t* raw) {
  if (raw[kRawTypeOffset] == kCompact40) return &s.type40;
  const uint8_t sub_code = raw[kSubCodeAt];
  return sub_code < 3 ? &s.type25[sub_code] : nullptr;
}

}  // namespace

size_t ExpandCompactPatch(CompactPatchState& state, const uint8_t* raw, size_t raw_length,
                          uint8_t* out, size_t capacity) {
  if (raw_length < kRawHeaderSize + kFrameTail || raw_length > kPatchFrameCapacity ||
      capacity < kPatchFrameCapacity)
    return 0;
  PatchReference* r = reference_of(state, raw);
  if (r == nullptr) return 0;
  const uint8_t type = raw[kRawTypeOffset];
  if (type == kFull25) return expand_full(*r, raw, raw_length, out);
  if (r->length == 0) return 0;
  ByteCursor in(raw, raw_length - 1);  // the end byte is the expanded frame's
  in.seek(kRawHeaderSize);
  return expand_patched(*r, in, type == kDelta25, out);
}

void RememberType40(CompactPatchState& state, const uint8_t* frame, size_t length) {
  if (length < kRawHeaderSize + kFrameTail || length > kPatchFrameCapacity) return;
  set_reference(state.type40, frame, length);
  state.type40.frame[kRawTypeOffset] = kType40;
}

}  // namespace d01ozu
