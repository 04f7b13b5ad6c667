// Framing rules of legacy receiver records (R00 records and the legacy frames
// the container path rebuilds): STX, length, type, payload, big-endian
// byte-sum checksum, ETX.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/record_traits.h"
#include "input/su_compr_common.h"  // byte_sum16

namespace d01ozu {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kDatStart = 0x74;  // 't', first byte of every DAT record

// Total frame length from the first three frame bytes: byte 1, plus 256 for
// types 74, 75 and 117, the only ones that can exceed 255 bytes.
inline int legacy_frame_length(uint8_t length_byte, uint8_t type) {
  return length_byte + ((type == 74 || type == 75 || type == 117) ? 256 : 0);
}

// Types 64 to 67, 74 and 75 carry their own checks; frame checks skip them.
inline bool legacy_frame_unchecked(uint8_t type) {
  return TraitsOf(type).legacy_unchecked;
}

// Types whose DAT line carries the time of the last epoch (trace lines).
inline bool RecordHasTime(int type) {
  return TraitsOf(type).has_time;
}

}  // namespace d01ozu
