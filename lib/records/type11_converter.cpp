#include "records/type11_converter.h"

#include <cstring>

#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "records/scaled_field.h"

namespace d01ozu {

namespace {

// Raw type 11, frame offsets from the STX (the record has no status byte:
// byte 3 already belongs to the first value):
//    3  value 1   S(4, -31)         25  value 7   S(4, -44)
//    7  value 2   S(4, -30)         29  value 8   S(4, -32)
//   11  value 3   S(4, -12)         33  value 9   S(4, -21)
//   15  value 4   S(4, -9)          37  u32
//   19  value 5   S(4, -17)         41  fix byte
//   23  value 6   U(2, -3)          42  satellite count n
//   43  first list (n bytes), then the second list (n bytes)
//   43 + 2n, 44 + 2n: refinement bytes S(1, -39) and S(1, -38), added to
//   values 1 and 2, present when the frame is longer than 2n + 46 bytes (a
//   frame of 2n + 47 bytes, one short of holding both, is refused).
// S(n, e) / U(n, e): n-byte big-endian signed / unsigned integer x 2^e.
constexpr ScaledField kValues[9] = {{4, true, -31}, {4, true, -30}, {4, true, -12},
                                    {4, true, -9},  {4, true, -17}, {2, false, -3},
                                    {4, true, -44}, {4, true, -32}, {4, true, -21}};
constexpr size_t kFirstValueOffset = 3;
constexpr size_t kRefinedFrameBase = 46;  // frame length without refinement, plus 2n
constexpr int kRefineExponent1 = -39;
constexpr int kRefineExponent2 = -38;
constexpr uint8_t kType11 = 11;

}  // namespace

uint16_t PutType11Header(uint8_t count, uint8_t header[4]) {
  const uint16_t length = static_cast<uint16_t>((count + 41) * 2);
  header[0] = kDatStart;
  header[1] = static_cast<uint8_t>(length);
  header[2] = static_cast<uint8_t>(length >> 8);
  header[3] = kType11;
  return length;
}

// A count above the list room is refused: the record then goes to the legacy
// path, whose type-11 conversion writes both lists whole from the frame.
uint16_t ConvertType11(const uint8_t* frame, size_t length, Type11Record& out, uint8_t header[4]) {
  std::memset(&out, 0, sizeof out);
  ByteCursor in = frame_fields(frame, length, kFirstValueOffset);
  for (size_t i = 0; i < 9; ++i) out.values[i] = read_scaled_field(in, kValues[i]);

  out.word = in.be32();
  out.fix_byte = in.u8();
  const uint8_t n = in.u8();
  if (!in.ok() || n > kType11ListCapacity) return 0;
  out.count = n;
  in.bytes(out.first_list, n);
  in.bytes(out.second_list, n);
  if (length > kRefinedFrameBase + 2u * n) {
    out.values[0] += in.scaled_s(1, kRefineExponent1);
    out.values[1] += in.scaled_s(1, kRefineExponent2);
  }
  if (!in.ok()) return 0;
  return PutType11Header(n, header);
}

}  // namespace d01ozu
