#include "testdata/compact27_encoder.h"

#include <cmath>

#include "records/type27_converter.h"
#include "testdata/t0x_writers.h"

namespace writers {

namespace {

uint64_t mask(int bytes) {
  return bytes >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * bytes)) - 1;
}
// The change from ref to now as a signed number of the field's width.
int64_t change(int64_t now, int64_t ref, int bytes) {
  const uint64_t d = static_cast<uint64_t>(now - ref) & mask(bytes);
  const uint64_t sign = uint64_t{1} << (8 * bytes - 1);
  return static_cast<int64_t>((d ^ sign) - sign);
}
int64_t linear(int64_t now, int64_t before, int bytes) {
  return static_cast<int64_t>(static_cast<uint64_t>(2 * now - before) & mask(bytes));
}
int width(const Raw27Block& b, size_t j) {
  return j == 0 ? 4 : (b.flags2 & 0x01) ? 3 : 2;
}

// DeltaField: the fewest magnitude bytes (top bit the sign) that hold the
// change, or the field whole; returns n.
int put_delta(Payload& p, int64_t now, int64_t ref, int bytes) {
  const int64_t d = change(now, ref, bytes);
  const uint64_t m = static_cast<uint64_t>(d < 0 ? -d : d);
  for (int n = 0; n < bytes; ++n) {
    if (n > 0 && m >= (uint64_t{1} << (8 * n - 1))) continue;
    if (n == 0 && m != 0) continue;
    const uint64_t v = m | (d < 0 ? uint64_t{1} << (8 * n - 1) : 0);
    for (int k = n - 1; k >= 0; --k) p.u8(static_cast<uint8_t>(v >> (8 * k)));
    return n;
  }
  for (int k = bytes - 1; k >= 0; --k) p.u8(static_cast<uint8_t>(now >> (8 * k)));
  return bytes;
}

void put_varint(Payload& p, int64_t now, int64_t ref, int bytes) {
  const int64_t d = change(now, ref, bytes);
  uint64_t z = (static_cast<uint64_t>(d) << 1) ^ static_cast<uint64_t>(d >> 63);
  while (z >= 0x80) {
    p.u8(static_cast<uint8_t>(z | 0x80));
    z >>= 7;
  }
  p.u8(static_cast<uint8_t>(z));
}

// A compact record: header, body, and the check value of the type-27 frame
// it expands into.
Bytes compact_record(uint8_t type, const Payload& body, const Bytes& type27) {
  Bytes out{0x02, 0, type, 0};
  append(out, body.data());
  out.push_back(type27[type27.size() - 3]);
  out.push_back(type27[type27.size() - 2]);
  out[1] = static_cast<uint8_t>(out.size());
  out[3] = static_cast<uint8_t>(out.size() >> 8);
  return out;
}

int range_exponent(int system) {
  return (system == 1 || system == 4) ? -6 : system == 8 ? -10 : -7;
}
double range_metres(const Raw27Block& b, size_t j, int system) {
  const int w = width(b, j);
  double v = j == 0 ? std::ldexp(static_cast<double>(b.range & 0xFFFFFFFF), range_exponent(system))
                    : std::ldexp(static_cast<double>(change(b.range, 0, w)), -8);
  return (b.flags2 & 0x02) ? v + 33554431.0 : v;
}
double phase_cycles(const Raw27Block& b) {
  return std::ldexp(static_cast<double>(change(b.phase, 0, 6)), -15);
}

// The field of a projected range, or false where it cannot be stored.
bool range_field(const Raw27Block& b, size_t j, int system, double metres, int64_t& field) {
  const bool flagged = (b.flags2 & 0x02) != 0;
  if (j == 0 && system != 1 && system != 4 && (metres > 33554431.0) != flagged) return false;
  if (flagged) metres -= 33554431.0;
  const double v = std::round(std::ldexp(metres, j == 0 ? -range_exponent(system) : 8));
  const int w = width(b, j);
  const double low = j == 0 ? 0 : -std::ldexp(1, 8 * w - 1);
  const double high = j == 0 ? 4294967295.0 : std::ldexp(1, 8 * w - 1) - 1;
  if (!(v >= low && v <= high)) return false;
  field = static_cast<int64_t>(v);
  return true;
}

}  // namespace

Raw27Epoch Compact27Encoder::project(Raw27Epoch e) const {
  for (size_t i = 0; i < e.satellites.size() && i < last_.satellites.size(); ++i) {
    Raw27Satellite& s = e.satellites[i];
    const Raw27Satellite& ls = last_.satellites[i];
    const int system = s.system & 0x3F;
    for (size_t j = 0; j < s.blocks.size() && j < ls.blocks.size(); ++j) {
      Raw27Block& b = s.blocks[j];
      const double f = d01ozu::carrier_frequency(system, b.type, static_cast<int8_t>(s.channel));
      if (f == 0) continue;
      double p = range_metres(ls.blocks[j], j, system);
      if (j > 0) p += range_metres(ls.blocks[0], 0, system);
      p -= 299792458.0 / f * (phase_cycles(b) - phase_cycles(ls.blocks[j]));
      if (j > 0) p -= range_metres(s.blocks[0], 0, system);
      if (!range_field(b, j, system, p, b.range))
        b.range = predicted_.satellites[i].blocks[j].range;
    }
  }
  return e;
}

void Compact27Encoder::advance(const Raw27Epoch& e) {
  Raw27Epoch p = e;
  p.time_ms = static_cast<uint32_t>(linear(e.time_ms, last_.time_ms, 4));
  p.clock = static_cast<int32_t>(linear(e.clock, last_.clock, 3));
  for (size_t i = 0; i < p.satellites.size(); ++i)
    for (size_t j = 0; j < p.satellites[i].blocks.size(); ++j) {
      Raw27Block& b = p.satellites[i].blocks[j];
      const Raw27Block& was = last_.satellites[i].blocks[j];
      b.range = linear(b.range, was.range, 4);
      b.phase = linear(b.phase, was.phase, 6);
      b.doppler = static_cast<int32_t>(linear(b.doppler, was.doppler, 3));
    }
  predicted_ = p;
  last_ = e;
}

Bytes Compact27Encoder::whole(const Raw27Epoch& e) {
  Bytes f = raw27_frame(e);
  f.pop_back();
  f[2] = 38;
  f[1] = static_cast<uint8_t>(f.size());
  f[3] = static_cast<uint8_t>(f.size() >> 8);
  last_ = predicted_ = e;
  return f;
}

Bytes Compact27Encoder::predicted(const Raw27Epoch& e, bool absolute_time) {
  const Raw27Epoch& q = predicted_;
  Payload body, parts;
  const uint32_t step = e.time_ms - q.time_ms;
  const bool one_byte = !absolute_time && e.week == q.week && step % 10 == 0 && step / 10 < 256;
  if (one_byte)
    parts.u8(step / 10);
  else
    parts.be16(e.week).be32(e.time_ms);
  int control = one_byte ? 0 : 0x80;
  control |= put_delta(parts, e.clock, q.clock, 3) << 5;
  if (e.flags & 0x02) control |= put_delta(parts, e.drift, q.drift, 3) << 3;
  for (size_t i = 0; i < e.satellites.size(); ++i)
    for (size_t j = 0; j < e.satellites[i].blocks.size(); ++j) {
      const Raw27Block& b = e.satellites[i].blocks[j];
      const Raw27Block& p = q.satellites[i].blocks[j];
      Payload fields;
      int c = put_delta(fields, b.phase, p.phase, 6) << 5;
      if (b.flags & 0x04) c |= put_delta(fields, b.doppler, p.doppler, 3) << 3;
      parts.u8(static_cast<unsigned>(c)).bytes(fields.data());
    }
  body.u8(static_cast<unsigned>(control)).bytes(parts.data());
  advance(e);
  return compact_record(39, body, raw27_frame(e));
}

Bytes Compact27Encoder::varint(const Raw27Epoch& e, bool against_prediction) {
  const Raw27Epoch& q = against_prediction ? predicted_ : last_;
  Payload body;
  put_varint(body, e.week, q.week, 2);
  put_varint(body, e.time_ms, q.time_ms, 4);
  put_varint(body, e.clock, q.clock, 3);
  if (e.flags & 0x02) put_varint(body, e.drift, q.drift, 3);
  for (size_t i = 0; i < e.satellites.size(); ++i)
    for (size_t j = 0; j < e.satellites[i].blocks.size(); ++j) {
      const Raw27Block& b = e.satellites[i].blocks[j];
      const Raw27Block& p = q.satellites[i].blocks[j];
      put_varint(body, b.phase, p.phase, 6);
      if (b.flags & 0x04) put_varint(body, b.doppler, p.doppler, 3);
    }
  advance(e);
  return compact_record(against_prediction ? 36 : 37, body, raw27_frame(e));
}

}  // namespace writers
