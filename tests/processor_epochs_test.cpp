// Measurement epochs through the record processor: type-7 and type-17
// assembly, sequence rules, event records around epochs, type 102.
#include <gtest/gtest.h>

#include <cmath>

#include "testdata/legacy_records.h"
#include "tests/dat_fixture.h"

using d01ozu::kStatusOutOfSequence;
using dattest::Bytes;
using dattest::Le;
using dattest::Processor;

namespace {

writers::Type7Part part7(uint8_t part, uint32_t time_ms, uint8_t sv, int size = 51) {
  writers::Type7Part p;
  p.part = part;
  p.time_ms = time_ms;
  p.bytes = {1, 2, 3, 4, 0, sv};
  p.size = size;
  return p;
}

// One single-part type-7 epoch.
Bytes epoch7(uint32_t time_ms, uint8_t sv = 1) {
  return writers::type7_part(part7(0, time_ms, sv));
}

// One single-part, single-entry type-17 epoch.
Bytes epoch17(uint32_t time_ms, bool more = false, uint8_t sv = 1) {
  writers::Type17Entry e;
  e.sv = sv;
  return writers::type17_part(time_ms, 0, more, {e});
}

// Record types (byte 3) of the DAT records in out, in order.
std::vector<int> record_types(const Bytes& out) {
  std::vector<int> types;
  for (size_t at = 0; at + 4 <= out.size();) {
    types.push_back(out[at + 3]);
    size_t n = out[at + 1];
    if (out[at + 3] == 17 || out[at + 3] == 102) n |= out[at + 2] << 8;
    if (n == 0) break;
    at += n;
  }
  return types;
}

TEST(ProcessorEpochs, Type7EpochIsWrittenWhenItsLastPartArrives) {
  Processor p;
  writers::Type7Part a = part7(2, 60000, 4, 51);
  a.word_a = 0x0102;
  a.clock = -512;
  a.second = 128;
  a.third = 5;
  a.fourth = 0x8000;
  a.fifth = 2.5;
  a.seventh = 8192;
  a.eighth = 1024;
  p.feed_ok({writers::type7_part(a), writers::type7_part(part7(1, 99, 9, 61))});
  EXPECT_TRUE(p.records().empty());
  ASSERT_EQ(p.feed(writers::type7_part(part7(0, 99, 4, 73))), 0);

  Bytes out = p.records();
  ASSERT_EQ(out.size(), 82u + 106u + 122u);
  Le first;
  first.u8(0x74).u8(82).u8(2).u8(7).le16(0x0102).le16(0).zeros(4).f64(-1.0).f64(1.0).f64(5.0);
  first.f64(std::ldexp(1.0, -3)).f64(2.5).f64(60000.0).f64(1.0).f64(1.0);
  first.bytes({1, 2, 3, 4, 0, 4});
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 82), first.data());
  EXPECT_EQ(Bytes(out.begin() + 82, out.begin() + 86), (Bytes{0x74, 106, 1, 7}));
  EXPECT_EQ(Bytes(out.begin() + 188, out.begin() + 192), (Bytes{0x74, 122, 0, 7}));
  // The epoch time is the first part's; each part names its satellite.
  EXPECT_EQ(p.rp->facts.latest_epoch_ms, 60000.0);
  EXPECT_EQ(p.rp->facts.sv_record_count[4], 2u);
  EXPECT_EQ(p.rp->facts.sv_record_count[9], 1u);
}

TEST(ProcessorEpochs, Type7SequenceRule) {
  constexpr uint32_t kWeek = 302400000;
  Processor p;
  EXPECT_EQ(p.feed(epoch7(kWeek + 5000)), 0);  // the first epoch is never out of sequence
  EXPECT_EQ(p.feed(epoch7(kWeek + 5000)), 0);  // equal times are accepted
  EXPECT_EQ(p.feed(epoch7(kWeek + 4000)), kStatusOutOfSequence);
  EXPECT_EQ(p.feed(epoch7(2 * kWeek + 4001)), kStatusOutOfSequence);  // more than a week on
  EXPECT_EQ(p.feed(epoch7(kWeek + 4001)), 0);  // exactly a week back: accepted
  EXPECT_EQ(record_types(p.records()), (std::vector<int>{7, 7, 7, 7, 7}));
  EXPECT_EQ(p.rp->facts.first_epoch_ms, kWeek + 5000.0);
  EXPECT_EQ(p.rp->facts.latest_epoch_ms, kWeek + 4001.0);
}

TEST(ProcessorEpochs, Type17EntriesAndEpochHeader) {
  Processor p;
  p.rp->facts.receiver_type = 5;
  // sv, flags, flags2, bytes 3-5, range, phase, doppler, byte 19, then the
  // L2 value, phase and range.
  const writers::Type17Entry fine{5, 0x21, 3, 10, 20, 8, 1280, -32768, -64, -128, 6, 65536, -256};
  writers::Type17Entry coarse = fine;
  coarse.sv = 130;
  coarse.flags = 0x01;
  coarse.l2_value = 32;
  writers::Type17Entry plain;
  plain.sv = 7;
  p.feed_ok({writers::type17_part(86400000, -(1 << 19), true, {fine, coarse}),
             writers::type17_part(86400000, 0, false, {plain})});

  Le want;
  want.u8(0x74).le16(21 + 72 + 72 + 48).u8(17).f64(86400000.0).f64(-1.0).u8(3);
  want.u8(5).u8(0x21).u8(3).u8(3).le16(10).le16(40).f64(2.0).f64(10.0).f64(-1.0).f64(-1.0);
  want.f64(-1.0).f64(1.5).f64(2.0).f64(-1.0);
  want.u8(130).u8(0x01).u8(3).u8(3).le16(10).le16(40).f64(2.0).f64(20.0).f64(-1.0).f64(-1.0);
  want.f64(-1.0).f64(1.0).f64(2.0).f64(0.0);
  want.u8(7).u8(0).u8(0).u8(3).le16(0).le16(0).zeros(40);
  EXPECT_EQ(p.records(), want.data());
  // Type-17 entries name no satellite for the record counts.
  EXPECT_EQ(p.rp->facts.sv_record_count[5], 0u);
}

TEST(ProcessorEpochs, Type17SplitEqualTimeAndSequence) {
  Processor p;
  ASSERT_EQ(p.feed(epoch17(100000, true)), 0);
  // A part with another time closes the open epoch as it stands.
  p.feed_ok({epoch17(101000, true), epoch17(101000, false, 2)});
  EXPECT_EQ(p.feed(epoch17(101000)), 0);                    // same time as the latest: not written
  EXPECT_EQ(p.feed(epoch17(91000)), 0);                     // 10 s back: accepted
  EXPECT_EQ(p.feed(epoch17(71000)), kStatusOutOfSequence);  // 20 s back: written, flagged
  EXPECT_EQ(p.feed(epoch17(71000 + 302400001u)), kStatusOutOfSequence);

  Bytes out = p.records();
  EXPECT_EQ(record_types(out), (std::vector<int>{17, 17, 17, 17, 17}));
  EXPECT_EQ(out[21 - 1], 1);   // first epoch: one entry
  EXPECT_EQ(out[69 + 20], 2);  // second epoch gathered two parts
  EXPECT_EQ(dattest::le_f64(out, 69 + 4), 101000.0);
  EXPECT_EQ(p.rp->facts.first_epoch_ms, 100000.0);
}

TEST(ProcessorEpochs, EventsAroundEpochs) {
  Processor p;
  p.feed_ok({writers::event_record(2, 0x11, 50000), epoch17(40000)});
  EXPECT_EQ(record_types(p.records()), (std::vector<int>{17}));  // one epoch known: events wait
  p.feed_ok({writers::event_text_record(0x22, 45000, "site A"), epoch17(48000)});
  // Two epochs known: the text event (45000) goes before the epoch at
  // 48000, the event at 50000 after it.
  Bytes out = p.records();
  EXPECT_EQ(record_types(out), (std::vector<int>{17, 19, 17, 19}));
  Le text;
  text.u8(0x74).u8(13).u8(3).u8(19).le16(0x22).bytes({'s', 'i', 't', 'e', ' ', 'A', 0});
  EXPECT_EQ(Bytes(out.begin() + 69, out.begin() + 82), text.data());
  Le late;
  late.u8(0x74).u8(14).u8(2).u8(19).le16(0x11).f64(50000.0);
  EXPECT_EQ(Bytes(out.end() - 14, out.end()), late.data());
}

TEST(ProcessorEpochs, SubCodeZeroEventsRemoveTheInterpolatedClock) {
  Processor p;
  // Epoch clock values 0 ms at 40000 and 2 ms at 48000.
  p.feed_ok({writers::type17_part(40000, 0, false, {writers::Type17Entry{}}),
             writers::type17_part(48000, 2 << 19, false, {writers::Type17Entry{}}),
             writers::event_record(0, 7, 44000, {0x8000}),
             writers::type17_part(56000, 4 << 19, false, {writers::Type17Entry{}})});
  Bytes out = p.records();
  ASSERT_EQ(record_types(out), (std::vector<int>{17, 17, 19, 17}));
  // Receiver time 44000.5 ms; the clock between 48000 (2 ms) and 56000
  // (4 ms), extended back to 44000.5, is 1.000125 ms.
  EXPECT_DOUBLE_EQ(dattest::le_f64(out, 69 * 2 + 6), 44000.5 - 1.000125);
}

TEST(ProcessorEpochs, Type102PartsMakeOneRecord) {
  Processor p;
  writers::Type102Entry a{1, 2, {1.0, 2.0, 3.0, 4.0}};
  writers::Type102Entry b{3, 4, {-1.0, 0.5, 0.0, 8.0}};
  ASSERT_EQ(p.feed(writers::type102_part(7000, 1 << 19, true, {a})), 0);
  EXPECT_TRUE(p.records().empty());
  ASSERT_EQ(p.feed(writers::type102_part(7000, 1 << 19, false, {b})), 0);
  Le want;
  want.u8(0x74).le16(21 + 68).u8(102).f64(7000.0).f64(1.0).u8(2);
  want.u8(1).u8(2).f64(1.0).f64(2.0).f64(3.0).f64(4.0);
  want.u8(3).u8(4).f64(-1.0).f64(0.5).f64(0.0).f64(8.0);
  EXPECT_EQ(p.records(), want.data());
}

TEST(ProcessorEpochs, OverlongEpochsAreDroppedNotOverrun) {
  Processor p;
  std::vector<writers::Type17Entry> twelve(12);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(p.feed(writers::type17_part(1000, 0, true, twelve)), 0);
  EXPECT_EQ(p.feed(writers::type17_part(1000, 0, true, twelve)), d01ozu::kStatusExpansion);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(p.feed(writers::type7_part(part7(1, 5, 1))), 0);
  EXPECT_EQ(p.feed(writers::type7_part(part7(1, 5, 1))), d01ozu::kStatusExpansion);
  EXPECT_TRUE(p.records().empty());
  EXPECT_EQ(p.feed(epoch17(2000)), 0);
  EXPECT_EQ(record_types(p.records()), (std::vector<int>{17}));
}

}  // namespace
