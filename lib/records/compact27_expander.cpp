#include "records/compact27_expander.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "core/byte_cursor.h"
#include "core/frame_rules.h"
#include "records/delta_field.h"
#include "records/type27_converter.h"

namespace d01ozu {

namespace {

constexpr size_t kHeaderSize = 4;
constexpr uint8_t kType27 = 27;
constexpr uint8_t kEpochDrift = 0x02, kEpochExtra = 0x10, kEpochOffsets = 0x20;
constexpr uint8_t kMoreFlags = 0x80, kDopplerPresent = 0x04;
constexpr uint8_t kRange3Bytes = 0x01, kRangeOffsetAdded = 0x02;
constexpr double kRangeOffset = 33554431.0;
constexpr double kLightSpeed = 299792458.0;

uint64_t mask(int bytes) {
  return bytes >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * bytes)) - 1;
}
int64_t sign_extend(uint64_t v, int bytes) {
  const uint64_t sign = uint64_t{1} << (8 * bytes - 1);
  return static_cast<int64_t>(((v & mask(bytes)) ^ sign) - sign);
}

// Width in bytes of a block's pseudorange field.
int range_width(const CompactBlock& b, int j) {
  if (j == 0) return 4;
  return (b.flags2 & kRange3Bytes) ? 3 : 2;
}

// ---- The epoch as sent: parsing and writing the type-27 payload ----

bool parse_flags(ByteCursor& in, CompactBlock& b) {
  b.flags = in.u8();
  b.flags2 = (b.flags & kMoreFlags) ? in.u8() : 0;
  b.flags3 = (b.flags2 & kMoreFlags) ? in.u8() : 0;
  b.further_count = 0;
  bool more = (b.flags3 & kMoreFlags) != 0;
  while (more && in.ok()) {
    if (b.further_count == kCompactFurtherFlags) return false;
    const uint8_t x = in.u8();
    b.further[b.further_count++] = x;
    more = (x & kMoreFlags) != 0;
  }
  return true;
}

bool parse_block(ByteCursor& in, CompactBlock& b, int j) {
  in.skip(1);
  b.type = in.u8();
  b.track = in.u8();
  b.strength = in.be16();
  b.range = static_cast<uint32_t>(in.be(j == 0 ? 4 : 2));
  b.phase = in.be48();
  b.slip = in.u8();
  if (!parse_flags(in, b)) return false;
  b.doppler = (b.flags & kDopplerPresent) ? in.be24() : 0;
  if (j > 0 && (b.flags2 & kRange3Bytes)) b.range |= uint32_t{in.u8()} << 16;
  return true;
}

bool parse_satellite(ByteCursor& in, CompactSatellite& s) {
  in.skip(1);
  s.sv = in.u8();
  s.system = in.u8();
  s.channel = in.u8();
  s.block_count = in.u8();
  s.b6 = in.u8();
  s.b8 = in.u8();
  s.flags = in.u8();
  s.flags2 = (s.flags & 0x80) ? in.u8() : 0;
  if ((s.flags & 0x80) && (s.flags2 & 0x01)) in.bytes(s.extension, 3);
  if (s.block_count > kCompactBlocks) return false;
  for (int j = 0; j < s.block_count; ++j)
    if (!parse_block(in, s.blocks[j], j)) return false;
  return true;
}

void parse_header(ByteCursor& in, EpochFields& e) {
  in.skip(1);
  e.week = in.be16();
  e.time = in.be32();
  e.clock = in.be24();
  e.sv_count = in.u8();
  e.flags = in.u8();
  e.drift = (e.flags & kEpochDrift) ? in.be24() : 0;
  e.extra = (e.flags & kEpochExtra) ? in.u8() : 0;
  e.offset_byte = 0;
  if (!(e.flags & kEpochOffsets)) return;
  in.skip(1);
  e.offset_byte = in.u8();
  for (int k = 0; k < ((e.offset_byte >> 4) & 0x07); ++k) {
    e.offset_item[k] = in.u8();
    e.offset_value[k] = in.be((e.offset_item[k] >> 4) & 0x07);
  }
}

// The payload (from frame byte 4) into e; false when it does not fit.
bool parse_epoch(ByteCursor& in, EpochFields& e) {
  parse_header(in, e);
  if (!in.ok() || e.sv_count > kCompactSatellites) return false;
  for (int i = 0; i < e.sv_count; ++i)
    if (!parse_satellite(in, e.satellites[i])) return false;
  return in.ok();
}

// Writes a part led by its length byte: the bytes written after it, plus 1.
struct LengthByte {
  ByteWriter& w;
  uint8_t* at;
  size_t start;
  explicit LengthByte(ByteWriter& writer) : w(writer), at(w.reserve(1)), start(w.position()) {}
  ~LengthByte() {
    if (at) *at = static_cast<uint8_t>(w.position() - start + 1);
  }
};

void put_be(ByteWriter& w, uint64_t v, int bytes) {
  if (uint8_t* p = w.reserve(static_cast<size_t>(bytes)))
    store_be(p, static_cast<size_t>(bytes), v);
}

void write_block(ByteWriter& w, const CompactBlock& b, int j) {
  LengthByte length(w);
  w.u8(b.type);
  w.u8(b.track);
  put_be(w, b.strength, 2);
  put_be(w, b.range, j == 0 ? 4 : 2);
  put_be(w, b.phase, 6);
  w.u8(b.slip);
  w.u8(b.flags);
  if (b.flags & kMoreFlags) w.u8(b.flags2);
  if (b.flags2 & kMoreFlags) w.u8(b.flags3);
  if (b.flags3 & kMoreFlags) w.bytes(b.further, b.further_count);
  if (b.flags & kDopplerPresent) put_be(w, b.doppler, 3);
  if (j > 0 && (b.flags2 & kRange3Bytes)) w.u8(static_cast<uint8_t>(b.range >> 16));
}

void write_satellite(ByteWriter& w, const CompactSatellite& s) {
  {
    LengthByte length(w);
    for (uint8_t x : {s.sv, s.system, s.channel, s.block_count, s.b6, s.b8, s.flags}) w.u8(x);
    if (s.flags & 0x80) w.u8(s.flags2);
    if ((s.flags & 0x80) && (s.flags2 & 0x01)) w.bytes(s.extension, 3);
  }
  for (int j = 0; j < s.block_count; ++j) write_block(w, s.blocks[j], j);
}

void write_epoch(ByteWriter& w, const EpochFields& e) {
  {
    LengthByte length(w);
    put_be(w, e.week, 2);
    put_be(w, e.time, 4);
    put_be(w, e.clock, 3);
    w.u8(e.sv_count);
    w.u8(e.flags);
    if (e.flags & kEpochDrift) put_be(w, e.drift, 3);
    if (e.flags & kEpochExtra) w.u8(e.extra);
  }
  if (e.flags & kEpochOffsets) {
    LengthByte length(w);
    w.u8(e.offset_byte);
    for (int k = 0; k < ((e.offset_byte >> 4) & 0x07); ++k) {
      w.u8(e.offset_item[k]);
      put_be(w, e.offset_value[k], (e.offset_item[k] >> 4) & 0x07);
    }
  }
  for (int i = 0; i < e.sv_count; ++i) write_satellite(w, e.satellites[i]);
}

// Copies the header and the satellites in use.
void copy_epoch(EpochFields& to, const EpochFields& from) {
  std::memcpy(&to, &from,
              offsetof(EpochFields, satellites) + from.sv_count * sizeof(CompactSatellite));
}

// ---- References ----

uint64_t linear(uint64_t now, uint64_t before, int bytes) {
  return (2 * now - before) & mask(bytes);
}

// The reference advances to e: the predicted epoch continues the last two
// linearly in time, clock offset, pseudorange, phase and doppler.
void advance(EpochReferences& refs, const EpochFields& e) {
  EpochFields& p = refs.predicted;
  const EpochFields& old = refs.last;
  copy_epoch(p, e);
  p.time = static_cast<uint32_t>(linear(e.time, old.time, 4));
  p.clock = static_cast<uint32_t>(linear(e.clock, old.clock, 3));
  for (int i = 0; i < e.sv_count; ++i)
    for (int j = 0; j < e.satellites[i].block_count; ++j) {
      CompactBlock& b = p.satellites[i].blocks[j];
      const CompactBlock& was = old.satellites[i].blocks[j];
      b.range = static_cast<uint32_t>(linear(b.range, was.range, 4));
      b.phase = linear(b.phase, was.phase, 6);
      b.doppler = static_cast<uint32_t>(linear(b.doppler, was.doppler, 3));
    }
  copy_epoch(refs.last, e);
}

// ---- Pseudorange projection ----

int range_exponent(int system) {
  if (system == 1 || system == 4) return -6;
  return system == 8 ? -10 : -7;
}

// The pseudorange of block j as the type-27 converter reads it, before the
// range of block 0 is added to the difference of blocks 1 to 5.
double range_value(const CompactBlock& b, int j, int system) {
  const int width = range_width(b, j);
  double v = j == 0 ? std::ldexp(static_cast<double>(b.range), range_exponent(system))
                    : std::ldexp(static_cast<double>(sign_extend(b.range, width)), -8);
  if (b.flags2 & kRangeOffsetAdded) v += kRangeOffset;
  return v;
}

double phase_value(const CompactBlock& b) {
  return std::ldexp(static_cast<double>(sign_extend(b.phase, 6)), -15);
}

// Stores value in block j's field, rounded half away from zero; false when
// it does not fit (the field then keeps what it holds). Block 0 of systems
// other than 1 and 4 carries ranges above 33554431 less that offset, which
// its flags 2 bit 1 must announce.
bool store_range(CompactBlock& b, int j, int system, double value) {
  const bool offset_rule = j == 0 && system != 1 && system != 4;
  const bool flagged = (b.flags2 & kRangeOffsetAdded) != 0;
  if (offset_rule && (value > kRangeOffset) != flagged) return false;
  if (flagged) value -= kRangeOffset;
  const int width = range_width(b, j);
  const double scaled = std::ldexp(value, j == 0 ? -range_exponent(system) : 8);
  const double low = j == 0 ? 0.0 : -std::ldexp(1.0, 8 * width - 1);
  const double high = j == 0 ? 4294967295.0 : std::ldexp(1.0, 8 * width - 1) - 1;
  const double rounded = std::round(scaled);
  if (!(rounded >= low && rounded <= high)) return false;
  b.range =
      static_cast<uint32_t>(static_cast<int64_t>(rounded) & static_cast<int64_t>(mask(width)));
  return true;
}

// Block j of satellite i: the pseudorange of the last epoch moved by the
// phase change over the carrier wavelength; blocks 1 to 5 store it as the
// difference to this epoch's block 0. A signal without a carrier frequency
// keeps the reference's pseudorange.
void project_range(const EpochFields& last, CompactSatellite& s, int i, int j) {
  const int system = s.system & 0x3F;
  const CompactSatellite& ls = last.satellites[i];
  CompactBlock& b = s.blocks[j];
  const double f = carrier_frequency(system, b.type, static_cast<int8_t>(s.channel));
  if (f == 0.0) return;
  double p0 = range_value(ls.blocks[j], j, system);
  if (j > 0) p0 += range_value(ls.blocks[0], 0, system);
  double p1 = p0 - kLightSpeed / f * (phase_value(b) - phase_value(ls.blocks[j]));
  if (j > 0) p1 -= range_value(s.blocks[0], 0, system);
  store_range(b, j, system, p1);
}

// ---- Field codes ----

// DeltaField: n bytes of sign and magnitude against value, or w bytes of
// the value itself when n = w, wrapped to w bytes; false when n exceeds w.
bool delta_field(ByteCursor& in, int w, int n, uint64_t& value) {
  if (n < 0 || n > w) return false;
  uint64_t decoded = value;
  DecodeDeltaField(in, static_cast<unsigned>(n), value, static_cast<size_t>(w), &decoded);
  value = decoded & mask(w);
  return true;
}

// A zigzag varint change applied to value in w bytes; false when longer
// than 10 bytes.
bool varint_field(ByteCursor& in, int w, uint64_t& value) {
  uint64_t v = 0;
  for (int k = 0; k < 10; ++k) {
    const uint8_t b = in.u8();
    v |= uint64_t{b & 0x7Fu} << (7 * k);
    if (!(b & 0x80)) {
      value = (value + ((v >> 1) ^ (~(v & 1) + 1))) & mask(w);
      return true;
    }
  }
  return false;
}

template <typename T>
bool delta_into(ByteCursor& in, int w, int n, T& field) {
  uint64_t v = field;
  const bool ok = delta_field(in, w, n, v);
  field = static_cast<T>(v);
  return ok;
}

template <typename T>
bool varint_into(ByteCursor& in, int w, T& field) {
  uint64_t v = field;
  const bool ok = varint_field(in, w, v);
  field = static_cast<T>(v);
  return ok;
}

// Type 39: the parts after the header, coded against the predicted epoch
// already in e.
bool read_type39(ByteCursor& in, const EpochFields& last, EpochFields& e) {
  const uint8_t control = in.u8();
  if (control & 0x80) {
    e.week = in.be16();
    e.time = in.be32();
  } else {
    e.time += 10u * in.u8();
  }
  bool ok = delta_into(in, 3, (control >> 5) & 0x03, e.clock);
  if (e.flags & kEpochDrift) ok = ok && delta_into(in, 3, (control >> 3) & 0x03, e.drift);
  for (int i = 0; i < e.sv_count && ok; ++i) {
    CompactSatellite& s = e.satellites[i];
    for (int j = 0; j < s.block_count && ok; ++j) {
      CompactBlock& b = s.blocks[j];
      const uint8_t c = in.u8();
      ok = delta_into(in, 6, (c >> 5) & 0x07, b.phase);
      project_range(last, s, i, j);
      if (ok && (b.flags & kDopplerPresent)) ok = delta_into(in, 3, (c >> 3) & 0x03, b.doppler);
    }
  }
  return ok;
}

// Types 36 and 37: varint changes against the reference epoch already in e.
bool read_varints(ByteCursor& in, const EpochFields& last, EpochFields& e) {
  bool ok = varint_into(in, 2, e.week) && varint_into(in, 4, e.time) && varint_into(in, 3, e.clock);
  if (e.flags & kEpochDrift) ok = ok && varint_into(in, 3, e.drift);
  for (int i = 0; i < e.sv_count && ok; ++i) {
    CompactSatellite& s = e.satellites[i];
    for (int j = 0; j < s.block_count && ok; ++j) {
      CompactBlock& b = s.blocks[j];
      ok = varint_into(in, 6, b.phase);
      project_range(last, s, i, j);
      if (ok && (b.flags & kDopplerPresent)) ok = varint_into(in, 3, b.doppler);
    }
  }
  return ok;
}

// Frames e as a type-27 record with the check value given; its length.
size_t frame_epoch(const EpochFields& e, uint8_t stx, uint8_t check_high, uint8_t check_low,
                   uint8_t* out, size_t capacity) {
  ByteWriter w(out, capacity);
  w.u8(stx);
  w.zeros(3);
  write_epoch(w, e);
  w.u8(check_high);
  w.u8(check_low);
  w.u8(kEtx);
  if (!w.ok()) return 0;
  const size_t n = w.position();
  out[kRawLengthOffset] = static_cast<uint8_t>(n);
  out[kRawTypeOffset] = kType27;
  out[kRawLengthHighOffset] = static_cast<uint8_t>(n >> 8);
  return n;
}

// Type 38: the record itself, with its length grown by the end byte and the
// check value put where its last two bytes were.
uint8_t expand_type38(const uint8_t* raw, size_t raw_length, uint8_t* out, size_t capacity,
                      EpochReferences& refs, ExpandedEpoch* result) {
  reset_epoch_references(refs);
  ByteCursor in(raw, raw_length);
  in.skip(kRawLengthOffset);
  const size_t low = in.u8();
  in.skip(1);
  const size_t length = low + 256u * in.u8();
  in.seek(0);
  const uint8_t* body = in.take(length);
  if (!body || length < kHeaderSize + 2 || length + 1 > capacity) return kCompactEpochRefused;
  std::memcpy(out, body, length);
  out[kRawLengthOffset] = static_cast<uint8_t>(length + 1);
  out[kRawTypeOffset] = kType27;
  out[kRawLengthHighOffset] = static_cast<uint8_t>((length + 1) >> 8);
  store_be(out + length - 2, 2, byte_sum16(out, length - 2));
  out[length] = kEtx;
  ByteCursor epoch(out + kHeaderSize, length - kHeaderSize - 2);
  if (parse_epoch(epoch, refs.last))
    copy_epoch(refs.predicted, refs.last);
  else
    reset_epoch_references(refs);
  result->length = static_cast<uint16_t>(length + 1);
  result->week = static_cast<uint16_t>(load_be(out + 5, 2));
  result->time_ms = static_cast<uint32_t>(load_be(out + 7, 4));
  return kCompactEpochOk;
}

}  // namespace

void reset_epoch_references(EpochReferences& refs) {
  std::memset(&refs.last, 0, offsetof(EpochFields, satellites));
  std::memset(&refs.predicted, 0, offsetof(EpochFields, satellites));
}

uint8_t ExpandCompactEpoch(const uint8_t* raw, size_t raw_length, uint8_t* out, size_t capacity,
                           EpochReferences& refs, ExpandedEpoch* result) {
  ByteCursor in(raw, raw_length);
  const uint8_t stx = in.u8();
  in.skip(1);
  const uint8_t type = in.u8();
  in.skip(1);
  if (!in.ok()) return kCompactEpochRefused;
  if (type == 38) return expand_type38(raw, raw_length, out, capacity, refs, result);
  if (type < 36 || type > 39) return kCompactEpochRefused;
  EpochFields& e = refs.work;
  copy_epoch(e, type == 37 ? refs.last : refs.predicted);
  const bool ok = type == 39 ? read_type39(in, refs.last, e) : read_varints(in, refs.last, e);
  if (!ok) return kCompactEpochBadDelta;
  const uint8_t high = in.u8(), low = in.u8();
  if (!in.ok()) return kCompactEpochRefused;
  const size_t n = frame_epoch(e, stx, high, low, out, capacity);
  if (n == 0) return kCompactEpochRefused;
  advance(refs, e);
  *result = ExpandedEpoch{static_cast<uint16_t>(n), e.week, e.time};
  return kCompactEpochOk;
}

}  // namespace d01ozu
