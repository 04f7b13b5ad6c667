// Reading the fields of a legacy frame through the bounds-checked cursor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/byte_cursor.h"

namespace d01ozu {

// A cursor over the fields of a legacy frame (STX up to, not including, the
// checksum and ETX), positioned at frame offset first. Fields that the frame
// does not hold read as 0.
inline ByteCursor frame_fields(const uint8_t* frame, size_t size, size_t first) {
  ByteCursor c(frame, frame && size >= 3 ? size - 3 : 0);
  c.seek(first);
  return c;
}

// Frame byte at offset, or 0 when the frame is shorter.
inline uint8_t frame_byte(const uint8_t* frame, size_t size, size_t offset) {
  return frame && offset < size ? frame[offset] : 0;
}

}  // namespace d01ozu
