// Subtype-19 measurement epochs for tests and benchmarks: a readable
// description of an epoch and its record-35 body in the receiver's
// flattened column form, as a key record or coded against the previous
// epochs as a delta record.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "testdata/record35_writer.h"

namespace writers {

struct Meas {
  int64_t block, track, status, flags, slips, snr, range, phase, doppler;
};
struct Sat {
  int64_t sv, type, antenna, fdma, channel, svflags, geom, iono, az, el;
  std::vector<Meas> meas;
};
struct Epoch {
  int64_t time, week, raim, flags, refsys, clk;
  std::vector<std::pair<int64_t, int64_t>> systems;
  int64_t steer_offset, steer_drift;
  std::vector<Sat> sats;
};

// The writer's schema of subtype 19 (version 5), as the receiver writes it.
std::string sub19_writer_schema();

// The body of epoch e: values (key) or their differences from coder's
// prediction (delta), by the receiver's prediction method of each column.
Bytes sub19_body(const Epoch& e, DeltaCoder& coder, bool key);

}  // namespace writers
