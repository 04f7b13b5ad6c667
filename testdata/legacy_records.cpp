#include "testdata/legacy_records.h"

namespace writers {

Bytes type7_part(const Type7Part& p) {
  Payload x;
  x.u8(p.part).be16(p.word_a).be16(p.word_b);
  x.be32(static_cast<uint32_t>(p.clock)).be32(p.second).be32(p.third).be16(p.fourth);
  x.bef64(p.fifth).be32(p.time_ms).be32(p.seventh).be32(p.eighth);
  for (uint8_t b : p.bytes) x.u8(b);
  if (p.size >= 61) x.be16(p.extra_word).be32(p.extra_a).be32(p.extra_b);
  if (p.size >= 73) x.be32(p.extra_c).bef64(p.extra_double);
  return frame(7, x);
}

Bytes type17_entry_bytes(const Type17Entry& e) {
  Payload x;
  x.u8(e.sv).u8(e.flags).u8(e.flags2).u8(e.b3).u8(e.b4).u8(e.b5);
  x.be32(e.range).be48(static_cast<uint64_t>(e.phase)).be24(static_cast<uint32_t>(e.doppler));
  x.u8(static_cast<uint8_t>(e.b19));
  if (e.flags & 0x01) {
    x.u8(e.l2_value).be48(static_cast<uint64_t>(e.l2_phase));
    x.be16(static_cast<uint16_t>(e.l2_range));
  }
  return x.data();
}

Bytes type17_part(uint32_t time_ms, int32_t value2, bool more,
                  const std::vector<Type17Entry>& entries) {
  Payload x;
  x.be32(time_ms | (more ? 0x80000000u : 0)).be24(static_cast<uint32_t>(value2));
  for (const Type17Entry& e : entries) x.bytes(type17_entry_bytes(e));
  return frame(x.size() + 6 > 255 ? 117 : 17, x);
}

Bytes type102_part(uint32_t time_ms, int32_t value2, bool more,
                   const std::vector<Type102Entry>& entries) {
  Payload x;
  x.be32(time_ms | (more ? 0x80000000u : 0)).be24(static_cast<uint32_t>(value2));
  for (const Type102Entry& e : entries) {
    x.u8(e.a).u8(e.b);
    for (double v : e.values) x.bef64(v);
  }
  return frame(102, x);
}

Bytes event_record(uint8_t sub_code, uint16_t word, uint32_t time_long,
                   const std::vector<uint16_t>& words) {
  Payload x;
  x.u8(sub_code).be16(word).be32(time_long);
  for (uint16_t w : words) x.be16(w);
  return frame(19, x);
}

Bytes event_text_record(uint16_t word, uint32_t time_long, const std::string& text) {
  Payload x;
  x.u8(3).be16(word).be32(time_long).text(text, text.size());
  return frame(19, x);
}

Bytes position_solution(uint8_t type, const PositionSolution& s) {
  Payload x;
  for (int32_t v : s.head) x.be32(static_cast<uint32_t>(v));
  x.be16(s.sixth);
  for (int32_t v : s.tail) x.be32(static_cast<uint32_t>(v));
  x.be32(s.word).u8(s.fix_byte).u8(static_cast<unsigned>(s.lists.size() / 2));
  x.bytes(s.lists);
  if (s.refine) x.u8(static_cast<uint8_t>(s.refine_a)).u8(static_cast<uint8_t>(s.refine_b));
  return frame(type, x);
}

Bytes type12_record(const Type12Record& r) {
  Payload x;
  uint8_t v = r.seed;
  auto next = [&v]() { return v++; };
  x.u8(r.count);
  x.u8(next());
  x.be16(next());
  x.be16(next());
  x.u8(r.receiver_type);
  x.u8(next());
  x.be16(next());
  for (int i = 0; i < 4; ++i) x.u8(next());
  x.be16(r.week);
  x.be32(next());
  for (int i = 0; i < 8; ++i) x.u8(next());
  x.be32(next());
  x.be32(next());
  for (int i = 0; i < 4; ++i) x.be16(next());
  x.bef64(next());
  x.be32(next());
  for (const auto& e : r.further)
    x.be16(static_cast<uint16_t>(e[0])).be16(static_cast<uint16_t>(e[1]));
  return frame(12, x);
}

Bytes type101_record(uint32_t value, const std::array<double, 4>& doubles, uint8_t a, uint8_t b) {
  Payload x;
  x.be32(value);
  for (double d : doubles) x.bef64(d);
  x.u8(a).u8(b);
  return frame(101, x);
}

Bytes raw_record(uint8_t type, uint8_t byte3, const Bytes& rest) {
  Payload x;
  x.u8(byte3).bytes(rest);
  return frame(type, x);
}

}  // namespace writers
