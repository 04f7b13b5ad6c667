#include "testdata/session_records.h"

#include <algorithm>

namespace writers {
namespace {

// Appends count counts (words or longs) of each array in turn.
void put_counts(Payload& p, const std::vector<SatCounts>& sats, size_t count, bool wide) {
  for (int array = 0; array < 4; ++array) {
    for (size_t i = 0; i < count; ++i) {
      SatCounts c = i < sats.size() ? sats[i] : SatCounts{};
      uint32_t v = array == 0   ? c.total_l1
                   : array == 1 ? c.cont_l1
                   : array == 2 ? c.total_l2
                                : c.cont_l2;
      if (wide)
        p.be32(v);
      else
        p.be16(v);
    }
  }
}

// Appends count bytes of v, zero past its end.
void put_padded(Payload& p, const std::vector<uint8_t>& v, size_t count) {
  for (size_t i = 0; i < count; ++i) p.u8(i < v.size() ? v[i] : 0);
}

}  // namespace

Bytes ephemeris_record(int sv, const std::array<double, 25>& values) {
  Payload p;
  p.u8(sv);
  for (double v : values) p.bef64(v);
  return frame(3, p);
}

Bytes compact_ephemeris_record(const CompactEphemeris& e) {
  Payload p;
  p.u8(e.sv).be16(static_cast<uint16_t>(e.w0)).be16(static_cast<uint16_t>(e.w1));
  p.u8(e.byte0).u8(e.byte1);
  for (int32_t v : e.longs) p.be32(static_cast<uint32_t>(v));
  for (double v : e.doubles) p.bef64(v);
  p.be32(e.flags).zeros(10);
  return frame(21, p);
}

Bytes ion_utc_record(const IonUtc& ion) {
  Payload p;
  for (double v : ion.values) p.bef64(v);
  p.be16(static_cast<uint16_t>(ion.word_a)).be16(static_cast<uint16_t>(ion.word_b));
  p.be32(ion.long_value);
  for (uint8_t b : ion.raw) p.u8(b);
  return frame(15, p);
}

Bytes session_record(const SessionRecord& r, bool wide_counts) {
  size_t n = r.last_index >= 0 ? static_cast<size_t>(r.last_index) : r.sats.size() - 1;
  Payload p;
  p.u8(static_cast<unsigned>(n));
  p.bef64(r.ref_lat).bef64(r.ref_lon).bef64(r.ref_height).bef64(r.antenna_height);
  p.u8(r.session_byte).u8(r.l2_tracked).u8(r.test_mode).u8(r.ref_kind).u8(r.schedule_flag);
  p.u8(static_cast<uint8_t>(r.elevation_mask)).u8(static_cast<uint8_t>(r.min_satellites));
  p.u8(r.sv_selection).zeros(n + 1);
  p.u8(r.session_byte_b).u8(r.antenna_in_field).u8(r.antenna_unit);
  p.u8(r.position_logging).u8(r.position_only).u8(r.every_cycle).zeros(n + 1);
  p.be16(r.schedule_start).be16(r.schedule_stop).be16(r.logging_start).be16(r.logging_stop);
  put_counts(p, r.sats, n + 1, wide_counts);
  p.be16(r.sync_rate).be32(r.antenna_serial).be32(r.receiver_serial);
  p.be16(r.nav_version).be16(r.sig_version);
  return frame(wide_counts ? 22 : 4, p);
}

Bytes session_setup_record(const SessionSetup& s, bool wide_counts) {
  size_t count = s.last >= s.first ? size_t{s.last} - s.first + 1 : 0;
  Payload p;
  p.u8(0).u8(s.first).u8(s.last);
  put_padded(p, s.sat_bytes_a, count);
  put_padded(p, s.sat_bytes_b, count);
  put_counts(p, s.counts, count, wide_counts);
  size_t length =
      s.long_name_length >= 0 ? static_cast<size_t>(s.long_name_length) : s.long_name.size();
  p.u8(static_cast<unsigned>(length)).text(s.long_name, length);
  p.u8(s.setup_byte).be32(static_cast<uint32_t>(s.setup_long));
  for (uint8_t b : s.bytes3) p.u8(b);
  for (uint32_t v : s.longs) p.be32(v);
  for (uint8_t b : s.bytes4) p.u8(b);
  p.be32(s.long_value);
  for (uint8_t b : s.bytes2) p.u8(b);
  p.be16(static_cast<uint16_t>(s.scaled_word)).be16(s.word);
  return frame(wide_counts ? 23 : 13, p);
}

Bytes position_record(const PositionFixes& f, bool wide_counts) {
  Payload p;
  p.u8(0);
  for (double v :
       {f.best3d_lat, f.best3d_lon, f.best3d_height, f.best3d_pdop, f.best2d_lat, f.best2d_lon,
        f.best2d_pdop, f.mean3d_lat, f.mean3d_lon, f.mean3d_height, f.mean2d_lat, f.mean2d_lon})
    p.bef64(v);
  if (wide_counts)
    p.be32(f.fixes3d).be32(f.fixes2d);
  else
    p.be16(f.fixes3d).be16(f.fixes2d);
  return frame(wide_counts ? 24 : 5, p);
}

Bytes tracking_record(uint8_t index, const SatCounts& c, uint32_t extra_a, uint32_t extra_b) {
  Payload p;
  p.u8(index).be32(c.total_l1).be32(c.cont_l1).be32(c.total_l2).be32(c.cont_l2);
  p.be32(extra_a).be32(extra_b);
  return frame(14, p);
}

Bytes file_information_record(uint8_t selector, const std::vector<Bytes>& subrecords) {
  Payload p;
  p.u8(selector).u8(static_cast<unsigned>(subrecords.size()));
  for (const Bytes& sub : subrecords) p.u8(static_cast<unsigned>(sub.size())).bytes(sub);
  return frame(30, p);
}

Bytes receiver_identity_record(const ReceiverIdentity& id) {
  Bytes kind1 = Payload().be32(id.serial_number).be16(id.receiver_type).data();
  Bytes kind6(id.serial_text.begin(), id.serial_text.end());
  Bytes kind2 = Payload().be16(id.nav_version).be16(0).be16(0).data();
  Bytes kind3 = Payload().be32(id.antenna_number).u8(0).u8(0).data();
  return file_information_record(1, {kind1, kind6, Bytes{}, kind2, Bytes{}, kind3});
}

Bytes app_part(uint16_t total_length, bool more_parts, const Bytes& data) {
  Payload p;
  p.be16(total_length).u8(more_parts ? 1 : 0).u8(static_cast<unsigned>(data.size())).bytes(data);
  return frame(31, p);
}

std::vector<Bytes> app_parts(const Bytes& file, size_t part_size) {
  std::vector<Bytes> parts;
  for (size_t at = 0; at < file.size(); at += part_size) {
    size_t n = std::min(part_size, file.size() - at);
    Bytes chunk(file.begin() + at, file.begin() + at + n);
    parts.push_back(app_part(static_cast<uint16_t>(file.size()), at + n < file.size(), chunk));
  }
  return parts;
}

Bytes app_file_data(size_t n) {
  Bytes data(n);
  for (size_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
  return data;
}

}  // namespace writers
