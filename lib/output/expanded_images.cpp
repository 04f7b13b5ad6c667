#include "output/expanded_images.h"

#include "core/byte_cursor.h"

namespace d01ozu {

size_t build_type11_record_image(const uint8_t header[4], const Type11Record& r, uint8_t* out,
                                 size_t capacity) {
  ByteWriter w(out, capacity);
  w.bytes(header, 4);
  for (double v : r.values) w.f64(v);
  w.le32(r.word);
  const uint8_t c = r.count > kType11ListCapacity ? kType11ListCapacity : r.count;
  w.u8(r.fix_byte);
  w.u8(c);
  w.bytes(r.first_list, c);
  w.bytes(r.second_list, c);
  out[1] = static_cast<uint8_t>(w.position());
  return w.ok() ? w.position() : 0;
}

namespace {

// Epoch header, with the drift, extra byte and offset block when flagged.
void write_type27_header(ByteWriter& w, const Type27Record& r) {
  w.u8(r.header_length);
  w.le16(r.week);
  w.f64(r.receive_time);
  w.f32(r.clock_offset);
  w.u8(r.sv_count);
  w.u8(r.epoch_flags);
  if (r.epoch_flags & 0x02) w.f32(r.clock_drift);
  if (r.epoch_flags & 0x10) w.u8(r.extra);
  if (!(r.epoch_flags & 0x20)) return;
  const uint8_t n = r.offset_count > kType27OffsetItems ? kType27OffsetItems : r.offset_count;
  w.u8(r.offset_length);
  w.u8(r.offset_nibble);
  w.u8(n);
  for (int i = 0; i < n; ++i) {
    w.u8(r.offset_kind[i]);
    w.f64(r.offset_value[i]);
  }
}

// One measurement block: 27 bytes, plus flags 2 and flags 3 when flagged.
void write_type27_block(ByteWriter& w, const Type27Block& b) {
  w.u8(b.length);
  w.u8(b.block_type);
  w.u8(b.track_type);
  w.le16(b.strength);
  w.f64(b.pseudorange);
  w.f64(b.phase);
  w.f32(b.doppler);
  w.u8(b.slip_count);
  w.u8(b.flags);
  if (!(b.flags & 0x80)) return;
  w.u8(b.flags2);
  if (b.flags2 & 0x80) w.u8(b.flags3);
}

// One satellite block and its measurement blocks.
void write_type27_satellite(ByteWriter& w, const Type27Satellite& s) {
  const uint8_t m = s.block_count > kType27BlockCapacity ? kType27BlockCapacity : s.block_count;
  w.u8(s.length);
  w.u8(s.sv);
  w.u8(static_cast<uint8_t>((s.system & 0x3F) | (s.top_bits & 0x03) << 6));
  w.u8(s.channel);
  w.u8(m);
  w.le16(s.word6);
  w.le16(s.word8);
  w.u8(s.flags);
  if (s.flags & 0x80) {
    w.u8(s.flags2);
    if (s.flags2 & 0x01) w.bytes(s.extension, 3);
  }
  for (int j = 0; j < m; ++j) write_type27_block(w, s.blocks[j]);
}

}  // namespace

size_t build_type27_image(const uint8_t header[4], const Type27Record& r, uint8_t* out,
                          size_t capacity) {
  ByteWriter w(out, capacity);
  w.bytes(header, 4);
  write_type27_header(w, r);
  const int n = r.sv_count > kType27SatelliteCapacity ? kType27SatelliteCapacity : r.sv_count;
  for (int i = 0; i < n; ++i) write_type27_satellite(w, r.satellites[i]);
  return w.ok() ? w.position() : 0;
}

namespace {

// Sections 3, 4 and 5 when the header bytes say they are present.
void write_type29_optional(ByteWriter& w, const Type29Record& r) {
  if (r.b[6] >= 3 && r.b[6] <= 6) {
    w.u8(r.section3_length);
    w.u8(r.s1);
    w.f32(r.s2);
    w.u8(r.s3);
    if (r.s3 & 0x01) w.le16(r.s3_word);
    if (r.s3 & 0x02)
      for (float v : r.s3_values) w.f32(v);
    if (r.s3 & 0x04) w.le32(r.s3_long);
  }
  if (r.b[4] & 0x02) {
    w.u8(r.section4_length);
    w.f32(r.t1);
    w.f32(r.t2);
    w.u8(r.t3);
    if (r.t3 & 0x01) w.f32(r.t3_value);
  }
  if (r.b[4] & 0x10) {
    const uint8_t n = r.n > 7 ? 7 : r.n;
    w.u8(r.section5_length);
    w.u8(r.c);
    w.u8(n);
    for (int i = 0; i < n; ++i) {
      w.u8(r.kinds[i]);
      w.f64(r.values[i]);
    }
  }
}

}  // namespace

size_t build_type29_image(const uint8_t header[4], const Type29Record& r, uint8_t* out,
                          size_t capacity) {
  ByteWriter w(out, capacity);
  w.bytes(header, 4);
  w.u8(r.header_length);
  w.le16(r.h1);
  w.le32(r.h2);
  w.bytes(r.b, 8);
  w.u8(r.position_length);
  for (double v : r.p) w.f64(v);
  for (float v : r.q) w.f32(v);
  write_type29_optional(w, r);
  // The entries the section's length byte counts (none in a record that
  // holds only its header section).
  const size_t sats = r.satellites_length ? (r.satellites_length - 1u) / 3 : 0;
  w.u8(r.satellites_length);
  w.bytes(r.satellites, 3u * sats);
  if (!w.ok()) return 0;
  out[1] = static_cast<uint8_t>(w.position());
  out[2] = static_cast<uint8_t>(w.position() >> 8);
  return w.position();
}

size_t build_newer_image(const uint8_t header[4], const NewerTypeRecord& r, uint8_t* out,
                         size_t capacity) {
  ByteWriter w(out, capacity);
  w.bytes(header, 4);
  w.bytes(r.payload, r.length > kNewerPayloadCapacity ? kNewerPayloadCapacity : r.length);
  return w.ok() ? w.position() : 0;
}

}  // namespace d01ozu
