// A scaled fixed-point field of a receiver record, for the layout tables of
// the converters: an n-byte big-endian integer, signed or unsigned, x 2^e.
#pragma once

#include <cstdint>

#include "core/byte_cursor.h"

namespace d01ozu {

struct ScaledField {
  uint8_t width;
  bool is_signed;
  int8_t exponent;
};

// Reads the field (0 when the cursor runs short).
inline double read_scaled_field(ByteCursor& in, const ScaledField& f) {
  return f.is_signed ? in.scaled_s(f.width, f.exponent) : in.scaled_u(f.width, f.exponent);
}

}  // namespace d01ozu
