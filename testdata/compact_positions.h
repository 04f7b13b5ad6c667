// Encoders of the compact position records: full records (54, 56) and delta
// records (55, 57) made from framed type-11 and type-29 records.
#pragma once

#include <cstdint>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

// The legacy frame (type 11 or 29) under its compact full type (54 or 56).
Bytes compact_position_full(const Bytes& legacy_frame);

// The delta record (55 or 57) that turns last into next, coded against the
// prediction from previous and last. Empty when next differs from last
// outside the predicted fields or in length: then only a full record will do.
Bytes compact_position_delta(const Bytes& previous, const Bytes& last, const Bytes& next);

// Appends to data the bytes that code value against prediction in a field of
// width bytes, and sets *nibble to their count (width: the value itself).
void code_delta_field(uint64_t value, uint64_t prediction, size_t width, uint8_t* nibble,
                      Bytes& data);

}  // namespace writers
