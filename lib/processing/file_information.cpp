#include "processing/file_information.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/byte_cursor.h"
#include "core/frame_fields.h"
#include "core/frame_rules.h"

namespace d01ozu {
namespace {

// Kind of sub-record i by selector: 1 gives 1, 6, 0, 2, 0, 3; 3 gives 4, 0,
// 5; every other position and selector gives 0.
int sub_record_kind(int selector, int i) {
  static constexpr int kOrder1[] = {1, 6, 0, 2, 0, 3};
  static constexpr int kOrder3[] = {4, 0, 5};
  if (selector == 1 && i < 6) return kOrder1[i];
  if (selector == 3 && i < 3) return kOrder3[i];
  return 0;
}

// Field widths of each kind; a width of 1 is a byte copied as it is.
struct KindFields {
  int count;
  int width[3];
};
constexpr KindFields kKindFields[7] = {
    {0, {}}, {2, {4, 2}}, {3, {2, 2, 2}}, {3, {4, 1, 1}}, {2, {4, 4}}, {2, {4, 4}}, {0, {}},
};

// Takes the facts a sub-record of kind carries from its m data bytes; fields
// beyond m are not read.
void take_facts(ReceiverFacts& f, int kind, const uint8_t* d, size_t m, int fix_mode) {
  switch (kind) {
    case 1:
      if (m >= 4 && !f.serial_from_file_record) {
        f.serial_number = static_cast<uint32_t>(load_be(d, 4));
        f.serial_from_file_record = true;
      }
      if (m >= 6) f.receiver_type = d[5];
      break;
    case 2:
      if (m >= 2) f.nav_version = static_cast<uint16_t>(load_be(d, 2));
      apply_serial_fix(f, fix_mode);
      break;
    case 3:
      if (m >= 4) f.antenna_number = static_cast<uint32_t>(load_be(d, 4));
      break;
    case 4:
    case 5:
      for (size_t i = 0; i < 2 && 4 * i + 4 <= m; ++i)
        f.receiver_options[(kind - 4) * 2 + i] = static_cast<uint32_t>(load_be(d + 4 * i, 4));
      break;
    case 6: {
      size_t n = m < 11 ? m : 11;
      size_t len = 0;
      while (len < n && d[len] != 0) ++len;
      std::memcpy(f.serial_text, d, len);
      f.serial_text[len] = '\0';
      f.serial_known = true;
      break;
    }
    default:
      break;
  }
}

// Writes the m data bytes of a sub-record of kind, byte-reversing the kind's
// whole fields that fit and copying the rest.
void convert_sub_record(ByteWriter& w, int kind, const uint8_t* d, size_t m) {
  size_t at = 0;
  const KindFields& k = kKindFields[kind];
  for (int i = 0; i < k.count && at + k.width[i] <= m; ++i) {
    for (int b = k.width[i] - 1; b >= 0; --b) w.u8(d[at + b]);
    at += k.width[i];
  }
  w.bytes(d + at, m - at);
}

}  // namespace

void apply_serial_fix(ReceiverFacts& f, int mode) {
  if (mode == 0 || f.receiver_type != 29 || !f.serial_known) return;
  unsigned long long n = std::strtoull(f.serial_text, nullptr, 10);
  if (mode == 1 && ((n >> 32) != 0 || (n & 0xFFFFFFFFull) == 0xFFFFFFFFull || f.nav_version < 100 ||
                    f.nav_version > 103))
    return;
  char text[24];
  std::snprintf(text, sizeof text, "%010llu", n | (1ull << 32));
  std::memcpy(f.serial_text, text, sizeof f.serial_text - 1);
  f.serial_text[sizeof f.serial_text - 1] = '\0';
}

size_t read_file_information(ReceiverFacts& facts, int serial_fix_mode, const uint8_t* frame,
                             size_t length, uint8_t* out, size_t capacity) {
  ByteCursor in = frame_fields(frame, length, 4);
  const int count = in.u8();
  for (int i = 0; i < count && in.ok(); ++i) in.skip(in.u8());
  if (!in.ok() || in.position() > capacity) return 0;
  const int selector = frame[3];
  ByteWriter w(out, capacity);
  w.seek(4);
  w.u8(static_cast<uint8_t>(count));
  in.seek(5);
  for (int i = 0; i < count; ++i) {
    const size_t m = in.u8();
    const uint8_t* d = in.take(m);
    const int kind = sub_record_kind(selector, i);
    w.u8(static_cast<uint8_t>(m));
    convert_sub_record(w, kind, d, m);
    take_facts(facts, kind, d, m, serial_fix_mode);
  }
  const size_t n = w.position();
  out[0] = kDatStart;
  out[1] = static_cast<uint8_t>(n);
  out[2] = static_cast<uint8_t>(selector);
  out[3] = 30;
  return w.ok() ? n : 0;
}

}  // namespace d01ozu
