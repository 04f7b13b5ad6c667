// DAT images of the typed records of the container path. Each builder writes
// the 4-byte header it is given and the record's fields, little-endian, into
// out and returns the image length (0 when it does not fit).
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/expanded_records.h"

namespace d01ozu {

// Type 11: the header, nine doubles, the long, the fix byte, the count c and
// the two lists of c bytes; 82 + 2c bytes.
size_t build_type11_record_image(const uint8_t header[4], const Type11Record& r, uint8_t* out,
                                 size_t capacity);
// Type 27: only the fields that are present (epoch flags, satellite flags and
// measurement flags say which); the system byte gets its top bits back.
size_t build_type27_image(const uint8_t header[4], const Type27Record& r, uint8_t* out,
                          size_t capacity);
// Type 29: the present sections; the length bytes 1 and 2 of the header are
// set to what is written, so the record stays consistent with its length.
size_t build_type29_image(const uint8_t header[4], const Type29Record& r, uint8_t* out,
                          size_t capacity);
// Types 25, 26, 28, 32, 33, 40, 98, 99: the header and the payload as laid out.
size_t build_newer_image(const uint8_t header[4], const NewerTypeRecord& r, uint8_t* out,
                         size_t capacity);

}  // namespace d01ozu
