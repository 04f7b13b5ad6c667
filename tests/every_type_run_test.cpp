// A whole run under -o+ over every raw type the dispatcher maps, in a T01 and
// a T04 file: each group of records (a compact family after the record that
// sets its reference) gives in the whole run the DAT records it gives on its
// own, of the types listed (none for the records that feed the report, the
// ION file or the binary message records), and the run ends with status 0.
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
#include "tests/dat_fixture.h"
#include "tests/test_support.h"

namespace {

using writers::Bytes;
using writers::Payload;

struct Group {
  std::string name;
  std::vector<Bytes> records;
  std::vector<uint8_t> dat_types;  // under -o+
};

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

// A type-17 epoch of n satellites with the L2 part (type 117 beyond 255
// bytes).
Bytes type17_epoch(uint32_t t, int n, int first_sv) {
  std::vector<std::array<uint8_t, 29>> entries(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) {
    std::array<uint8_t, 29>& e = entries[static_cast<size_t>(k)];
    e = {};
    e[0] = static_cast<uint8_t>(first_sv + k);
    e[1] = 0xD1;
    e[5] = 9;
    for (int b = 6; b < 19; ++b) e[b] = static_cast<uint8_t>(t / 1000 * (b + k));
    for (int b = 20; b < 29; ++b) e[b] = static_cast<uint8_t>(b + k);
  }
  return writers::type17_frame_from_entries(t, 0x10203, entries);
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

std::vector<Group> typed_groups() {
  std::vector<Group> out;
  out.push_back({"27", {writers::raw27_frame(epoch27(0))}, {27, 17}});
  writers::Compact27Encoder c27;
  out.push_back(
      {"36 to 39",
       {c27.whole(epoch27(1)), c27.predicted(c27.project(epoch27(2))),
        c27.varint(c27.project(epoch27(3)), true), c27.varint(c27.project(epoch27(4)), false)},
       {27, 17, 27, 17, 27, 17, 27, 17}});
  writers::Type29Solution s;
  s.b = {1, 0, 2, 0, 0x12, 5, 4, 3};
  s.items = {{3, 4, 1 << 28}, {5, 7, -1}};
  s.entries = {{3, 0, 2}, {11, 5, 2}, {4, 7, 0}};
  const Bytes first29 = writers::type29_record(s);
  s.p1 = 1000;
  out.push_back({"29, 56, 57",
                 {first29, writers::compact_position_full(first29),
                  writers::compact_position_delta(first29, first29, writers::type29_record(s))},
                 {29, 11, 29, 11, 29, 11}});
  writers::PositionSolution fix;
  fix.lists = {0, 1, 5, 9};
  const Bytes first11 = writers::position_solution(11, fix);
  fix.head[0] = -5;
  out.push_back(
      {"54, 55",
       {writers::compact_position_full(first11),
        writers::compact_position_delta(first11, first11, writers::position_solution(11, fix))},
       {11, 11}});
  Bytes payload40(12, 4);
  const Bytes forty = writers::raw_frame(40, 1, payload40);
  payload40[3] = 2;
  out.push_back(
      {"41",
       {forty, writers::compact_type40_patch(forty, writers::raw_frame(40, 1, payload40))},
       {40, 40}});
  Bytes payload25 = Payload().be32(1).be16(2).u8(3).u8(0).zeros(28).data();
  const Bytes t25 = writers::raw_record(25, 2, payload25);
  payload25[3] = 9;
  const Bytes next25 = writers::raw_record(25, 2, payload25);
  payload25[10] = 7;
  out.push_back(
      {"84 to 86",
       {writers::compact_type25_full(t25), writers::compact_type25_delta(t25, t25, next25, true),
        writers::compact_type25_delta(t25, next25, writers::raw_record(25, 2, payload25), false)},
       {25, 25, 25}});
  writers::CompactEncoder first(116), second(116);
  out.push_back(
      {"66, 67, 74, 75",
       {first.full(type17_epoch(600000, 3, 1)), first.delta(type17_epoch(601000, 3, 1)),
        first.full(type17_epoch(602000, 10, 1)), first.delta(type17_epoch(603000, 10, 1))},
       {17, 17, 17, 17}});
  out.push_back({"68, 69, 76, 77",
                 {writers::second_group_epoch(second.full(type17_epoch(610500, 3, 40))),
                  writers::second_group_epoch(second.delta(type17_epoch(611500, 3, 40))),
                  writers::second_group_epoch(second.full(type17_epoch(612500, 10, 40))),
                  writers::second_group_epoch(second.delta(type17_epoch(613500, 10, 40)))},
                 {17, 17, 17, 17}});
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

// The DAT records of a file: the length in byte 1, and in byte 2 too for
// the types whose records may pass 255 bytes.
std::vector<Bytes> split(const Bytes& dat, size_t from) {
  std::vector<Bytes> out;
  for (size_t at = from; at + 4 <= dat.size();) {
    const uint8_t type = dat[at + 3];
    const bool wide =
        type == 11 || type == 17 || type == 27 || type == 29 || type == 98 || type == 99;
    const size_t n = dat[at + 1] | (wide ? dat[at + 2] << 8 : 0);
    if (n < 4 || at + n > dat.size()) {
      ADD_FAILURE() << "no DAT record at " << at;
      break;
    }
    out.emplace_back(dat.begin() + at, dat.begin() + at + n);
    at += n;
  }
  return out;
}

struct Run {
  int status = -1;
  std::string output;
  Bytes dat;
};

Run convert(const std::string& name, const Bytes& input) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file(name), input);
  const testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), {"-d", "-o+", name});
  Run out{r.status, r.output, {}};
  // ".tgd" when the file holds type-27 records.
  for (const char* extension : {".dat", ".tgd"}) {
    const std::string dat = dir.file(name.substr(0, name.find('.')) + extension);
    if (testsupport::file_exists(dat)) out.dat = testsupport::read_file(dat);
  }
  return out;
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
    const Run alone = convert(name, file_of(g.records));
    EXPECT_EQ(alone.status, 0) << alone.output;
    ASSERT_GE(alone.dat.size(), dattest::kDatStartBytes) << alone.output;
    std::vector<uint8_t> types;
    for (const Bytes& r : split(alone.dat, dattest::kDatStartBytes)) types.push_back(r[3]);
    EXPECT_EQ(types, g.dat_types);
    expected.insert(expected.end(), alone.dat.begin() + dattest::kDatStartBytes, alone.dat.end());
    all.insert(all.end(), g.records.begin(), g.records.end());
  }
  const Run whole = convert(name, file_of(all));
  EXPECT_EQ(whole.status, 0) << whole.output;
  ASSERT_GE(whole.dat.size(), dattest::kDatStartBytes);
  EXPECT_EQ(Bytes(whole.dat.begin() + dattest::kDatStartBytes, whole.dat.end()), expected);
  // The type-5 page names the station in the binary message records.
  const std::string station = "EVRY";
  EXPECT_NE(std::search(whole.dat.begin(), whole.dat.begin() + dattest::kDatStartBytes,
                        station.begin(), station.end()),
            whole.dat.begin() + dattest::kDatStartBytes);
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
