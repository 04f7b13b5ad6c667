// The field coding of the compact records: a field of width w bytes is
// coded in n bytes. n equal to w: the next w bytes are the new value; n above
// w: refused; else the next n bytes are a big-endian magnitude whose top bit
// is the sign, added to or subtracted from the prediction (n = 0 keeps the
// prediction). Values wrap in the field's width.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/byte_cursor.h"

namespace d01ozu {

// Reads one coded field; false when n is refused or the cursor runs short.
inline bool DecodeDeltaField(ByteCursor& in, unsigned n, uint64_t prediction, size_t width,
                             uint64_t* value) {
  if (n > width) return false;
  *value = prediction;
  if (n == width) {
    *value = in.be(n);
  } else if (n > 0) {
    const uint64_t sign = uint64_t{1} << (8 * n - 1);
    const uint64_t coded = in.be(n);
    *value = (coded & sign) ? prediction - (coded & ~sign) : prediction + coded;
  }
  return in.ok();
}

}  // namespace d01ozu
