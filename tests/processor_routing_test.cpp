// What the record processor makes of each record type: the DAT file start
// and its final binary message records, the ION/UTC record rule, the filter
// mask, the ephemeris update condition, file information with the serial
// number fix, compact measurement records, a full disk, and container type-17
// epochs reduced to twelve entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "output/images.h"
#include "records/expanded_records.h"
#include "testdata/compact_encoder.h"
#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "testdata/t0x_writers.h"
#include "tests/dat_fixture.h"

using dattest::Bytes;
using dattest::Le;
using dattest::Processor;

namespace {

writers::IonUtc ion_with_last(uint32_t last, double first) {
  writers::IonUtc ion;
  ion.values[0] = first;
  ion.long_value = last;
  ion.raw = {1, 2, 3, 4, 5, 6, 7, 8};
  return ion;
}

TEST(ProcessorRouting, FileStartThenIonRecordOverwrittenOnceThenAppended) {
  Processor p;
  for (size_t i = 0; i < d01ozu::kIonImageSize; ++i) p.ion.bytes[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(p.feed(writers::ion_utc_record(ion_with_last(0, 9.0))), 0);  // 14th value 0: kept
  Bytes start = p.file();
  ASSERT_EQ(start.size(), dattest::kDatStartBytes);
  Le placeholders;
  placeholders.u8(0x74).u8(24).u8(0x86).u8(5).zeros(20);
  placeholders.u8(0x74).u8(98).u8(0x80).u8(5).zeros(94);
  placeholders.u8(0x74).u8(65).u8(0x81).u8(5).zeros(61);
  placeholders.u8(0x74).u8(64).u8(0x82).u8(5).zeros(60);
  placeholders.u8(0x74).u8(110).u8(0x83).u8(5).zeros(106);
  EXPECT_EQ(Bytes(start.begin(), start.begin() + 361), placeholders.data());
  // The initial ION/UTC record carries the image as it was at the first record.
  EXPECT_EQ(Bytes(start.begin() + 361, start.begin() + 365), (Bytes{0x74, 124, 0, 15}));
  EXPECT_EQ(start[365 + 119], 119);

  p.feed_ok({writers::ion_utc_record(ion_with_last(7, 1.5)),
             writers::ion_utc_record(ion_with_last(8, 2.5))});
  Bytes out = p.file();
  ASSERT_EQ(out.size(), dattest::kDatStartBytes + 124);
  EXPECT_EQ(dattest::le_f64(out, 365), 1.5);  // overwritten in place
  EXPECT_EQ(dattest::le_f64(out, 365 + 13 * 8), 7.0);
  EXPECT_EQ(Bytes(out.begin() + 477, out.begin() + 485), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(dattest::le_f64(out, 485 + 4), 2.5);  // then appended
}

// (The final pages of a whole run are checked by the DatRun tests.)
TEST(ProcessorRouting, FinishNeedsIntactPlaceholders) {
  d01ozu::RunInfo run;
  Processor p;
  ASSERT_EQ(p.feed(writers::message_frame(0, "X")), 0);
  p.dat.flush();
  p.dat.seek(24 + 98 + 1);
  uint8_t wrong = 70;
  p.dat.write(&wrong, 1);
  EXPECT_EQ(d01ozu::FinishDatFile(*p.rp, run), d01ozu::kStatusNoBinaryMessages);
  // A run without records has nothing to finish.
  Processor empty;
  EXPECT_EQ(d01ozu::FinishDatFile(*empty.rp, run), 0);
  EXPECT_TRUE(empty.file().empty());
}

TEST(ProcessorRouting, FilterMaskKeepsNewerTypesOutButStillFeedsTheState) {
  const Bytes t25 = writers::raw_record(25, 0, writers::Payload().zeros(35).data());
  const Bytes t33 = writers::raw_record(33, 1, {9, 9});
  const Bytes t31 = writers::app_part(3, false, {1, 2, 3});
  const Bytes t30 =
      writers::file_information_record(3, {writers::Payload().be32(5).be32(6).data()});
  {
    Processor p(d01ozu::ProcessorOptions{});  // type-27 mode 1 sets every bit
    for (const Bytes& r : {t25, t33, t31, t30}) ASSERT_EQ(p.feed(r), 0);
    EXPECT_TRUE(p.records().empty());
    EXPECT_EQ(p.app.state, 1);
    EXPECT_EQ(p.rp->facts.receiver_options[1], 6u);
  }
  Processor p;
  d01ozu::AddRecordFilter(*p.rp, 0x4 | 0x800);
  for (const Bytes& r : {t25, t33, t31, t30}) ASSERT_EQ(p.feed(r), 0);
  Bytes out = p.records();
  ASSERT_EQ(out.size(), 39u + 14u);
  EXPECT_EQ(out[3], 25);
  Le info;  // selector 3: kinds 4 (two longs reversed)
  info.u8(0x74).u8(14).u8(3).u8(30).u8(1).u8(8).le32(5).le32(6);
  EXPECT_EQ(Bytes(out.begin() + 39, out.end()), info.data());
}

TEST(ProcessorRouting, LogstUnknownTypesAndTheRecordCount) {
  Processor p;
  EXPECT_EQ(p.feed(writers::frame(18, writers::Payload().zeros(4))), d01ozu::kStatusLogst);
  EXPECT_EQ(p.feed(writers::frame(90, writers::Payload().zeros(4))), 0);
  EXPECT_EQ(p.feed(writers::frame(2, writers::Payload().zeros(4))), 0);
  EXPECT_TRUE(p.records().empty());
  EXPECT_EQ(p.rp->records_handed, 3);
  EXPECT_EQ(p.rp->last_record_type, 2);
}

// Types the legacy path has no row for are ignored at every length: legacy
// frames (type 0 among them) from the shortest sound one to 255 bytes, and raw
// frames whose byte 3 extends the length, including low length bytes below 6.
TEST(ProcessorRouting, TypesWithoutARowAreIgnoredAtAnyLength) {
  const int handled[] = {3,  4,  5,  7,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,  20,  21,
                         22, 23, 24, 25, 30, 31, 33, 64, 65, 66, 67, 74, 75, 101, 102, 117};
  const std::vector<Bytes> extended = {
      writers::raw_frame(34, 1, writers::Payload().zeros(256 - 7)),
      writers::raw_frame(34, 1, writers::Payload().zeros(261 - 7)),
      writers::raw_frame(27, 2, writers::Payload().zeros(512 - 7)),
      writers::raw_frame(99, 20, writers::Payload().zeros(5120 - 7))};
  Processor p;
  for (int type = 0; type < 256; ++type) {
    if (std::find(std::begin(handled), std::end(handled), type) != std::end(handled)) continue;
    for (size_t payload : {0, 1, 12, 249}) {
      const Bytes f = writers::frame(static_cast<uint8_t>(type), writers::Payload().zeros(payload));
      EXPECT_EQ(p.feed(f), 0) << "type " << type << ", length " << f.size();
    }
  }
  for (const Bytes& f : extended) EXPECT_EQ(p.feed(f), 0) << "length " << f.size();
  EXPECT_TRUE(p.records().empty());
}

TEST(ProcessorRouting, EphemerisSlotFollowsTheUpdateCondition) {
  Processor p;
  auto values = [](double v) {
    std::array<double, 25> a{};
    a.fill(v);
    return a;
  };
  p.feed_ok({writers::ephemeris_record(4, values(1.0)), writers::ephemeris_record(4, values(2.0))});
  Bytes slot(p.eph.slot(4), p.eph.slot(4) + 8);
  EXPECT_EQ(dattest::le_f64(slot, 0), 2.0);  // no measurement yet: overwritten
  writers::Type7Part part;
  part.bytes[5] = 4;
  p.feed_ok({writers::type7_part(part), writers::ephemeris_record(4, values(3.0))});
  slot.assign(p.eph.slot(4), p.eph.slot(4) + 8);
  EXPECT_EQ(dattest::le_f64(slot, 0), 2.0);        // named by a measurement: kept
  EXPECT_EQ(p.records().size(), 3u * 206u + 82u);  // but every record is written
}

TEST(ProcessorRouting, FileInformationAndTheSerialNumberFix) {
  writers::ReceiverIdentity id;
  id.serial_number = 123456;
  id.receiver_type = 29;
  id.serial_text = "4000000000";
  id.nav_version = 102;
  id.antenna_number = 0x7FFFFFFF;
  struct Case {
    int mode;
    uint16_t nav;
    const char* serial;
  };
  for (const Case& c : {Case{1, 102, "8294967296"}, Case{1, 104, "4000000000"},
                        Case{2, 104, "8294967296"}, Case{0, 102, "4000000000"}}) {
    d01ozu::ProcessorOptions o = dattest::unfiltered();
    o.serial_fix_mode = c.mode;
    o.quick_mode = 1;
    Processor p(o);
    EXPECT_EQ(d01ozu::quick_summary_line(*p.rp), nullptr);
    id.nav_version = c.nav;
    ASSERT_EQ(p.feed(writers::receiver_identity_record(id)), 0);
    const d01ozu::ReceiverFacts& f = p.rp->facts;
    EXPECT_STREQ(f.serial_text, c.serial) << c.mode << " " << c.nav;
    EXPECT_EQ(f.serial_number, 123456u);
    EXPECT_EQ(f.receiver_type, 29);
    EXPECT_EQ(f.nav_version, c.nav);
    EXPECT_EQ(f.antenna_number, 0x7FFFFFFFu);
    const std::string want =
        std::string("sn:") + c.serial + ";fw:" + (c.nav == 102 ? "1.02" : "1.04") + ";rx:29\n";
    EXPECT_EQ(std::string(d01ozu::quick_summary_line(*p.rp)), want);
  }
}

TEST(ProcessorRouting, FileInformationImageAndDamagedCounts) {
  Processor p;
  // selector 1: kinds 1, 6, 0 (short kind-1 record read as far as it goes)
  Bytes rec = writers::file_information_record(1, {{0, 0, 1}, {'A', 'B', 0, 'C'}, {7}});
  ASSERT_EQ(p.feed(rec), 0);
  Le want;
  want.u8(0x74).u8(16).u8(1).u8(30).u8(3).u8(3).bytes({0, 0, 1}).u8(4).bytes({'A', 'B', 0, 'C'});
  want.u8(1).u8(7);
  EXPECT_EQ(p.records(), want.data());
  EXPECT_STREQ(p.rp->facts.serial_text, "AB");
  EXPECT_EQ(p.rp->facts.serial_number, 0u);
  // A count larger than the record holds drops the record.
  Bytes damaged = rec;
  damaged[4] = 9;
  damaged = writers::frame(30, Bytes(damaged.begin() + 3, damaged.end() - 3));
  EXPECT_EQ(p.feed(damaged), d01ozu::kStatusExpansion);
  // Selector 0 opens a stream: the message flag goes, nothing is written.
  p.feed_ok({writers::message_frame(124, "1"), writers::file_information_record(0, {})});
  EXPECT_FALSE(p.rp->message_flag);
  EXPECT_EQ(p.records(), want.data());
}

// A type-17 frame of two satellites at time t.
Bytes compact_source(uint32_t t) {
  std::array<uint8_t, 29> a{}, b{};
  a[0] = 3;
  a[5] = 40;
  a[9] = static_cast<uint8_t>(t);
  b[0] = 9;
  b[5] = 41;
  b[13] = static_cast<uint8_t>(t * 2);
  return writers::type17_frame_from_entries(t * 1000, 0, {a, b});
}

TEST(ProcessorRouting, CompactRecordsBecomeType17EpochsWithMappedStatuses) {
  Processor p;
  writers::CompactEncoder enc;
  EXPECT_EQ(p.feed(writers::frame(64, writers::Payload().zeros(6))), d01ozu::kStatusExpansion);
  p.feed_ok({enc.full(compact_source(1)), enc.delta(compact_source(2))});
  Bytes bad = enc.delta(compact_source(3));
  bad[bad.size() - 2] ^= 1;
  EXPECT_EQ(p.feed(bad), d01ozu::kStatusBadChecksum);
  Bytes garbage = writers::frame(66, writers::Payload().u8(0x60).zeros(1));
  EXPECT_EQ(p.feed(garbage), d01ozu::kStatusExpansion);
  Bytes out = p.records();
  ASSERT_EQ(out.size(), 2u * (21 + 2 * 48));
  EXPECT_EQ(dattest::le_f64(out, 4), 1000.0);
  EXPECT_EQ(dattest::le_f64(out, 117 + 4), 2000.0);
  EXPECT_EQ(out[117 + 21], 3);
  EXPECT_EQ(out[117 + 21 + 48], 9);
}

TEST(ProcessorRouting, FullDiskLatchesAndEndsTheRun) {
  testsupport::TempDir dir;
  writers::R00File f;
  for (int i = 0; i < 5000; ++i) f.records.push_back(writers::message_frame(0, "0123456789ABCDEF"));
  testsupport::write_file(dir.file("big.r00"), f.bytes());
  // The limit is met while records are still coming (past the write buffer)
  // and, for a short run, only when the file start is rewritten at the end.
  auto r = testsupport::run_rawsplit(dir.path(), {"-dv", "big.r00"}, {}, 4096);
  EXPECT_EQ(r.status, d01ozu::kStatusDiskFull);
  EXPECT_NE(r.output.find("records: "), std::string::npos);
  EXPECT_EQ(r.output.find("records: 5000"), std::string::npos);
  f.records.resize(300);
  testsupport::write_file(dir.file("small.r00"), f.bytes());
  EXPECT_EQ(testsupport::run_rawsplit(dir.path(), {"-d", "small.r00"}, {}, 4096).status,
            d01ozu::kStatusDiskFull);
}

template <typename Structure>
d01ozu::StatusCode hand(Processor& p, int type, const Bytes& header, const Structure* payload) {
  d01ozu::ExpandedRecord r;
  r.type = type;
  std::copy(header.begin(), header.begin() + 4, r.header);
  r.payload = payload;
  return d01ozu::process_expanded_record(*p.rp, r);
}

// A container epoch of the given satellites; entry i has word4 = strength[i].
std::unique_ptr<d01ozu::Type17Record> epoch(double t, const std::vector<uint8_t>& svs,
                                            const std::vector<int16_t>& strength) {
  auto r = std::make_unique<d01ozu::Type17Record>();
  r->receive_time = t;
  r->clock_offset = 0.25;
  r->count = static_cast<uint8_t>(svs.size());
  for (size_t i = 0; i < svs.size(); ++i) {
    d01ozu::Type17Entry& e = r->entries[i];
    e = d01ozu::Type17Entry{};
    e.sv = svs[i];
    e.flags1 = svs[i] == 7 ? 0x21 : 0xC0;
    e.flags3 = 3;
    e.word4 = static_cast<uint16_t>(strength[i]);
    for (int v = 0; v < 9; ++v) e.values[v] = svs[i] + v / 10.0;
  }
  return r;
}

std::vector<uint8_t> entry_svs(const Bytes& out, size_t at) {
  std::vector<uint8_t> svs;
  const int count = out[at + 20];
  size_t e = at + 21;
  for (int i = 0; i < count; ++i) {
    svs.push_back(out[e]);
    e += (out[e + 1] & 1) ? 72 : 48;
  }
  return svs;
}

TEST(ProcessorExpanded, Type17ReducedToTwelveEntriesWithoutExtendedType17) {
  std::vector<uint8_t> svs = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 32, 13, 14};
  std::vector<int16_t> strength = {50, 40, -3, 45, 45, 45, 45, 45, 45, 45, 45, -9, -2, 45};
  const Bytes header{0x74, 0, 0, 17};
  Processor p;
  ASSERT_EQ(hand(p, 17, header, epoch(1000, svs, strength).get()), 0);
  ASSERT_EQ(hand(p, 17, header, epoch(2000, {3, 13, 7}, {45, 45, 45}).get()), 0);
  Bytes out = p.records();
  // Satellite 32 goes, then the weakest (3) until twelve remain.
  EXPECT_EQ(entry_svs(out, 0), (std::vector<uint8_t>{1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14}));
  const size_t first = 21 + 11 * 48 + 72;
  EXPECT_EQ(out[1] | out[2] << 8, static_cast<int>(first));
  EXPECT_EQ(dattest::le_f64(out, 4), 1000.0);
  EXPECT_EQ(dattest::le_f64(out, 12), 0.25);
  // The dropped satellite's next entry is marked once.
  EXPECT_EQ(entry_svs(out, first), (std::vector<uint8_t>{3, 13, 7}));
  EXPECT_EQ(out[first + 21 + 1], 0xC0 | 0x02);
  EXPECT_EQ(out[first + 21 + 48 + 1], 0xC0);
  // Entry layout: bytes 0-3, two words, 5 doubles (8 with L2).
  Le seven;
  seven.u8(7).u8(0x21).u8(0).u8(3).le16(45).le16(0);
  for (int v = 0; v < 8; ++v) seven.f64(7 + v / 10.0);
  const size_t at7 = first + 21 + 96;
  EXPECT_EQ(Bytes(out.begin() + at7, out.begin() + at7 + 72), seven.data());

  d01ozu::ProcessorOptions extended = dattest::unfiltered();
  extended.type27_flag = 1;
  Processor q(extended);
  ASSERT_EQ(hand(q, 17, header, epoch(1000, svs, strength).get()), 0);
  EXPECT_EQ(entry_svs(q.records(), 0), svs);
}

}  // namespace
