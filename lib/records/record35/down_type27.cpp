// Measurement records into the type-27 epoch. Subtype 19 maps as follows,
// and subtype 9 the same way from its own members, with two differences:
// its clock drift (clkDrift) is carried (epoch flag bit 1, header length 22)
// and its epochFlags are not used.
//   header: length 18, week <- weekNum, receive time <- receiveTime
//     (unsigned 32-bit), clock offset <- clkOffset, drift 0, extra byte <-
//     raimFault; flags 0x70 when the first satellite's svFlags has bit 5,
//     else 0x30; offset block: up to 8 systems, nibble <- referenceSystem (0
//     above 15), kind <- rt_clktype, value <- systemClockOffset.
//   satellites (at most 116) whose first measurement has measFlags bit 10:
//     number <- svId, system <- rt_sattype, top bits <- antennaNumber AND 3,
//     channel <- fdmaChannel (type 2) or receiverChannel, words 6 and 8 <-
//     elevation and azimuth rounded, extension <- the two slip counts;
//     flags from measFlags bit 7 and svFlags bits 4, 3, 1 and 2.
//   measurements (at most 6) with measFlags bit 10: flags, flags 2 and
//     flags 3 from the measFlags bits, as the comments below give them.
#include <cmath>

#include "records/record35/down_conversion.h"

namespace d01ozu {

namespace {

constexpr uint32_t kTaken = 0x400;  // measFlags bit 10: the measurement is usable
constexpr double kLongRange = 33554431.0;
constexpr double kNearRange = 100.0;

uint16_t rounded(double v) {
  return static_cast<uint16_t>(static_cast<int16_t>(std::lround(v)));
}

// Measurement flags, flags 2 and flags 3 from measFlags; the block grows by
// one byte per further flags byte.
template <typename Meas>
void fill_block_flags(const Meas& m, int sattype, double first_range, Type27Block* b) {
  const uint32_t f = static_cast<uint32_t>(m.measFlags);
  b->flags = 0x03 | (f & 0x02 ? 0x04 : 0) | (f & 0x100 ? 0x08 : 0) | (f & 0x08 ? 0x20 : 0) |
             (f & 0x10 ? 0x40 : 0);
  b->flags2 = 0;
  if ((f & 0x200) && sattype != 1 && sattype != 4 && m.range > kLongRange) b->flags2 |= 0x02;
  if (!(f & 0x200) && std::fabs(m.range - first_range) < kNearRange) b->flags2 |= 0x01;
  b->flags3 = (f & 0x40 ? 0x04 : 0) | (f & 0x800 ? 0x08 : 0) | (f & 0x1000 ? 0x10 : 0) |
              (f & 0x2000 ? 0x20 : 0) | (f & 0x4000 ? 0x40 : 0);
  b->length = 27;
  if (b->flags2) b->flags |= 0x80, b->length = 28;
  if (b->flags3) b->flags |= 0x80, b->flags2 |= 0x80, b->length = 29;
}

// The taken measurements of s; returns the bytes of their blocks.
template <typename Sat>
size_t fill_blocks(const Sat& s, Type27Satellite* out) {
  size_t bytes = 0;
  int taken = 0;
  for (uint64_t j = 0; j < s.meas.length && taken < kType27BlockCapacity; ++j) {
    const auto& m = s.meas.d[j];
    if (!(static_cast<uint32_t>(m.measFlags) & kTaken)) continue;
    Type27Block* b = &out->blocks[taken++];
    *b = Type27Block{};
    b->block_type = static_cast<uint8_t>(m.blockType);
    b->track_type = static_cast<uint8_t>(m.trackType);
    b->strength = static_cast<uint16_t>(m.snr);
    b->pseudorange = m.range;
    b->phase = m.phase;
    b->doppler = static_cast<float>(m.doppler);
    b->slip_count = static_cast<uint8_t>(m.slipCount);
    fill_block_flags(m, s.rt_sattype, s.meas.d[0].range, b);
    bytes += b->length;
  }
  out->block_count = static_cast<uint8_t>(taken);
  return bytes;
}

template <typename Sat>
void fill_satellite(const Sat& s, Type27Satellite* out) {
  const uint32_t first = static_cast<uint32_t>(s.meas.d[0].measFlags);
  const uint32_t sv = static_cast<uint32_t>(s.svFlags);
  out->length = 10;
  out->sv = static_cast<uint8_t>(s.svId);
  out->system = static_cast<uint8_t>(s.rt_sattype);
  out->top_bits = static_cast<uint8_t>(s.antennaNumber & 3);
  out->channel = static_cast<uint8_t>(s.rt_sattype == 2 ? s.fdmaChannel : s.receiverChannel);
  out->word6 = rounded(s.elevation);
  out->word8 = rounded(s.azimuth);
  out->extension[0] = static_cast<uint8_t>(s.geomSlipCount);
  out->extension[1] = static_cast<uint8_t>(s.ionoSlipCount);
  out->extension[2] = 0;
  out->flags = (first & 0x80 ? 0x02 : 0) | (sv & 0x10 ? 0x04 : 0) | (sv & 0x08 ? 0x08 : 0) |
               (sv & 0x02 ? 0x10 : 0) | (sv & 0x04 ? 0x20 : 0);
  out->flags2 = 0;
  if (s.geomSlipCount != 0 || s.ionoSlipCount != 0) {
    out->flags |= 0x80;
    out->flags2 = 1;
    out->length = 14;
  }
}

// Satellites in order; returns the bytes of their blocks.
template <typename Native>
size_t fill_satellites(const Native& n, Type27Record* out) {
  size_t bytes = 0;
  int count = 0;
  for (uint64_t i = 0; i < n.sv.length && count < kType27SatelliteCapacity; ++i) {
    const auto& s = n.sv.d[i];
    if (s.meas.length == 0 || !(static_cast<uint32_t>(s.meas.d[0].measFlags) & kTaken)) continue;
    Type27Satellite* sat = &out->satellites[count++];
    fill_satellite(s, sat);
    bytes += sat->length + fill_blocks(s, sat);
  }
  out->sv_count = static_cast<uint8_t>(count);
  return bytes;
}

// Epoch flags, offset block and the fields both subtypes share.
template <typename Native>
void fill_header(const Native& n, Type27Record* out) {
  const bool flagged = n.sv.length > 0 && (static_cast<uint32_t>(n.sv.d[0].svFlags) & 0x20);
  out->header_length = 18;
  out->week = static_cast<uint16_t>(n.weekNum);
  out->receive_time = static_cast<double>(n.receiveTime);
  out->clock_offset = static_cast<float>(n.clkOffset);
  out->clock_drift = 0;
  out->extra = static_cast<uint8_t>(n.raimFault);
  out->epoch_flags = flagged ? 0x70 : 0x30;
  const uint64_t items =
      n.system.length < kType27OffsetItems ? n.system.length : kType27OffsetItems;
  out->offset_count = static_cast<uint8_t>(items);
  out->offset_length = static_cast<uint8_t>(3 + 9 * items);
  out->offset_nibble = n.referenceSystem >= 0 && n.referenceSystem <= 15
                           ? static_cast<uint8_t>(n.referenceSystem)
                           : 0;
  for (uint64_t i = 0; i < items; ++i) {
    out->offset_kind[i] = static_cast<uint8_t>(n.system.d[i].rt_clktype);
    out->offset_value[i] = n.system.d[i].systemClockOffset;
  }
}

template <typename Native>
size_t convert(const Native& n, Type27Record* out) {
  fill_header(n, out);
  return out->header_length + out->offset_length + 4 + fill_satellites(n, out);
}

}  // namespace

size_t Sub19ToType27(const Sub19Native& n, Type27Record* out) {
  return convert(n, out);
}

size_t Sub9ToType27(const Sub9Native& n, Type27Record* out) {
  fill_header(n, out);
  out->clock_drift = static_cast<float>(n.clkDrift);
  out->epoch_flags |= 0x02;
  out->header_length = 22;
  return out->header_length + out->offset_length + 4 + fill_satellites(n, out);
}

}  // namespace d01ozu
