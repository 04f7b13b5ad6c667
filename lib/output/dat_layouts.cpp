#include "output/dat_layouts.h"

#include <cstring>

#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "output/dat_fields.h"

namespace d01ozu {
namespace {

using namespace field;

// Layout tables. Each lists the conversions applied in order to the input
// fields, starting at the frame offset named with it.

// Type 3 from byte 3: satellite number, a zero byte, 25 ephemeris doubles.
constexpr FieldOp kType3Fields[] = {copy(1), zeros(1), doubles(25)};
// Type 21 from byte 3: satellite number, a zero byte, the compact ephemeris.
constexpr FieldOp kType21Fields[] = {copy(1),  zeros(1),    words(2), copy(2),
                                     longs(3), doubles(19), longs(1), copy(10)};
// Type 101 from byte 3.
constexpr FieldOp kType101Fields[] = {u32(0), doubles(4), copy(2)};
// Type 12 from byte 3: count and one byte, the receiver type code at frame
// byte 9, the data GPS week at frame bytes 17-18, then the first entry.
constexpr FieldOp kType12Fields[] = {copy(2),  words(2), copy(1),    copy(1), words(1),
                                     copy(3),  copy(1),  words(1),   u32(0),  copy(8),
                                     longs(2), words(4), doubles(1), u32(-22)};
constexpr FieldOp kType12Entry[] = {s16(-11), s16(-21)};
// Types 10 and 11 from byte 3; the fourth value differs between them.
constexpr FieldOp kType10Head[] = {s32(-31), s32(-30), s32(-12), u32(-13), s32(-17)};
constexpr FieldOp kType11Head[] = {s32(-31), s32(-30), s32(-12), s32(-9), s32(-17)};
constexpr FieldOp kType10Tail[] = {u16(-3), s32(-44), s32(-32), s32(-21), longs(1)};
// Type 25 from byte 4, sub-codes 0 and 2 (sub-code 2 adds a byte and a long
// when its flag byte, the eighth input byte, has bit 6).
constexpr FieldOp kType25Sub0[] = {longs(1), words(1), copy(1), copy(28)};
constexpr FieldOp kType25Sub2[] = {longs(1), words(1), copy(1), copy(1), copy(28)};
constexpr FieldOp kType25Sub2Extra[] = {copy(1), longs(1)};

constexpr size_t kType12CountOffset = 3;
constexpr size_t kType11CountOffset = 42;
constexpr size_t kType10Count = 4;
constexpr size_t kType25FlagOffset = 11;

// The 4-byte DAT record header.
void put_header(uint8_t* out, size_t length, uint8_t sub_code, uint8_t type) {
  out[0] = kDatStart;
  out[1] = static_cast<uint8_t>(length);
  out[2] = sub_code;
  out[3] = type;
}

// Converts a fixed layout starting at frame offset first into out behind a
// 4-byte header; returns the image length or 0.
template <size_t N>
size_t fixed_image(const uint8_t* frame, size_t length, size_t first, const FieldOp (&ops)[N],
                   uint8_t* out, size_t capacity) {
  ByteCursor in = frame_fields(frame, length, first);
  ByteWriter w(out, capacity);
  w.seek(4);
  if (!convert_fields(in, w, ops)) return 0;
  put_header(out, w.position(), 0, frame[2]);
  return w.position();
}

// Adds d to the little-endian double stored at p.
void add_to_le_double(uint8_t* p, double d) {
  ByteWriter(p, 8).f64(load_le_double(p) + d);
}

}  // namespace

size_t build_type3_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  return fixed_image(frame, length, 3, kType3Fields, out, capacity);
}

size_t build_type21_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  return fixed_image(frame, length, 3, kType21Fields, out, capacity);
}

size_t build_type101_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  return fixed_image(frame, length, 3, kType101Fields, out, capacity);
}

size_t build_type12_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  ByteCursor in = frame_fields(frame, length, 3);
  ByteWriter w(out, capacity);
  w.seek(4);
  int entries = frame_byte(frame, length, kType12CountOffset);
  if (!convert_fields(in, w, kType12Fields)) return 0;
  for (int e = 1; e < entries; ++e)
    if (!convert_fields(in, w, kType12Entry)) return 0;
  size_t n = w.position();
  out[0] = kDatStart;
  out[1] = static_cast<uint8_t>(n);
  out[2] = static_cast<uint8_t>(n >> 8);
  out[3] = 12;
  return n;
}

size_t build_type10_11_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  const bool is11 = frame[2] == 11;
  const size_t c = is11 ? frame_byte(frame, length, kType11CountOffset) : kType10Count;
  const size_t image_length = kType10Dat + 2 * c;
  if (image_length > 255) return 0;
  ByteCursor in = frame_fields(frame, length, 3);
  ByteWriter w(out, capacity);
  w.seek(4);
  convert_fields(in, w, is11 ? kType11Head : kType10Head);
  convert_fields(in, w, kType10Tail);
  const uint8_t* lists = in.take(2 * c + 2);
  if (lists == nullptr || !w.ok()) return 0;
  w.bytes(lists, 2 * c + 2);
  // A frame longer than 2c + 46 bytes carries two refinement bytes for the
  // first two values.
  if (length > 2 * c + 46) {
    double r1 = read_scaled(in, 1, true, -39);
    double r2 = read_scaled(in, 1, true, -38);
    if (!in.ok()) return 0;
    add_to_le_double(out + 4, r1);
    add_to_le_double(out + 12, r2);
  }
  if (!w.ok()) return 0;
  put_header(out, w.position(), 0, frame[2]);
  return w.position();
}

size_t build_copied_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  if (length < 7 || length - 3 > capacity) return 0;
  put_header(out, length - 3, frame[3], frame[2]);
  std::memcpy(out + 4, frame + 4, length - 7);
  return length - 3;
}

// Sub-codes 5 to 8 carry words after the sub-code; the image keeps the input
// length (input length - 3) with every whole word byte-reversed and an odd
// last byte copied.
size_t build_type19_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  if (length < 7 || length - 3 > capacity) return 0;
  ByteCursor in = frame_fields(frame, length, 4);
  ByteWriter w(out, capacity);
  w.seek(4);
  const size_t payload = length - 7;
  convert_fields(in, w, {words(static_cast<uint16_t>(payload / 2)), copy(payload % 2)});
  if (!w.ok() || !in.ok()) return 0;
  put_header(out, length - 3, frame[3] == 6 ? 0 : frame[3], 19);
  return length - 3;
}

// Type 20 keeps the input length (input length - 3): the first long becomes
// a double, then words follow as far as the image length holds them (the
// last two input words do not fit and are not carried).
size_t build_type20_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  if (length < 15 || length - 3 > capacity) return 0;
  const size_t rest = length - 15;
  ByteCursor in = frame_fields(frame, length, 4);
  ByteWriter w(out, capacity);
  w.seek(4);
  const FieldOp ops[] = {u32(0), words(static_cast<uint16_t>(rest / 2)), copy(rest % 2)};
  if (!convert_fields(in, w, ops)) return 0;
  put_header(out, length - 3, frame[3], 20);
  return length - 3;
}

namespace {

// Type 25 sub-code 1: two bytes (the second a kind), then the kind's fields:
// 1: 100 words, 2: 101 words, 3 to 5: 201 bytes, 6: 14 longs and a byte;
// other kinds copy the rest of the payload.
bool convert_type25_kind(ByteCursor& in, ByteWriter& w, uint8_t kind) {
  switch (kind) {
    case 1:
      return convert_fields(in, w, {words(100)});
    case 2:
      return convert_fields(in, w, {words(101)});
    case 3:
    case 4:
    case 5:
      return convert_fields(in, w, {copy(201)});
    case 6:
      return convert_fields(in, w, {longs(14), copy(1)});
    default:
      return convert_fields(in, w, {copy(static_cast<uint16_t>(in.remaining()))});
  }
}

}  // namespace

size_t build_type25_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  ByteCursor in = frame_fields(frame, length, 4);
  ByteWriter w(out, capacity);
  w.seek(4);
  const uint8_t sub = frame_byte(frame, length, 3);
  bool ok = false;
  if (sub == 0) {
    ok = convert_fields(in, w, kType25Sub0);
  } else if (sub == 1) {
    ok = convert_fields(in, w, {copy(2)}) && convert_type25_kind(in, w, out[5]);
  } else if (sub == 2) {
    ok = convert_fields(in, w, kType25Sub2);
    if (ok && (frame_byte(frame, length, kType25FlagOffset) & 0x40))
      ok = convert_fields(in, w, kType25Sub2Extra);
  }
  if (!ok || w.position() > 255) return 0;
  put_header(out, w.position(), sub, 25);
  return w.position();
}

// Type 31: the total application file length (word), the more-parts flag,
// the data count n and the n data bytes; length n + 8.
size_t build_type31_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity) {
  ByteCursor in = frame_fields(frame, length, 3);
  ByteWriter w(out, capacity);
  w.seek(4);
  const uint8_t n = frame_byte(frame, length, 6);
  if (!convert_fields(in, w, {words(1), copy(1), copy(1), copy(n)})) return 0;
  put_header(out, w.position(), 0, 31);
  return w.position();
}

}  // namespace d01ozu
