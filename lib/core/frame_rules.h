// Framing rules of legacy receiver records (R00 records and the legacy frames
// the container path rebuilds): STX, length, type, payload, big-endian
// byte-sum checksum, ETX.
#pragma once

#include <cstddef>
#include <cstdint>

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
  return (type >= 64 && type <= 67) || type == 74 || type == 75;
}

// Types whose DAT line carries the time of the last epoch (trace lines).
inline bool RecordHasTime(int type) {
  switch (type) {
    case 7:
    case 17:
    case 64:
    case 65:
    case 66:
    case 67:
    case 74:
    case 75:
    case 117:
      return true;
    default:
      return false;
  }
}

}  // namespace d01ozu
