// A whole run under -o+ over every raw type the dispatcher maps, in a T01 and
// a T04 file: each group of records (a compact family after the record that
// sets its reference) gives in the whole run the DAT records it gives on its
// own, of the types listed (none for the records that feed the report, the
// ION file or the binary message records), and the run ends with status 0.
// Compact groups give the very DAT records of the plain records they were
// made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "testdata/compact27_encoder.h"
#include "testdata/compact_encoder.h"
#include "testdata/compact_patches.h"
#include "testdata/compact_positions.h"
#include "testdata/legacy_records.h"
#include "testdata/position_records.h"
#include "testdata/record35_epochs.h"
#include "testdata/session_records.h"
#include "testdata/t0x_writers.h"
#include "testdata/type27_records.h"
#include "tests/test_support.h"

namespace {

using testsupport::kDatStartBytes;
using writers::Bytes;
using writers::Payload;

struct Group {
  std::string name;
  std::vector<Bytes> records;
  std::vector<uint8_t> dat_types;  // under -o+
  std::vector<Bytes> plain = {};   // records of the same DAT records, if any
};

std::vector<uint8_t> times(int n, std::vector<uint8_t> types) {
  std::vector<uint8_t> out;
  for (int i = 0; i < n; ++i) out.insert(out.end(), types.begin(), types.end());
  return out;
}

// A type-27 epoch whose blocks carry their doppler, so no epoch of another
// group changes it.
writers::Raw27Epoch epoch27(int k) {
  writers::Raw27Epoch e;
  e.week = 2300;
  e.time_ms = 500000u + 1000u * static_cast<uint32_t>(k);
  e.flags = 0x30;
  e.offsets = {{1, 2, 512}};
  for (uint8_t sv : {4, 9}) {
    writers::Raw27Satellite s;
    s.sv = sv;
    writers::Raw27Block l1, l2;
    l1.range = writers::range0(2e7 + sv, 0);
    l1.phase = writers::cycles(100.0 * k + sv);
    l1.doppler = writers::hertz(-50.0);
    l1.flags = 0x07;
    l2.type = 1;
    l2.track = 2;
    l2.range = writers::range_difference(2.0);
    l2.phase = writers::cycles(80.0 * k);
    l2.flags = 0x07;
    s.blocks = {l1, l2};
    e.satellites.push_back(s);
  }
  return e;
}

std::vector<Group> legacy_groups() {
  writers::ReceiverIdentity id;
  id.serial_number = 4711;
  id.receiver_type = 29;
  id.serial_text = "5123K40017";
  writers::Type5Page0 page0;
  page0.station = "EVRY";
  writers::PositionSolution fix;
  fix.lists = {0, 1, 5, 9};
  fix.refine = true;
  writers::IonUtc ion;
  ion.values[0] = 1e-8;
  const Bytes newer = Payload().be16(0x0102).u8(7).data();
  return {
      {"30 file information", {writers::receiver_identity_record(id)}, {30}},
      {"12", {writers::type12_record(writers::Type12Record{})}, {12}},
      {"16", {writers::message_frame(0, "MESSAGE")}, {16}},
      {"19", {writers::event_record(6, 1, 2, {3, 4})}, {19}},
      {"21", {writers::compact_ephemeris_record(writers::CompactEphemeris{})}, {21}},
      {"5", {writers::type5_page(page0)}, {}},
      {"11", {writers::position_solution(11, fix)}, {11}},
      {"14, 15, 22, 23, 24",
       {writers::tracking_record(0, {}), writers::ion_utc_record(ion),
        writers::session_record({}, true), writers::session_setup_record({}, true),
        writers::position_record({}, true)},
       {}},
      {"17", {writers::type17_part(7000, 0, false, {writers::Type17Entry{}})}, {17}},
      {"25", {writers::raw_record(25, 0, Payload().be32(1).be16(2).u8(7).zeros(28).data())}, {25}},
      {"26", {writers::raw_frame(26, 5, newer)}, {26}},
      {"28", {writers::raw_frame(28, 5, newer)}, {28}},
      {"31", {writers::app_part(10, false, Bytes(10, 0x41))}, {31}},
      {"32", {writers::raw_frame(32, 5, newer)}, {32}},
      {"33",
       {writers::raw_record(33, 14, Payload().be32(7).text("thirty-three", 12).data())},
       {33}},
      {"34, 90",
       {writers::raw_frame(34, 0, Bytes(9, 1)), writers::raw_frame(90, 0, Bytes(9, 1))},
       {}},
      {"40", {writers::raw_frame(40, 5, newer)}, {40}},
      {"98", {writers::raw_frame(98, 0, Bytes(300, 0x5A))}, {98}},
      {"99", {writers::raw_frame(99, 0, Bytes(20, 0x5B))}, {99}},
  };
}

// Type-11 solutions drifting slowly, with one jump that needs whole values.
std::vector<Bytes> type11_frames() {
  std::vector<Bytes> out;
  for (int i = 0; i < 6; ++i) {
    writers::PositionSolution s;
    s.head = {0x20000000 + 3 * i * i, -0x10000000 - 70000 * i, 5000 - i, i == 4 ? 0x7FFF0000 : i,
              -i * 300};
    s.sixth = static_cast<uint16_t>(100 + i);
    s.tail = {i, -i, 0x12345678};
    s.word = 345600000u + 1000u * i;
    s.fix_byte = 0x43;
    s.lists = {0, 1, 2, 7, 9, 12};
    s.refine = true;
    s.refine_a = 5;
    out.push_back(writers::position_solution(11, s));
  }
  return out;
}

std::vector<Bytes> type29_frames() {
  std::vector<Bytes> out;
  for (int i = 0; i < 5; ++i) {
    writers::Type29Solution s;
    s.h2 = 345600000u + 200u * i;
    s.b = {1, 0, 2, 0, 0x12, 5, 4, 3};
    s.p1 = (int64_t{45} << 40) + 1000 * i;
    s.p2 = -(int64_t{100} << 39) - (int64_t{1} << 36) * i * i;
    s.p3 = 250 * 4096 - 17 * i;
    s.q1 = i == 3 ? -1 : 1 << 26;
    s.items = {{3, 4, 1 << 28}, {5, 7, -1}};
    s.entries = {{3, 0, 2}, {11, 5, 2}, {4, 7, 0}};
    out.push_back(writers::type29_record(s));
  }
  return out;
}

// A plain record of the type, then the full compact record of the first
// frame and deltas of each next one.
Group compact_positions(const std::string& name, const std::vector<Bytes>& frames,
                        const std::vector<uint8_t>& types) {
  Group g{name, {frames[0], writers::compact_position_full(frames[0])}, {}, {frames[0]}};
  for (size_t i = 1; i < frames.size(); ++i) {
    const Bytes& previous = frames[i >= 2 ? i - 2 : 0];
    g.records.push_back(writers::compact_position_delta(previous, frames[i - 1], frames[i]));
  }
  g.plain.insert(g.plain.end(), frames.begin(), frames.end());
  g.dat_types = times(static_cast<int>(g.plain.size()), types);
  return g;
}

// A type-25 record of sub-code 0 or 2 at time t, with a changing byte.
Bytes type25(uint8_t sub_code, uint32_t t, uint8_t changing) {
  Payload p;
  p.be32(t).be16(0x0506).u8(7);
  if (sub_code == 2) p.u8(0x40);
  p.zeros(20).u8(changing).zeros(7);
  if (sub_code == 2) p.u8(9).be32(10);
  return writers::raw_record(25, sub_code, p.data());
}

Bytes type40(uint8_t sub_code, uint8_t a, uint8_t b) {
  return writers::raw_frame(40, sub_code, Payload().be32(0x01020304).u8(a).zeros(5).u8(b));
}

// Types 25 of sub-codes 0 and 2 interleaved, times stepping by 1000 with one
// jump, as 84 to 86; type 40 with byte changes and a sub-code change as 41.
Group compact_patches() {
  Group g{"84 to 86, 41", {}, {}, {}};
  std::vector<Bytes> zero, two;
  for (uint32_t i = 0; i < 5; ++i) {
    zero.push_back(type25(0, 345600000 + 1000 * i + (i == 3 ? 7777777 : 0), uint8_t(i)));
    two.push_back(type25(2, 500 * i * i, uint8_t(i % 2)));
    g.plain.push_back(zero[i]);
    g.plain.push_back(two[i]);
    if (i == 0) {
      g.records.push_back(writers::compact_type25_full(zero[0]));
      g.records.push_back(writers::compact_type25_full(two[0]));
      continue;
    }
    const size_t before = i >= 2 ? i - 2 : 0;
    g.records.push_back(writers::compact_type25_delta(zero[before], zero[i - 1], zero[i], true));
    g.records.push_back(writers::compact_type25_delta(two[before], two[i - 1], two[i], i % 2));
  }
  const std::vector<Bytes> forty = {type40(1, 1, 2), type40(1, 1, 3), type40(4, 9, 3)};
  g.plain.insert(g.plain.end(), forty.begin(), forty.end());
  g.records.push_back(forty[0]);
  g.records.push_back(writers::compact_type40_patch(forty[0], forty[1]));
  g.records.push_back(writers::compact_type40_patch(forty[1], forty[2]));
  g.dat_types = times(10, {25});
  g.dat_types.insert(g.dat_types.end(), {40, 40, 40});
  return g;
}

// Compact type-17 epochs of the first or the second satellite group: a full
// epoch and deltas. Short ones give the DAT records of their type-17 frames;
// long ones (types 74 to 77) expand into type 117, an R00 form.
Group compact17(const std::string& name, uint32_t t, uint8_t first_sv, int sats, bool second) {
  writers::CompactEncoder encoder(116);
  Group g{name, {}, times(3, {17}), {}};
  for (uint32_t n = 0; n < 3; ++n) {
    const Bytes frame = writers::moving_type17_epoch(t + 1000 * n, first_sv, sats, n);
    const Bytes record = n ? encoder.delta(frame) : encoder.full(frame);
    g.records.push_back(second ? writers::second_group_epoch(record) : record);
    if (frame[2] == 17) g.plain.push_back(frame);
  }
  return g;
}

std::vector<Group> typed_groups() {
  std::vector<Group> out;
  out.push_back({"27", {writers::raw27_frame(epoch27(0))}, {27, 17}, {}});
  writers::Compact27Encoder c27;
  Group g27{
      "36 to 39", {c27.whole(epoch27(1))}, times(4, {27, 17}), {writers::raw27_frame(epoch27(1))}};
  for (int k = 2; k <= 4; ++k) {
    const writers::Raw27Epoch e = c27.project(epoch27(k));
    g27.records.push_back(k == 2 ? c27.predicted(e) : c27.varint(e, k == 3));
    g27.plain.push_back(writers::raw27_frame(e));
  }
  out.push_back(g27);
  out.push_back(compact_positions("29, 56, 57", type29_frames(), {29, 11}));
  out.push_back(compact_positions("11, 54, 55", type11_frames(), {11}));
  out.push_back(compact_patches());
  out.push_back(compact17("66, 67", 600000, 1, 3, false));
  out.push_back(compact17("74, 75", 603000, 13, 12, false));
  out.push_back(compact17("68, 69", 610500, 40, 3, true));
  out.push_back(compact17("76, 77", 613500, 50, 12, true));
  return out;
}

// Record 35: a subtype-19 key record after its schema (a T04 file only).
Group record35_group() {
  writers::Epoch e{700000, 2300, 0, 0, 1, 0, {{1, 10}}, 0, 0, {}};
  writers::Sat sat{5, 0, 0, 0, 3, 0, 0, 0, 400, 120, {}};
  sat.meas.push_back({0, 0, 1, 0x602, 0, 450, 2560000000, 32768000, -12800});
  e.sats.push_back(sat);
  writers::DeltaCoder coder;
  Group g{"35",
          writers::record35_pages(19, 0, writers::text_bytes(writers::sub19_writer_schema())),
          {27, 17}};
  for (const Bytes& p : writers::record35_pages(19, 1, writers::sub19_body(e, coder, true)))
    g.records.push_back(p);
  return g;
}

testsupport::DatRun convert(const std::string& name, const Bytes& input) {
  return testsupport::run_on_input(name, input, {"-d", "-o+"});
}

using FileOf = Bytes (*)(const std::vector<Bytes>&);

Bytes t01_of(const std::vector<Bytes>& records) {
  std::vector<Bytes> frames{writers::t00_file_record()};
  frames.insert(frames.end(), records.begin(), records.end());
  return writers::t01_stream(frames);
}

// Blocks of kind 4 keep each record whole; zstd blocks (kind 8) store them
// without STX, check bytes and end byte.
Bytes t04_of(const std::vector<Bytes>& records) {
  return writers::t04_file(records, 4);
}
Bytes t04_zstd_of(const std::vector<Bytes>& records) {
  return writers::t04_file(records, 8);
}

void check_every_type(const std::string& name, FileOf file_of, const std::vector<Group>& groups) {
  std::vector<Bytes> all;
  Bytes expected;
  for (const Group& g : groups) {
    SCOPED_TRACE(g.name);
    const testsupport::DatRun alone = convert(name, file_of(g.records));
    EXPECT_EQ(alone.status, 0) << alone.output;
    ASSERT_GE(alone.dat.size(), kDatStartBytes) << alone.output;
    std::vector<uint8_t> types;
    for (const Bytes& r : testsupport::dat_records(alone.dat))
      types.push_back(r.empty() ? 0 : r[3]);
    EXPECT_EQ(types, g.dat_types);
    if (!g.plain.empty()) {
      EXPECT_EQ(alone.dat, convert(name, file_of(g.plain)).dat);
    }
    expected.insert(expected.end(), alone.dat.begin() + kDatStartBytes, alone.dat.end());
    all.insert(all.end(), g.records.begin(), g.records.end());
  }
  const testsupport::DatRun whole = convert(name, file_of(all));
  EXPECT_EQ(whole.status, 0) << whole.output;
  ASSERT_GE(whole.dat.size(), kDatStartBytes);
  EXPECT_EQ(Bytes(whole.dat.begin() + kDatStartBytes, whole.dat.end()), expected);
  // The type-5 page names the station in the binary message records.
  const std::string station = "EVRY";
  EXPECT_NE(std::search(whole.dat.begin(), whole.dat.begin() + kDatStartBytes, station.begin(),
                        station.end()),
            whole.dat.begin() + kDatStartBytes);
}

TEST(EveryTypeRun, T01FileOfEveryMappedType) {
  std::vector<Group> groups = legacy_groups();
  for (const Group& g : typed_groups()) groups.push_back(g);
  check_every_type("a.t01", t01_of, groups);
}

TEST(EveryTypeRun, T04FileOfEveryMappedType) {
  std::vector<Group> groups = legacy_groups();
  for (const Group& g : typed_groups()) groups.push_back(g);
  groups.push_back(record35_group());
  check_every_type("a.t04", t04_of, groups);
}

// Compact epochs of types 66 to 69 and 74 to 77 from a block stored without
// STX have lost the check value that the codec verifies: they are refused.
TEST(EveryTypeRun, T04ZstdFileOfEveryMappedTypeButCompactType17) {
  std::vector<Group> groups = legacy_groups();
  for (const Group& g : typed_groups())
    if (g.dat_types.empty() || g.records[0][2] < 66 || g.records[0][2] > 77) groups.push_back(g);
  groups.push_back(record35_group());
  check_every_type("a.t04", t04_zstd_of, groups);
}

}  // namespace
