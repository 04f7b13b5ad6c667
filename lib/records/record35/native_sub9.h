// The native structure of subtype 9, the nested measurement record. Scales
// as in subtype 19: range and smoothed range 2^-7 m, phase 2^-15 cycles,
// doppler 2^-8 Hz, clock offset 2^-19, clock drift 2^-22, system clock
// offsets 2^-28, azimuth and elevation 2^-2 degrees.
#pragma once

#include <cstdint>

#include "records/record35/dyn_array.h"
#include "records/record35/value_tree.h"

namespace d01ozu {

struct Sub9System {
  int32_t rt_clktype;
  double systemClockOffset;
};

struct Sub9Measurement {
  int32_t blockType, trackType, slipCount, trackingStatus;
  uint32_t measFlags;
  int32_t snr;
  int64_t propagation_count;
  double range, smoothed_range, phase, doppler;
};

struct Sub9Satellite {
  int32_t svId, rt_sattype, antennaNumber, fdmaChannel, receiverChannel, svFlags;
  int32_t geomSlipCount, ionoSlipCount;
  double azimuth, elevation;
  DynArray<Sub9Measurement> meas;
};

struct Sub9Native {
  int64_t version;
  int32_t weekNum;
  uint32_t receiveTime;
  int32_t epochFlags, raimFault, referenceSystem;
  double clkOffset, clkDrift;
  DynArray<Sub9System> system;
  DynArray<Sub9Satellite> sv;
};

// Copies the decoded subtype-9 record into native.
bool BuildSub9Native(const IntermediateRecord& in, Sub9Native* native, uint8_t* error);

// Satellite type 7 becomes 10; first, on satellites 1 to 5 and 17, each
// measurement of band 6 and track type 26 has measFlags bit 0x20 toggled and
// its phase moved by half a cycle (down when the bit was set, else up).
void RewriteSub9System7(Sub9Native* native);

}  // namespace d01ozu
