#include "records/record35/native_sub19.h"

#include "core/byte_cursor.h"

namespace d01ozu {

namespace {

constexpr double kSpeedOfLight = 299792458.0;
constexpr int kGlonassType = 2;

// Carrier frequencies (Hz) of the bands of every type but GLONASS, by band.
constexpr double kBandFrequency[] = {1575420000, 1227600000, 1176450000, 1207140000,
                                     1191795000, 1278750000, 1561098000, 1268520000,
                                     1589742000, 0,          9752000000, 2492028000};

const Value& field(const IntermediateRecord& in, int index) {
  return in.root.items.d[index];
}
int64_t column(const IntermediateRecord& in, int index, uint64_t i) {
  return field(in, index).items.d[i].l;
}

// Columns of one count agree with it.
bool columns_fit(const IntermediateRecord& in, int first, int last, uint64_t count) {
  for (int f = first; f <= last; ++f)
    if (field(in, f).items.length != count || field(in, f).items.capacity < count) return false;
  return true;
}

void fill_measurement(const IntermediateRecord& in, uint64_t j, Sub19Measurement* m) {
  m->blockType = static_cast<int32_t>(column(in, k19BlockType, j));
  m->trackType = static_cast<int32_t>(column(in, k19TrackType, j));
  m->trackingStatus = static_cast<int32_t>(column(in, k19TrackingStatus, j));
  m->measFlags = static_cast<int32_t>(column(in, k19MeasFlags, j));
  m->slipCount = static_cast<int32_t>(column(in, k19SlipCount, j));
  m->snr = static_cast<int32_t>(column(in, k19Snr, j));
  m->range = times_pow2(static_cast<double>(column(in, k19Range, j)), -7);
  m->phase = times_pow2(static_cast<double>(column(in, k19Phase, j)), -15);
  m->doppler = times_pow2(static_cast<double>(column(in, k19Doppler, j)), -8);
}

void fill_satellite(const IntermediateRecord& in, uint64_t i, Sub19Satellite* s) {
  s->svId = static_cast<int32_t>(column(in, k19SvId, i));
  s->rt_sattype = static_cast<int32_t>(column(in, k19SatType, i));
  s->antennaNumber = static_cast<int32_t>(column(in, k19AntennaNumber, i));
  s->fdmaChannel = static_cast<int32_t>(column(in, k19FdmaChannel, i));
  s->receiverChannel = static_cast<int32_t>(column(in, k19ReceiverChannel, i));
  s->svFlags = static_cast<int32_t>(column(in, k19SvFlags, i));
  s->geomSlipCount = static_cast<int32_t>(column(in, k19GeomSlips, i));
  s->ionoSlipCount = static_cast<int32_t>(column(in, k19IonoSlips, i));
  s->azimuth = times_pow2(static_cast<double>(column(in, k19Azimuth, i)), -2);
  s->elevation = times_pow2(static_cast<double>(column(in, k19Elevation, i)), -2);
}

void fill_epoch(const IntermediateRecord& in, Sub19Native* n) {
  n->version = in.version;
  n->receiveTime = static_cast<uint32_t>(field(in, k19ReceiveTime).l);
  n->weekNum = static_cast<int32_t>(field(in, k19WeekNum).l);
  n->raimFault = static_cast<int32_t>(field(in, k19RaimFault).l);
  n->flags = static_cast<int32_t>(field(in, k19Flags).l);
  n->referenceSystem = static_cast<int32_t>(field(in, k19ReferenceSystem).l);
  n->clkOffset = times_pow2(static_cast<double>(field(in, k19ClkOffset).l), -19);
  n->steerClkOffsetM = times_pow2(static_cast<double>(field(in, k19SteerClkOffset).l), -18);
  n->steerClkDriftMpS = times_pow2(static_cast<double>(field(in, k19SteerClkDrift).l), -11);
}

bool fill_systems(const IntermediateRecord& in, Sub19Native* n, uint8_t* error) {
  const uint64_t count = static_cast<uint64_t>(field(in, k19Na).l);
  if (!columns_fit(in, k19ClkType, k19SystemClockOffset, count)) {
    *error = kRec35ArrayOverrun;
    return false;
  }
  if (!n->system.reserve(count, error)) return false;
  n->system.length = count;
  for (uint64_t i = 0; i < count; ++i) {
    n->system.d[i].rt_clktype = static_cast<int32_t>(column(in, k19ClkType, i));
    n->system.d[i].systemClockOffset =
        times_pow2(static_cast<double>(column(in, k19SystemClockOffset, i)), -28);
  }
  return true;
}

// The measurements of satellite s start at column index *next.
bool fill_measurements(const IntermediateRecord& in, uint64_t i, uint64_t* next, Sub19Satellite* s,
                       uint8_t* error) {
  const uint64_t count = static_cast<uint64_t>(column(in, k19NbNa, i));
  const uint64_t total = field(in, k19BlockType).items.length;
  if (count > total - *next) {
    *error = kRec35ArrayOverrun;
    return false;
  }
  if (!s->meas.reserve(count, error)) return false;
  s->meas.length = count;
  for (uint64_t j = 0; j < count; ++j) {
    Sub19Measurement* m = &s->meas.d[j];
    fill_measurement(in, *next + j, m);
    const double lambda =
        CarrierWavelength(s->rt_sattype, m->blockType, static_cast<int8_t>(s->fdmaChannel));
    m->range -= lambda * m->phase;
  }
  *next += count;
  return true;
}

uint64_t sum_of(const Value& counts) {
  uint64_t sum = 0;
  for (uint64_t i = 0; i < counts.items.length; ++i)
    sum += static_cast<uint64_t>(counts.items.d[i].l);
  return sum;
}

}  // namespace

double CarrierWavelength(int sattype, int band, int8_t k) {
  double f = 0;
  if (sattype == kGlonassType && band == 0)
    f = 1602000000.0 + k * 562500.0;
  else if (sattype == kGlonassType && band == 1)
    f = 1246000000.0 + k * 437500.0;
  else if (sattype == kGlonassType && band == 9)
    f = 1202025000.0;
  else if (band >= 0 && band < 12)
    f = kBandFrequency[band];
  return f > 0 ? kSpeedOfLight / f : 0;
}

bool BuildSub19Native(const IntermediateRecord& in, Sub19Native* n, uint8_t* error) {
  if (in.root.items.length != k19FieldCount) {
    *error = kRec35DecodeFailed;
    return false;
  }
  fill_epoch(in, n);
  if (!fill_systems(in, n, error)) return false;
  const uint64_t count = static_cast<uint64_t>(field(in, k19Nb).l);
  const uint64_t meas = sum_of(field(in, k19NbNa));
  if (!columns_fit(in, k19SvId, k19Elevation, count) || !columns_fit(in, k19NbNa, k19NbNa, count) ||
      !columns_fit(in, k19BlockType, k19Doppler, meas)) {
    *error = kRec35ArrayOverrun;
    return false;
  }
  if (!n->sv.reserve(count, error)) return false;
  n->sv.length = count;
  uint64_t next = 0;
  for (uint64_t i = 0; i < count; ++i) {
    fill_satellite(in, i, &n->sv.d[i]);
    if (!fill_measurements(in, i, &next, &n->sv.d[i], error)) return false;
  }
  return true;
}

}  // namespace d01ozu
