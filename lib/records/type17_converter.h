// The legacy type-17 measurement epoch from the container path: made from a
// type-27 epoch (GPS satellites, L1 and one L2 signal by preference), or read
// from raw type 17 with doppler derived against the previous epoch.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/expanded_records.h"

namespace d01ozu {

// L2 preference (-l2e, -l2c, and their "+" forms which take either kind).
enum : int { kL2EOnly = 0, kL2COnly = 1, kL2EFirst = 2, kL2CFirst = 3 };

// Raw type 17 epoch to epoch: the last epoch and one predicted doppler per
// entry position. Zero is the blank state of a new file.
struct Type17State {
  bool have_previous;
  Type17Record previous;
  double predicted[kType17EntryCapacity];
  double next[kType17EntryCapacity];
};

void reset_type17_state(Type17State& state);

// Fills out from the type-27 epoch r and writes the type-17 DAT record
// header; returns the type-17 record length (21 for an epoch without GPS
// satellites).
uint16_t ConvertType27To17(const Type27Record& r, int l2_preference, Type17Record& out,
                           uint8_t header[4]);

// Converts the raw type-17 frame (STX to ETX) into out and the DAT record
// header, derives doppler against the state and advances it. Returns the
// record length, 0 when an entry runs past the frame.
uint16_t ConvertType17(const uint8_t* frame, size_t length, Type17State& state, Type17Record& out,
                       uint8_t header[4]);

}  // namespace d01ozu
