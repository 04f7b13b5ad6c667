#include "records/newer_type_converter.h"

#include <cstring>

#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "output/dat_layouts.h"

namespace d01ozu {

namespace {

// Layouts of the newer types, the same on the container path as the DAT
// conversions of the legacy path give them:
//   25: by sub-code (byte 3): 0 a long, a word and 29 bytes; 1 two bytes (the
//       second a kind) and the kind's words, bytes or longs; 2 a long, a word,
//       a byte, a flag byte and 28 bytes, then a byte and a long when the flag
//       byte has bit 6. Other sub-codes have no layout.
//   33, 26, 28, 32, 40: byte 3 is the sub-code; the payload from byte 4 to the
//       checksum is carried as the receiver wrote it (the DAT conversion of
//       type 33 copies it, and the other four have no fields of their own).
//       DAT header: 0x74, frame length - 3, sub-code, type.
//   98, 99: as 33, but byte 3 is the high byte of the frame length, and the
//       DAT header carries the record length (frame length - 3) in bytes 1
//       and 2; a payload beyond the structure's room is refused.
constexpr size_t kType25ImageCapacity = 256;
constexpr size_t kPayloadAt = 4;

// The frame's payload copied unchanged; false when it does not fit.
bool copy_payload(const uint8_t* frame, size_t length, NewerTypeRecord& out) {
  ByteCursor in = frame_fields(frame, length, kPayloadAt);
  const size_t n = in.remaining();
  if (!in.ok() || n > kNewerPayloadCapacity) return false;
  in.bytes(out.payload, n);
  out.length = static_cast<uint16_t>(n);
  return true;
}

// Type 25 through its DAT conversion, split into header and payload.
uint16_t convert_type25(const uint8_t* frame, size_t length, NewerTypeRecord& out,
                        uint8_t header[4]) {
  uint8_t image[kType25ImageCapacity];
  const size_t n = build_type25_image(frame, length, image, sizeof image);
  if (n < 4) return 0;
  std::memcpy(header, image, 4);
  std::memcpy(out.payload, image + 4, n - 4);
  out.length = static_cast<uint16_t>(n - 4);
  return static_cast<uint16_t>(n);
}

}  // namespace

uint16_t ConvertNewerType(const uint8_t* frame, size_t length, NewerTypeRecord& out,
                          uint8_t header[4]) {
  out.length = 0;
  const uint8_t type = frame_byte(frame, length, kRawTypeOffset);
  if (type == 25) return convert_type25(frame, length, out, header);
  if (!copy_payload(frame, length, out)) return 0;
  const uint16_t total = static_cast<uint16_t>(out.length + 4);
  const bool long_type = type == 98 || type == 99;
  header[0] = kDatStart;
  header[1] = static_cast<uint8_t>(total);
  header[2] = long_type ? static_cast<uint8_t>(total >> 8) : frame[kRawLengthHighOffset];
  header[3] = type;
  return total;
}

}  // namespace d01ozu
