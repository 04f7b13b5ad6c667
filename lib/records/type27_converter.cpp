#include "records/type27_converter.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "records/satellite_systems.h"

namespace d01ozu {

namespace {

// Payload of raw type 27. Every part starts with its own length byte, which
// is stepped over: the structure's lengths are counted from what is read.
constexpr size_t kPayloadStart = 4;
// Scales of the fixed-point fields, as exact powers of two.
constexpr double pow2(int e) {
  return e == 0 ? 1.0 : e < 0 ? pow2(e + 1) / 2 : pow2(e - 1) * 2;
}
constexpr double kClockScale = pow2(-19);      // clock offset S(3, -19)
constexpr double kDriftScale = pow2(-22);      // clock drift S(3, -22)
constexpr double kOffsetScale = pow2(-28);     // system offsets S(n, -28)
constexpr double kPhaseScale = pow2(-15);      // S(6, -15) cycles
constexpr double kDopplerScale = pow2(-8);     // S(3, -8) Hz
constexpr double kDifferenceScale = pow2(-8);  // blocks 1 to 5: S(2, -8) or S(3, -8)
constexpr double kRangeOffset = 33554431.0;

// Epoch flags, satellite flags and measurement flags.
constexpr uint8_t kEpochDrift = 0x02, kEpochExtra = 0x10, kEpochOffsets = 0x20;
constexpr uint8_t kSatelliteFlags2 = 0x80, kSatelliteExtension = 0x01;
constexpr uint8_t kMoreFlags = 0x80;  // flags, flags 2, flags 3: one more byte follows
constexpr uint8_t kDopplerPresent = 0x04;
constexpr uint8_t kRange3Bytes = 0x01, kRangeOffsetAdded = 0x02;  // flags 2

// Structure lengths.
constexpr uint8_t kHeaderLength = 17, kDriftLength = 4, kExtraLength = 1;
constexpr uint8_t kOffsetBlockLength = 3, kOffsetItemLength = 9;
constexpr uint8_t kSatelliteLength = 10, kBlockLength = 27;
constexpr size_t kDatHeaderLength = 4;

// Block-0 pseudorange scale by satellite system: U(4, e).
double range_scale(int system) {
  if (system == 1 || system == 4) return pow2(-6);
  return system == 8 ? pow2(-10) : pow2(-7);
}

// Epoch header and the optional parts its flags announce.
void read_epoch_header(ByteCursor& in, Type27Record& r) {
  in.skip(1);
  r.week = in.be16();
  r.receive_time = static_cast<double>(in.be32());
  r.clock_offset = static_cast<float>(in.sbe(3) * kClockScale);
  r.sv_count = in.u8();
  r.epoch_flags = in.u8();
  r.header_length = kHeaderLength;
  r.clock_drift = 0;
  r.extra = 0;
  r.offset_length = r.offset_nibble = r.offset_count = 0;
  if (r.epoch_flags & kEpochDrift) {
    r.clock_drift = static_cast<float>(in.sbe(3) * kDriftScale);
    r.header_length += kDriftLength;
  }
  if (r.epoch_flags & kEpochExtra) {
    r.extra = in.u8();
    r.header_length += kExtraLength;
  }
  if (!(r.epoch_flags & kEpochOffsets)) return;
  in.skip(1);
  const uint8_t b = in.u8();
  r.offset_nibble = b & 0x0F;
  r.offset_count = (b >> 4) & 0x07;
  r.offset_length = kOffsetBlockLength;
  for (int k = 0; k < r.offset_count; ++k) {
    const uint8_t item = in.u8();
    r.offset_kind[k] = item & 0x0F;
    r.offset_value[k] = in.sbe((item >> 4) & 0x07) * kOffsetScale;
    r.offset_length += kOffsetItemLength;
  }
}

// The satellite header; false when it announces more than 6 blocks.
bool read_satellite_header(ByteCursor& in, Type27Satellite& s) {
  in.skip(1);
  s.sv = in.u8();
  const uint8_t system = in.u8();
  s.system = system & 0x3F;
  s.top_bits = system >> 6;
  if (s.system == kSystemRemapped) {
    s.system = kSystemFixed;
    s.sv = remap_system5_number(s.sv);
  }
  s.channel = in.u8();
  s.block_count = in.u8();
  s.word6 = in.u8();
  s.word8 = static_cast<uint16_t>(in.u8() * 2);
  s.flags = in.u8();
  s.flags2 = 0;
  std::memset(s.extension, 0, sizeof s.extension);
  s.length = kSatelliteLength;
  if (s.flags & kSatelliteFlags2) {
    s.flags2 = in.u8() & 0x7F;
    s.length += 1;
    if (s.flags2 & kSatelliteExtension) {
      in.bytes(s.extension, sizeof s.extension);
      s.length += 3;
    }
  }
  return s.block_count <= kType27BlockCapacity;
}

// The flag bytes of a block. Bytes behind flags 3 are stepped over; they are
// not counted in the block length, which stays the count of bytes the DAT
// image of the block holds.
void read_block_flags(ByteCursor& in, Type27Block& b) {
  b.flags = in.u8();
  b.length = kBlockLength;
  if (!(b.flags & kMoreFlags)) return;
  b.flags2 = in.u8();
  b.length += 1;
  if (!(b.flags2 & kMoreFlags)) return;
  b.flags3 = in.u8();
  b.length += 1;
  if (!(b.flags3 & kMoreFlags)) return;
  while ((in.u8() & kMoreFlags) && in.ok()) {
  }
}

// Measurement block j of a satellite of the given system; the pseudorange
// of blocks 1 to 5 stays the stored difference.
void read_block(ByteCursor& in, Type27Block& b, int j, int system) {
  in.skip(1);
  b.block_type = in.u8();
  b.track_type = in.u8();
  b.strength = in.be16();
  const uint64_t range = j == 0 ? in.be32() : in.be16();
  b.phase = in.sbe(6) * kPhaseScale;
  b.slip_count = in.u8();
  read_block_flags(in, b);
  if (b.flags & kDopplerPresent) b.doppler = static_cast<float>(in.sbe(3) * kDopplerScale);
  if (j == 0) {
    b.pseudorange = static_cast<double>(range) * range_scale(system);
  } else if (b.flags2 & kRange3Bytes) {
    const uint64_t high = in.u8();
    const int64_t v = static_cast<int64_t>(((high << 16 | range) ^ 0x800000u)) - 0x800000;
    b.pseudorange = static_cast<double>(v) * kDifferenceScale;
  } else {
    b.pseudorange = static_cast<int16_t>(range) * kDifferenceScale;
  }
  if (b.flags2 & kRangeOffsetAdded) b.pseudorange += kRangeOffset;
}

// A system-7 satellite's first block of type 6, track 26, on numbers 1 to 5
// and 17 is half a cycle off: bit 6 toggles and the phase moves by 0.5. The
// satellite is system 10 from then on.
void system7_fix(Type27Satellite& s, Type27Block& b) {
  const bool numbered = (s.sv >= 1 && s.sv <= 5) || s.sv == 17;
  if (b.block_type == 6 && b.track_type == 26 && numbered) {
    const bool was_set = (b.flags & 0x40) != 0;
    b.flags ^= 0x40;
    b.phase += was_set ? -0.5 : 0.5;
  }
  s.system = 10;
}

// A satellite and its blocks; false when it cannot be held.
bool read_satellite(ByteCursor& in, const Type27Record& r, Type27Satellite& s) {
  s.blocks[0] = Type27Block{};  // the class filter reads it when there are no blocks
  if (!read_satellite_header(in, s)) return false;
  for (int j = 0; j < s.block_count; ++j) {
    Type27Block& b = s.blocks[j];
    b = Type27Block{};
    read_block(in, b, j, s.system);
    if (j == 0 && s.system == 7) system7_fix(s, b);
    // Without system offsets, satellite 1 of system 0 may carry an L2C range
    // difference wrapped by 256 m.
    const bool wrapped = !(r.epoch_flags & kEpochOffsets) && s.sv == 1 && s.system == 0 &&
                         b.block_type == 2 && b.track_type == 7 && b.pseudorange < -30.0;
    if (wrapped) b.pseudorange += 256.0;
    if (j > 0) b.pseudorange += s.blocks[0].pseudorange;
  }
  if (s.system == 7) s.system = 10;
  return true;
}

// The signal class of a satellite: flags-2 bits 2 to 4 of its first block.
// Classes 0, 4 and 5 are kept.
bool kept_class(const Type27Satellite& s) {
  const int cls = (s.blocks[0].flags2 >> 2) & 0x07;
  return cls == 0 || cls == 4 || cls == 5;
}

// Drops the satellites of other classes; returns how many remain.
int filter_satellites(Type27Record& r) {
  int n = 0;
  for (int i = 0; i < r.sv_count; ++i) {
    if (!kept_class(r.satellites[i])) continue;
    if (n != i) r.satellites[n] = r.satellites[i];
    ++n;
  }
  r.sv_count = static_cast<uint8_t>(n);
  return n;
}

size_t record_length(const Type27Record& r) {
  size_t n = r.header_length + r.offset_length + kDatHeaderLength;
  for (int i = 0; i < r.sv_count; ++i) {
    const Type27Satellite& s = r.satellites[i];
    n += s.length;
    for (int j = 0; j < s.block_count; ++j) n += s.blocks[j].length;
  }
  return n;
}

}  // namespace

void reset_type27_state(Type27State& state) {
  state.have_previous = false;
  std::memset(&state.previous, 0, offsetof(Type27Record, satellites));
  state.previous.sv_count = 0;
  std::memset(state.predictions, 0, sizeof state.predictions);
  state.current = 0;
}

double carrier_frequency(int system, int block_type, int8_t channel) {
  if (system == 2) {
    if (block_type == 0) return 1602000000.0 + channel * 562500.0;
    if (block_type == 1) return 1246000000.0 + channel * 437500.0;
    return block_type == 9 ? 1202025000.0 : 0.0;
  }
  static constexpr double kOther[] = {1575420000.0, 1227600000.0, 1176450000.0, 1207140000.0,
                                      1191795000.0, 1278750000.0, 1561098000.0, 1268520000.0,
                                      1589742000.0, 0.0,          9752000000.0, 2492028000.0};
  if (block_type < 0 || block_type >= static_cast<int>(sizeof kOther / sizeof kOther[0])) return 0;
  return kOther[block_type];
}

uint16_t ConvertType27(const uint8_t* frame, size_t length, Type27State& state, Type27Record& r,
                       uint8_t header[4]) {
  ByteCursor in = frame_fields(frame, length, kPayloadStart);
  read_epoch_header(in, r);
  if (!in.ok() || r.sv_count > kType27SatelliteCapacity) return 0;
  for (int i = 0; i < r.sv_count; ++i)
    if (!read_satellite(in, r, r.satellites[i])) return 0;
  if (!in.ok()) return 0;
  derive_type27_doppler(state, r);
  if (filter_satellites(r) == 0) return 0;
  const size_t n = record_length(r);
  header[0] = kDatStart;
  header[1] = static_cast<uint8_t>(n);
  header[2] = static_cast<uint8_t>(n >> 8);
  header[3] = 27;
  return static_cast<uint16_t>(n);
}

}  // namespace d01ozu
