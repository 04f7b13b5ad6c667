#include "records/type5_converter.h"

#include <cstring>

#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "output/dat_fields.h"

namespace d01ozu {

namespace {

using namespace field;

// Raw type-5 pages. Byte 3 is the page number; from frame byte 4 on each page
// is a run of big-endian fields, stored one after the other from structure
// offset 0, multi-byte values little-endian (the host order), so that a page
// is the payload of the binary message record of the same number:
//   page 0: u16; station name 5 bytes; reference kind u8; 4 f64 (reference
//           latitude, longitude, height, antenna height); antenna-height
//           unit, long-name flag and text length n, u8 each; n text bytes
//           (frame byte 47 on, structure offset 43 on, room for 63)
//   page 1: u16; session name 5 bytes; u8; 9 u16; 10 u8; 4 bytes; f64;
//           3 u32; u8
//   page 2: 6 u16; two 12-byte texts; 8 u8; f64; u32; u16; 2 u8
//   page 3: u16; 12 f64 (offsets 2 to 97, in frame order: the five the
//           fixed layout leaves open follow the first seven); 2 u32 (98, 102)
//   page 4: u16; 4 u8; 4 u32          page 5: u16; 2 u8; 6 u32
//   page 6: 2 u16; 4 u32
//   page 7: u16; f64; u16 count n; n byte pairs, copied to offsets 12, 14, ...
//   above 7: nothing, the structure stays zero.
// A page-0 text declared longer than its room is cut to 63 bytes and the
// length byte says 63 (the binary message record shows 51 of them anyway); a
// page-7 list longer than its 47 pairs of room is refused (result 0), as is
// a frame too short for the fields of its page.
constexpr FieldOp kPage0[] = {words(1), copy(5), copy(1), doubles(4), copy(3)};
constexpr FieldOp kPage1[] = {words(1), copy(5),    copy(1),  words(9), copy(10),
                              copy(4),  doubles(1), longs(3), copy(1)};
constexpr FieldOp kPage2[] = {words(6),   copy(12), copy(12), copy(8),
                              doubles(1), longs(1), words(1), copy(2)};
constexpr FieldOp kPage3[] = {words(1), doubles(12), longs(2)};
constexpr FieldOp kPage4[] = {words(1), copy(4), longs(4)};
constexpr FieldOp kPage5[] = {words(1), copy(2), longs(6)};
constexpr FieldOp kPage6[] = {words(2), longs(4)};
constexpr FieldOp kPage7[] = {words(1), doubles(1), words(1)};

struct PageLayout {
  const FieldOp* ops;
  size_t count;
};
constexpr PageLayout kPages[8] = {{kPage0, 5}, {kPage1, 9}, {kPage2, 8}, {kPage3, 3},
                                  {kPage4, 3}, {kPage5, 3}, {kPage6, 2}, {kPage7, 3}};

constexpr size_t kPageOffset = 3;
constexpr size_t kFirstField = 4;
constexpr size_t kTextLengthAt = 42;  // structure offset of the page-0 text length
constexpr size_t kPairCountAt = 10;   // structure offset of the page-7 pair count
constexpr uint8_t kType5 = 5;

// The page-0 text after the fixed fields: what fits is kept.
bool read_page0_text(ByteCursor& in, ByteWriter& w) {
  const size_t declared = w.data()[kTextLengthAt];
  const size_t kept = declared < kType5TextRoom ? declared : kType5TextRoom;
  const uint8_t* text = in.take(declared);
  if (text == nullptr) return false;
  w.bytes(text, kept);
  w.data()[kTextLengthAt] = static_cast<uint8_t>(kept);
  return true;
}

// The page-7 byte pairs after the count (stored little-endian at offset 10).
bool read_page7_pairs(ByteCursor& in, ByteWriter& w) {
  const uint8_t* at = w.data() + kPairCountAt;
  const size_t pairs = static_cast<size_t>(at[0] | at[1] << 8);
  if (pairs > kType5PairRoom) return false;
  const uint8_t* list = in.take(2 * pairs);
  if (list != nullptr) w.bytes(list, 2 * pairs);
  return list != nullptr;
}

}  // namespace

uint16_t ConvertType5(const uint8_t* frame, size_t length, Type5Record& out, uint8_t header[4]) {
  std::memset(&out, 0, sizeof out);
  const uint8_t page = frame_byte(frame, length, kPageOffset);
  ByteCursor in = frame_fields(frame, length, kFirstField);
  ByteWriter w(out.bytes, sizeof out.bytes);
  bool ok = true;
  if (page < 8) ok = convert_fields(in, w, kPages[page].ops, kPages[page].count);
  if (ok && page == 0) ok = read_page0_text(in, w);
  if (ok && page == 7) ok = read_page7_pairs(in, w);
  if (!ok) {
    std::memset(&out, 0, sizeof out);
    return 0;
  }
  header[0] = kDatStart;
  header[1] = static_cast<uint8_t>(length - 3);
  header[2] = page;
  header[3] = kType5;
  return header[1];
}

}  // namespace d01ozu
