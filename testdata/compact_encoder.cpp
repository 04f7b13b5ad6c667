#include "testdata/compact_encoder.h"

#include <algorithm>

#include "processing/compact_codec.h"

namespace writers {
namespace {

using d01ozu::load_be;
using d01ozu::store_be;
using d01ozu::width_mask;

// Field placement in the 29-byte entry and in the header, with the raw code
// of each field (the code that sends the value whole).
struct Field {
  size_t at;
  size_t width;
  unsigned raw_code;
  unsigned max_code;  // largest code the control bits can hold
};
constexpr Field kH1{3, 4, 3, 3}, kH2{7, 3, 3, 3};
constexpr Field kF1{6, 4, 0, 3}, kF2{10, 6, 7, 7}, kF3{16, 3, 3, 3};
constexpr Field kF4{21, 6, 7, 7}, kF5{27, 2, 0, 1};

// Chooses the code for value against reference and appends its bytes: 0 for
// an unchanged value (when 0 is not the raw code), a difference of the fewest
// bytes whose top bit is free for the sign, else the raw value.
unsigned code_field(Payload& out, const Field& f, const uint8_t* value, const uint8_t* ref) {
  const uint64_t v = load_be(value + f.at, f.width), r = load_be(ref + f.at, f.width);
  if (v == r && f.raw_code != 0) return 0;
  const uint64_t up = (v - r) & width_mask(f.width), down = (r - v) & width_mask(f.width);
  for (unsigned c = 1; c <= f.width && c <= f.max_code; ++c) {
    if (c == f.raw_code) continue;
    const uint64_t limit = 1ull << (8 * c - 1);
    if (up < limit || down < limit) {
      const bool subtract = up >= limit;
      const uint64_t d = subtract ? down | limit : up;
      for (unsigned i = c; i-- > 0;) out.u8(static_cast<unsigned>(d >> (8 * i)));
      return c;
    }
  }
  for (size_t i = 0; i < f.width; ++i) out.u8(value[f.at + i]);
  return f.raw_code;
}

// A single-byte value against P's byte: sign s and magnitude m within bits
// magnitude bits, or s set with m 0 and the byte itself.
unsigned code_small(Payload& out, uint8_t value, uint8_t previous, unsigned max_magnitude,
                    bool* sign) {
  const int d = static_cast<int8_t>(static_cast<uint8_t>(value - previous));
  if (d >= 0 && d <= static_cast<int>(max_magnitude)) {
    *sign = false;
    return static_cast<unsigned>(d);
  }
  if (d < 0 && -d <= static_cast<int>(max_magnitude)) {
    *sign = true;
    return static_cast<unsigned>(-d);
  }
  *sign = true;
  out.u8(value);
  return 0;
}

// Frame bytes of an entry: 20, or 29 with the L2 part.
size_t entry_size(const std::array<uint8_t, 29>& e) {
  return (e[1] & 0x01) ? 29 : 20;
}

}  // namespace

Bytes type17_frame_from_entries(uint32_t h1, uint32_t h2,
                                const std::vector<std::array<uint8_t, 29>>& entries) {
  Payload p;
  p.be32(h1).be24(h2);
  for (const auto& e : entries) p.bytes(Bytes(e.begin(), e.begin() + entry_size(e)));
  return frame(p.size() + 6 > 255 ? 117 : 17, p);
}

// Both references blank: STX and type 17 in the header, no entries.
void CompactEncoder::reset() {
  p_ = Epoch{};
  p_.header[0] = 0x02;
  p_.header[2] = 17;
  p_.entries.assign(static_cast<size_t>(capacity_), Entry{});
  q_ = p_;
}

// The header and entries of a type-17 frame.
CompactEncoder::Epoch CompactEncoder::parse(const Bytes& f) const {
  Epoch e;
  std::copy(f.begin(), f.begin() + 10, e.header.begin());
  size_t at = 10;
  while (at + 3 < f.size()) {
    Entry x{};
    size_t n = (f[at + 1] & 0x01) ? 29 : 20;
    std::copy(f.begin() + at, f.begin() + at + n, x.begin());
    e.entries.push_back(x);
    at += n;
  }
  return e;
}

Bytes CompactEncoder::full(const Bytes& f) {
  Bytes out = f;
  out[2] = f[2] == 117 ? 75 : 67;
  reset();
  Epoch e = parse(f);
  std::copy(e.header.begin(), e.header.end(), p_.header.begin());
  for (size_t k = 0; k < e.entries.size() && k < p_.entries.size(); ++k)
    p_.entries[k] = e.entries[k];
  q_ = p_;
  return out;
}

// The decoder's rearrangement for a transmitted list: an entry that P and Q
// hold at one position moves to the list position, others start blank with
// their number. (A list implied by P leaves P and Q in place.)
void CompactEncoder::rearrange(const std::vector<uint8_t>& list) {
  Epoch old_p = p_, old_q = q_;
  for (size_t k = 0; k < list.size(); ++k) {
    size_t j = 0;
    while (j < old_p.entries.size() &&
           !(old_p.entries[j][0] == list[k] && old_q.entries[j][0] == list[k]))
      ++j;
    if (j < old_p.entries.size()) {
      p_.entries[k] = old_p.entries[j];
      q_.entries[k] = old_q.entries[j];
    } else {
      p_.entries[k] = Entry{};
      q_.entries[k] = Entry{};
      p_.entries[k][0] = q_.entries[k][0] = list[k];
    }
  }
  for (size_t k = list.size(); k < p_.entries.size(); ++k) p_.entries[k][0] = q_.entries[k][0] = 0;
}

// The flag bytes by the flag mode; false when the mode cannot express them.
bool CompactEncoder::encode_flags(Payload& out, const Entry& e, const Entry& pe) const {
  const uint8_t decoded = static_cast<uint8_t>(0xD0 | (e[1] & 0x02));
  switch (flag_mode_) {
    case 0:
      out.u8(e[1]).u8(e[2]);
      return true;
    case 1:
      return e[1] == pe[1] && e[2] == pe[2];
    case 2:
      return e[1] == (decoded | 0xD8) && e[2] == 0;
    default: {
      unsigned g = (e[1] & 0x80) ? 0x80 : 0;
      if (e[2] == 4) g |= (e[1] & 0x04) ? 0x60 : 0x40;
      uint8_t b1 = g & 0x80 ? static_cast<uint8_t>(decoded | 0xD8) : 0;
      if (g & 0x40) b1 |= (g & 0x20) ? 0x25 : 0x21;
      out.u8(g);
      return e[1] == b1 && e[2] == ((g & 0x40) ? 4 : 0);
    }
  }
}

// Appends the coded entry at list position k; false when it cannot be coded.
bool CompactEncoder::encode_entry(Payload& out, const Entry& e, size_t k) {
  const Entry& pe = p_.entries[k];
  const Entry& qe = q_.entries[k];
  if (e[19] != 0) return false;
  Payload raw;
  bool s3 = false, s4 = false, s5 = false;
  unsigned m3 = code_small(raw, e[3], pe[3], 1, &s3);
  unsigned m4 = code_small(raw, e[4], pe[4], 1, &s4);
  unsigned m5 = code_small(raw, e[5], pe[5], 7, &s5);
  out.u8(s3 << 7 | m3 << 6 | s4 << 5 | m4 << 4 | s5 << 3 | m5).bytes(raw.data());
  Payload fields;
  unsigned c1 = code_field(fields, kF1, e.data(), qe.data());
  unsigned c2 = code_field(fields, kF2, e.data(), qe.data());
  unsigned c3 = code_field(fields, kF3, e.data(), qe.data());
  out.u8(((e[1] & 0x02) ? 0x80 : 0) | c1 << 5 | c2 << 2 | c3).bytes(fields.data());
  if (!encode_flags(out, e, pe)) return false;
  if (!(e[1] & 0x01)) return true;
  Payload l2;
  bool s20 = false;
  unsigned m20 = code_small(l2, e[20], pe[20], 7, &s20);
  Payload l2f;
  unsigned c4 = code_field(l2f, kF4, e.data(), qe.data());
  unsigned c5 = code_field(l2f, kF5, e.data(), qe.data());
  out.u8(s20 << 7 | m20 << 4 | c4 << 1 | c5).bytes(l2.data()).bytes(l2f.data());
  return true;
}

// The decoder's reference update: Q = 2 x new - P, then P = new.
void CompactEncoder::advance(const Epoch& next) {
  auto predict = [](uint8_t* q, const uint8_t* p, const uint8_t* n, const Field& f) {
    store_be(q + f.at, f.width,
             (2 * load_be(n + f.at, f.width) - load_be(p + f.at, f.width)) & width_mask(f.width));
  };
  predict(q_.header.data(), p_.header.data(), next.header.data(), kH1);
  predict(q_.header.data(), p_.header.data(), next.header.data(), kH2);
  for (size_t k = 0; k < next.entries.size(); ++k) {
    const uint8_t* n = next.entries[k].data();
    for (const Field& f : {kF1, kF2, kF3})
      predict(q_.entries[k].data(), p_.entries[k].data(), n, f);
    if (n[1] & 0x01)
      for (const Field& f : {kF4, kF5}) predict(q_.entries[k].data(), p_.entries[k].data(), n, f);
  }
  p_.header = next.header;
  for (size_t k = 0; k < p_.entries.size(); ++k)
    p_.entries[k] = k < next.entries.size() ? next.entries[k] : Entry{};
}

Bytes CompactEncoder::delta(const Bytes& f) {
  Epoch next = parse(f);
  std::vector<uint8_t> list;
  for (const Entry& e : next.entries) list.push_back(e[0]);
  if (!send_list_) {
    std::vector<uint8_t> implied;
    for (const Entry& e : p_.entries)
      if (e[0] != 0 && e[5] != 0) implied.push_back(e[0]);
    if (implied != list) return {};
  }
  Payload body;
  Payload hf;
  unsigned c1 = code_field(hf, kH1, next.header.data(), q_.header.data());
  unsigned c2 = code_field(hf, kH2, next.header.data(), q_.header.data());
  body.u8((send_list_ ? 0x80 : 0) | c1 << 5 | c2 << 3 | static_cast<unsigned>(flag_mode_));
  body.bytes(hf.data());
  if (send_list_) body.u8(static_cast<unsigned>(list.size())).bytes(list);
  if (send_list_) rearrange(list);
  for (size_t k = 0; k < next.entries.size(); ++k)
    if (!encode_entry(body, next.entries[k], k)) return {};
  advance(next);
  Bytes out = frame(body.size() + 6 > 255 ? 74 : 66, body);
  // The checksum carried is that of the type-17 frame the decoder rebuilds.
  out[out.size() - 3] = f[f.size() - 3];
  out[out.size() - 2] = f[f.size() - 2];
  return out;
}

Bytes second_group_epoch(const Bytes& compact_epoch) {
  Bytes f = compact_epoch;
  if (f.size() > 2) f[2] = static_cast<uint8_t>(f[2] + 2);
  return f;
}

Bytes moving_type17_epoch(uint32_t t, uint8_t first_sv, int count, uint32_t n) {
  std::vector<std::array<uint8_t, 29>> entries(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    std::array<uint8_t, 29>& e = entries[static_cast<size_t>(k)];
    e = {};
    e[0] = static_cast<uint8_t>(first_sv + k);
    e[1] = k % 2 ? 0xD1 : 0xD0;  // bit 0: the L2 part
    e[5] = 9;
    for (int b = 6; b < 19; ++b) e[b] = static_cast<uint8_t>(n * (b + k) + 5 * k);
    for (int b = 20; b < 29; ++b) e[b] = static_cast<uint8_t>(n * 2 + b);
  }
  return type17_frame_from_entries(t, 0x10203, entries);
}

}  // namespace writers
