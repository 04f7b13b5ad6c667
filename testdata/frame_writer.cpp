#include "testdata/frame_writer.h"

#include <cstring>

namespace writers {

Payload& Payload::u8(unsigned v) {
  data_.push_back(static_cast<uint8_t>(v));
  return *this;
}
Payload& Payload::be16(unsigned v) {
  return u8(v >> 8).u8(v);
}
Payload& Payload::be24(uint32_t v) {
  return u8(v >> 16).u8(v >> 8).u8(v);
}
Payload& Payload::be32(uint32_t v) {
  return be16(v >> 16).be16(v & 0xFFFF);
}
Payload& Payload::be48(uint64_t v) {
  return be16(static_cast<unsigned>(v >> 32) & 0xFFFF).be32(static_cast<uint32_t>(v));
}
Payload& Payload::bef64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  return be32(static_cast<uint32_t>(bits >> 32)).be32(static_cast<uint32_t>(bits));
}
Payload& Payload::bef32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return be32(bits);
}
Payload& Payload::bytes(std::initializer_list<uint8_t> v) {
  data_.insert(data_.end(), v.begin(), v.end());
  return *this;
}
Payload& Payload::bytes(const Bytes& v) {
  data_.insert(data_.end(), v.begin(), v.end());
  return *this;
}
Payload& Payload::text(const std::string& s, size_t width) {
  for (size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
  return *this;
}
Payload& Payload::zeros(size_t n) {
  data_.insert(data_.end(), n, 0);
  return *this;
}

void append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

Bytes frame(uint8_t type, const Bytes& payload) {
  Bytes f;
  size_t length = payload.size() + 6;
  f.push_back(0x02);
  f.push_back(static_cast<uint8_t>(length));  // types 74, 75, 117 store length - 256
  f.push_back(type);
  append(f, payload);
  unsigned sum = 0;
  for (uint8_t b : f) sum += b;
  f.push_back(static_cast<uint8_t>(sum >> 8));
  f.push_back(static_cast<uint8_t>(sum));
  f.push_back(0x03);
  return f;
}

Bytes frame_bad_checksum(uint8_t type, const Bytes& payload) {
  Bytes f = frame(type, payload);
  f[f.size() - 2] ^= 0x5A;
  return f;
}

Bytes message_frame(uint8_t subcode, const std::string& text) {
  Payload p;
  p.u8(subcode).text(text, text.size());
  return frame(16, p);
}

Bytes r00_header(uint16_t receiver_type, uint16_t nav, uint16_t sig) {
  Bytes h(39, 0);
  const char text[] = "QXD RAW DATA IMAGE";
  std::memcpy(h.data() + 2, text, sizeof text);  // with its NUL
  auto put_le16 = [&](size_t at, uint16_t v) {
    h[at] = static_cast<uint8_t>(v);
    h[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  put_le16(22, receiver_type);
  put_le16(24, nav);
  put_le16(26, sig);
  return h;
}

Bytes initial_eph_block(int sv, double (*value)(int sv, int k)) {
  Payload p;
  for (int k = 0; k < 40; ++k) p.bef64(value ? value(sv, k) : 0.0);
  for (int k = 0; k < 13; ++k) p.u8(static_cast<unsigned>(sv + k));
  return p.data();
}

Bytes initial_ion_block(double (*value)(int k)) {
  Payload p;
  for (int k = 0; k < 14; ++k) p.bef64(value ? value(k) : 0.0);
  p.bytes({0xA1, 0xA2, 0xA3, 0xA4, 0xA5});
  return p.data();
}

Bytes R00File::bytes() const {
  Bytes out;
  if (with_header) append(out, r00_header(receiver_type, nav_version, sig_version));
  if (with_ephemeris)
    for (int sv = 1; sv <= 32; ++sv) append(out, initial_eph_block(sv, eph_value));
  if (with_ion) append(out, initial_ion_block(ion_value));
  for (const Bytes& r : records) append(out, r);
  return out;
}

}  // namespace writers
