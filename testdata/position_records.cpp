#include "testdata/position_records.h"

#include "testdata/t0x_writers.h"

namespace writers {

namespace {

constexpr uint8_t kType5 = 5;
constexpr uint8_t kNotRead = 0xEE;

void be_words(Payload& x, const uint16_t* v, size_t n) {
  for (size_t i = 0; i < n; ++i) x.be16(v[i]);
}
void be_longs(Payload& x, const uint32_t* v, size_t n) {
  for (size_t i = 0; i < n; ++i) x.be32(v[i]);
}

}  // namespace

Bytes type5_page(const Type5Page0& p) {
  Payload x;
  x.be16(p.word).text(p.station, 5).u8(p.kind);
  for (double v : p.position) x.bef64(v);
  const int declared = p.declared_length < 0 ? static_cast<int>(p.text.size()) : p.declared_length;
  x.u8(p.unit).u8(p.long_flag).u8(static_cast<uint8_t>(declared)).text(p.text, p.text.size());
  return raw_frame(kType5, 0, x);
}

Bytes type5_page(const Type5Page1& p) {
  Payload x;
  x.be16(p.word).text(p.session, 5).u8(p.flag);
  be_words(x, p.words.data(), p.words.size());
  x.bytes(Bytes(p.bytes.begin(), p.bytes.end())).bytes(Bytes(p.raw.begin(), p.raw.end()));
  x.bef64(p.value);
  be_longs(x, p.longs.data(), p.longs.size());
  return raw_frame(kType5, 1, x.u8(p.last));
}

Bytes type5_page(const Type5Page2& p) {
  Payload x;
  be_words(x, p.words.data(), p.words.size());
  x.text(p.antenna, 12).text(p.receiver, 12).bytes(Bytes(p.bytes.begin(), p.bytes.end()));
  x.bef64(p.value).be32(p.long_value).be16(p.word).u8(p.last[0]).u8(p.last[1]);
  return raw_frame(kType5, 2, x);
}

Bytes type5_page(const Type5Page3& p) {
  Payload x;
  x.be16(p.word);
  for (double v : p.values) x.bef64(v);
  be_longs(x, p.fixes.data(), p.fixes.size());
  return raw_frame(kType5, 3, x);
}

Bytes type5_page(uint8_t page, const Type5Page4& p) {
  Payload x;
  x.be16(p.word).bytes(p.bytes);
  be_longs(x, p.longs.data(), p.longs.size());
  return raw_frame(kType5, page, x);
}

Bytes type5_page(const Type5Page6& p) {
  Payload x;
  be_words(x, p.words.data(), p.words.size());
  be_longs(x, p.options.data(), p.options.size());
  return raw_frame(kType5, 6, x);
}

Bytes type5_page(const Type5Page7& p) {
  Payload x;
  const int declared = p.declared_count < 0 ? static_cast<int>(p.pairs.size()) : p.declared_count;
  x.be16(p.word).bef64(p.value).be16(static_cast<uint16_t>(declared));
  for (const auto& pair : p.pairs) x.u8(pair[0]).u8(pair[1]);
  return raw_frame(kType5, 7, x);
}

namespace {

// Frame bytes 5 to 71: header and position section (byte 4 and 19 unread).
void type29_head(Payload& x, const Type29Solution& s) {
  std::array<uint8_t, 8> b = s.b;
  b[1] = static_cast<uint8_t>(s.force_b1 >= 0 ? s.force_b1 : static_cast<int>(s.entries.size()));
  if (s.force_b2 >= 0) b[2] = static_cast<uint8_t>(s.force_b2);
  x.u8(kNotRead).be16(s.h1).be32(s.h2).bytes(Bytes(b.begin(), b.end())).u8(kNotRead);
  x.be48(static_cast<uint64_t>(s.p1)).be48(static_cast<uint64_t>(s.p2));
  x.be32(static_cast<uint32_t>(s.p3));
  for (int32_t v : s.p456) x.be32(static_cast<uint32_t>(v));
  x.be32(static_cast<uint32_t>(s.q1)).be32(static_cast<uint32_t>(s.q2));
  be_words(x, s.q456.data(), 3);
  be_words(x, s.q789.data(), 3);
  x.be16(s.q10).be16(s.q11);
}

// Sections 3, 4 and 5 as the header bytes announce them.
void type29_sections(Payload& x, const Type29Solution& s) {
  if (s.b[6] >= 3 && s.b[6] <= 6) x.u8(kNotRead).u8(s.s1).be16(s.s2).u8(s.s3);
  if (s.b[4] & 0x02) {
    x.u8(s.kind4).be32(static_cast<uint32_t>(s.t1)).be32(static_cast<uint32_t>(s.t2));
    if (s.kind4 != 9) x.u8(s.t3);
  }
  if (!(s.b[4] & 0x10)) return;
  x.u8(kNotRead).u8(static_cast<uint8_t>((s.c & 0x0F) | (s.items.size() & 7) << 4));
  for (const Type29Item& item : s.items) {
    x.u8(static_cast<uint8_t>((item.kind & 0x0F) | (item.width & 7) << 4));
    for (int i = item.width - 1; i >= 0; --i) x.u8(static_cast<uint8_t>(item.value >> (8 * i)));
  }
}

}  // namespace

Bytes type29_record(const Type29Solution& s) {
  Payload x;
  type29_head(x, s);
  type29_sections(x, s);
  x.u8(kNotRead);
  for (const Type29Entry& e : s.entries) x.u8(e.sv).u8(e.system).u8(e.flags);
  return raw_frame(29, 0, x);
}

}  // namespace writers
