// The native structure of subtype 19, the measurement record: the column
// arrays of the flattened record rebuilt into satellites that own their
// measurements, fixed-point longs widened to doubles.
#pragma once

#include <cstdint>

#include "records/record35/dyn_array.h"
#include "records/record35/value_tree.h"

namespace d01ozu {

struct Sub19System {
  int32_t rt_clktype;
  double systemClockOffset;
};

struct Sub19Measurement {
  int32_t blockType, trackType, trackingStatus, measFlags, slipCount, snr;
  double range;  // metres, less the carrier phase in metres
  double phase;  // cycles
  double doppler;
};

struct Sub19Satellite {
  int32_t svId, rt_sattype, antennaNumber, fdmaChannel, receiverChannel, svFlags;
  int32_t geomSlipCount, ionoSlipCount;
  double azimuth, elevation;  // degrees
  DynArray<Sub19Measurement> meas;
};

struct Sub19Native {
  int64_t version;
  uint32_t receiveTime;
  int32_t weekNum, raimFault, flags, referenceSystem;
  double clkOffset;
  DynArray<Sub19System> system;
  double steerClkOffsetM, steerClkDriftMpS;
  DynArray<Sub19Satellite> sv;
};

// The top-level fields of subtype 19 in schema order.
enum Sub19Field : int {
  k19ReceiveTime,
  k19WeekNum,
  k19RaimFault,
  k19Flags,
  k19ReferenceSystem,
  k19ClkOffset,
  k19Na,
  k19ClkType,
  k19SystemClockOffset,
  k19SteerClkOffset,
  k19SteerClkDrift,
  k19Nb,
  k19SvId,
  k19SatType,
  k19AntennaNumber,
  k19FdmaChannel,
  k19ReceiverChannel,
  k19SvFlags,
  k19GeomSlips,
  k19IonoSlips,
  k19Azimuth,
  k19Elevation,
  k19NbNa,
  k19BlockType,
  k19TrackType,
  k19TrackingStatus,
  k19MeasFlags,
  k19SlipCount,
  k19Snr,
  k19Range,
  k19Phase,
  k19Doppler,
  k19FieldCount,
};

// Rebuilds the nesting of the decoded columns into native. A column whose
// length differs from its count gives error 20.
bool BuildSub19Native(const IntermediateRecord& in, Sub19Native* native, uint8_t* error);

// The carrier wavelength in metres of band on a satellite of sattype and
// frequency channel k; 0 when the band has no frequency there.
double CarrierWavelength(int sattype, int band, int8_t k);

}  // namespace d01ozu
