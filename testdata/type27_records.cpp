#include "testdata/type27_records.h"

#include "testdata/t0x_writers.h"

namespace writers {

namespace {

// The epoch header: length byte, week, time, clock, count, flags and the
// parts the flags announce.
void put_header(Payload& p, const Raw27Epoch& e) {
  const size_t count = e.sv_count >= 0 ? static_cast<size_t>(e.sv_count) : e.satellites.size();
  p.u8(12 + ((e.flags & 0x02) ? 3 : 0) + ((e.flags & 0x10) ? 1 : 0));
  p.be16(e.week).be32(e.time_ms).be24(static_cast<uint32_t>(e.clock));
  p.u8(static_cast<unsigned>(count)).u8(e.flags);
  if (e.flags & 0x02) p.be24(static_cast<uint32_t>(e.drift));
  if (e.flags & 0x10) p.u8(e.extra);
  if (!(e.flags & 0x20)) return;
  size_t length = 2;
  for (const Raw27OffsetItem& item : e.offsets) length += 1 + item.size;
  p.u8(static_cast<unsigned>(length));
  p.u8(static_cast<unsigned>(e.offset_nibble | e.offsets.size() << 4));
  for (const Raw27OffsetItem& item : e.offsets) {
    p.u8(static_cast<unsigned>(item.kind | item.size << 4));
    for (int k = item.size - 1; k >= 0; --k) p.u8(static_cast<uint8_t>(item.value >> (8 * k)));
  }
}

// One measurement block, led by its length byte.
void put_block(Payload& out, const Raw27Block& b, bool first) {
  Payload p;
  p.u8(b.type).u8(b.track).be16(b.strength);
  if (first)
    p.be32(static_cast<uint32_t>(b.range));
  else
    p.be16(static_cast<uint16_t>(b.range));
  p.be48(static_cast<uint64_t>(b.phase)).u8(b.slip).u8(b.flags);
  if (b.flags & 0x80) p.u8(b.flags2);
  if ((b.flags & 0x80) && (b.flags2 & 0x80)) {
    p.u8(b.flags3);
    if (b.flags3 & 0x80) p.bytes(b.further);
  }
  if (b.flags & 0x04) p.be24(static_cast<uint32_t>(b.doppler));
  if (!first && (b.flags2 & 0x01)) p.u8(static_cast<uint8_t>(b.range >> 16));
  out.u8(static_cast<unsigned>(p.size() + 1)).bytes(p.data());
}

void put_satellite(Payload& out, const Raw27Satellite& s) {
  const size_t count = s.block_count >= 0 ? static_cast<size_t>(s.block_count) : s.blocks.size();
  Payload p;
  p.u8(s.sv).u8(s.system).u8(s.channel).u8(static_cast<unsigned>(count));
  p.u8(s.b6).u8(s.b8).u8(s.flags);
  if (s.flags & 0x80) {
    p.u8(s.flags2);
    if (s.flags2 & 0x01) p.bytes({s.extension[0], s.extension[1], s.extension[2]});
  }
  out.u8(static_cast<unsigned>(p.size() + 1)).bytes(p.data());
  for (size_t j = 0; j < s.blocks.size(); ++j) put_block(out, s.blocks[j], j == 0);
}

}  // namespace

Bytes raw27_payload(const Raw27Epoch& e) {
  Payload p;
  put_header(p, e);
  for (const Raw27Satellite& s : e.satellites) put_satellite(p, s);
  return p.data();
}

Bytes raw27_frame(const Raw27Epoch& e) {
  return raw_frame(27, 0, raw27_payload(e));
}

}  // namespace writers
