#include "records/record35/native_sub9.h"

#include "core/byte_cursor.h"

namespace d01ozu {

namespace {

// Field positions in the subtype-9 schema.
enum { kEpoch, kClock, kSv };
enum { kEpochWeek, kEpochTime, kEpochFlags, kEpochRaim };
enum { kClockReference, kClockOffset, kClockDrift, kClockSystem };
enum {
  kSvId,
  kSvType,
  kSvAntenna,
  kSvFdma,
  kSvChannel,
  kSvFlags,
  kSvGeom,
  kSvIono,
  kSvAzimuth,
  kSvElevation,
  kSvMeas
};
enum {
  kMBand,
  kMTrack,
  kMSlips,
  kMStatus,
  kMFlags,
  kMSnr,
  kMPropagation,
  kMRange,
  kMSmoothed,
  kMPhase,
  kMDoppler
};

int64_t at(const Value& record, int index) {
  return record.items.d[index].l;
}
int32_t at32(const Value& record, int index) {
  return static_cast<int32_t>(at(record, index));
}
double scaled(const Value& record, int index, int e) {
  return times_pow2(static_cast<double>(at(record, index)), e);
}

void fill_measurement(const Value& m, Sub9Measurement* out) {
  out->blockType = at32(m, kMBand);
  out->trackType = at32(m, kMTrack);
  out->slipCount = at32(m, kMSlips);
  out->trackingStatus = at32(m, kMStatus);
  out->measFlags = static_cast<uint32_t>(at(m, kMFlags));
  out->snr = at32(m, kMSnr);
  out->propagation_count = at(m, kMPropagation);
  out->range = scaled(m, kMRange, -7);
  out->smoothed_range = scaled(m, kMSmoothed, -7);
  out->phase = scaled(m, kMPhase, -15);
  out->doppler = scaled(m, kMDoppler, -8);
}

bool fill_satellite(const Value& s, Sub9Satellite* out, uint8_t* error) {
  out->svId = at32(s, kSvId);
  out->rt_sattype = at32(s, kSvType);
  out->antennaNumber = at32(s, kSvAntenna);
  out->fdmaChannel = at32(s, kSvFdma);
  out->receiverChannel = at32(s, kSvChannel);
  out->svFlags = at32(s, kSvFlags);
  out->geomSlipCount = at32(s, kSvGeom);
  out->ionoSlipCount = at32(s, kSvIono);
  out->azimuth = scaled(s, kSvAzimuth, -2);
  out->elevation = scaled(s, kSvElevation, -2);
  const Value& meas = s.items.d[kSvMeas];
  if (!out->meas.reserve(meas.items.length, error)) return false;
  out->meas.length = meas.items.length;
  for (uint64_t j = 0; j < meas.items.length; ++j)
    fill_measurement(meas.items.d[j], &out->meas.d[j]);
  return true;
}

void fill_clock(const Value& clock, Sub9Native* n) {
  n->referenceSystem = at32(clock, kClockReference);
  n->clkOffset = scaled(clock, kClockOffset, -19);
  n->clkDrift = scaled(clock, kClockDrift, -22);
}

}  // namespace

bool BuildSub9Native(const IntermediateRecord& in, Sub9Native* n, uint8_t* error) {
  const Value& epoch = in.root.items.d[kEpoch];
  const Value& clock = in.root.items.d[kClock];
  const Value& systems = clock.items.d[kClockSystem];
  const Value& svs = in.root.items.d[kSv];
  n->version = in.version;
  n->weekNum = at32(epoch, kEpochWeek);
  n->receiveTime = static_cast<uint32_t>(at(epoch, kEpochTime));
  n->epochFlags = at32(epoch, kEpochFlags);
  n->raimFault = at32(epoch, kEpochRaim);
  fill_clock(clock, n);
  if (!n->system.reserve(systems.items.length, error)) return false;
  n->system.length = systems.items.length;
  for (uint64_t i = 0; i < systems.items.length; ++i) {
    n->system.d[i].rt_clktype = at32(systems.items.d[i], 0);
    n->system.d[i].systemClockOffset = scaled(systems.items.d[i], 1, -28);
  }
  if (!n->sv.reserve(svs.items.length, error)) return false;
  n->sv.length = svs.items.length;
  for (uint64_t i = 0; i < svs.items.length; ++i)
    if (!fill_satellite(svs.items.d[i], &n->sv.d[i], error)) return false;
  return true;
}

void RewriteSub9System7(Sub9Native* n) {
  for (uint64_t i = 0; i < n->sv.length; ++i) {
    Sub9Satellite& s = n->sv.d[i];
    if (s.rt_sattype != 7) continue;
    const bool adjusted = (s.svId >= 1 && s.svId <= 5) || s.svId == 17;
    for (uint64_t j = 0; adjusted && j < s.meas.length; ++j) {
      Sub9Measurement& m = s.meas.d[j];
      if (m.blockType != 6 || m.trackType != 26) continue;
      m.phase += (m.measFlags & 0x20) ? -0.5 : 0.5;
      m.measFlags ^= 0x20;
    }
    s.rt_sattype = 10;
  }
}

}  // namespace d01ozu
