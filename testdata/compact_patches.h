// Encoders of the compact forms of types 25 (84 full, 85 and 86 against the
// reference of the same sub-code) and 40 (41 against the last type 40).
#pragma once

#include "testdata/frame_writer.h"

namespace writers {

// The type-25 frame under type 84.
Bytes compact_type25_full(const Bytes& type25_frame);

// The record that turns last into next (same sub-code and length): type 85,
// whose first long is coded against 2 x last - previous, or, without
// predict_long, type 86 with patches only. previous is the record before
// last, or last itself when last came as a full record. Empty when the
// lengths or sub-codes differ.
Bytes compact_type25_delta(const Bytes& previous, const Bytes& last, const Bytes& next,
                           bool predict_long);

// The type-41 record that turns the type-40 frame last into next.
Bytes compact_type40_patch(const Bytes& last, const Bytes& next);

}  // namespace writers
