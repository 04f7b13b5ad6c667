// DAT images of the directly converted legacy types, byte for byte.
#include <gtest/gtest.h>

#include <cmath>

#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "tests/dat_fixture.h"

using dattest::Bytes;
using dattest::Le;
using dattest::Processor;

namespace {

std::array<double, 25> ramp25(double base) {
  std::array<double, 25> v{};
  for (int i = 0; i < 25; ++i) v[i] = base + i * 0.25;
  return v;
}

TEST(DatLayouts, EphemerisTypes3And21) {
  Processor p;
  ASSERT_EQ(p.feed(writers::ephemeris_record(7, ramp25(-3.5))), 0);
  writers::CompactEphemeris c;
  c.sv = 9;
  c.w0 = -2;
  c.w1 = 0x1234;
  c.byte0 = 0xAA;
  c.byte1 = 0x55;
  c.longs = {-1, 0x01020304, 7};
  for (int i = 0; i < 19; ++i) c.doubles[i] = 100.0 + i;
  c.flags = 0x00070000;
  ASSERT_EQ(p.feed(writers::compact_ephemeris_record(c)), 0);

  Le want;
  want.u8(0x74).u8(206).u8(0).u8(3).u8(7).u8(0);
  for (double v : ramp25(-3.5)) want.f64(v);
  want.u8(0x74).u8(190).u8(0).u8(21).u8(9).u8(0).le16(0xFFFE).le16(0x1234).u8(0xAA).u8(0x55);
  want.le32(0xFFFFFFFF).le32(0x01020304).le32(7);
  for (double v : c.doubles) want.f64(v);
  want.le32(0x00070000).zeros(10);
  EXPECT_EQ(p.records(), want.data());
}

TEST(DatLayouts, Type12WithThreeEntriesAndItsRunFacts) {
  Processor p;
  writers::Type12Record r;
  r.count = 3;
  r.receiver_type = 29;
  r.week = 1100;
  r.further = {{-2048, 1024}, {2048, -1}};
  ASSERT_EQ(p.feed(writers::type12_record(r)), 0);
  r.week = 1200;
  ASSERT_EQ(p.feed(writers::type12_record(r)), 0);

  Bytes out = p.records();
  ASSERT_EQ(out.size(), 200u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), (Bytes{0x74, 100, 0, 12}));
  // count, seed byte, two words reversed, receiver type code
  EXPECT_EQ(Bytes(out.begin() + 4, out.begin() + 11), (Bytes{3, 1, 2, 0, 3, 0, 29}));
  // the week follows the receiver type, a byte, a word and four bytes
  EXPECT_EQ(out[18] | out[19] << 8, 1100);
  EXPECT_EQ(dattest::le_f64(out, 68), -1.0);
  EXPECT_EQ(dattest::le_f64(out, 76), std::ldexp(1024.0, -21));
  EXPECT_EQ(dattest::le_f64(out, 84), 1.0);
  EXPECT_EQ(dattest::le_f64(out, 92), -std::ldexp(1.0, -21));
  // The first type-12 record of the run gives the data week; the receiver
  // type code follows every record.
  EXPECT_EQ(p.rp->facts.data_gps_week, 1100);
  EXPECT_EQ(p.rp->facts.receiver_type, 29);
}

TEST(DatLayouts, Types101_20_31And33) {
  Processor p;
  // type 20: sub-code 4, long 3000, words 0x0102 0x0304 0x0506 0x0708
  const Bytes t20 = {0, 0, 0x0B, 0xB8, 1, 2, 3, 4, 5, 6, 7, 8};
  p.feed_ok({writers::type101_record(0xFFFFFFFE, {1.5, -2.0, 0.0, 8e9}, 0x11, 0x22),
             writers::raw_record(20, 4, t20), writers::app_part(0x0203, true, {7, 8, 9}),
             writers::raw_record(33, 14, {1, 2, 3, 4})});
  Le want;
  want.u8(0x74).u8(46).u8(0).u8(101).f64(4294967294.0).f64(1.5).f64(-2.0).f64(0.0).f64(8e9);
  want.u8(0x11).u8(0x22);
  // The type-20 image keeps the input length (19 - 3): the long as a
  // double and the words that fit after it.
  want.u8(0x74).u8(16).u8(4).u8(20).f64(3000.0).le16(0x0102).le16(0x0304);
  want.u8(0x74).u8(11).u8(0).u8(31).le16(0x0203).u8(1).u8(3).bytes({7, 8, 9});
  want.u8(0x74).u8(8).u8(14).u8(33).bytes({1, 2, 3, 4});
  EXPECT_EQ(p.records(), want.data());
}

TEST(DatLayouts, PositionTypes10And11WithRefinement) {
  Processor p;
  writers::PositionSolution s;
  s.head = {0x40000000, -0x40000000, 4096, -512, 1 << 17};
  s.sixth = 80;
  s.tail = {1, 2, 3};
  s.word = 0xA1B2C3D4;
  s.fix_byte = 0x4D;
  s.lists = {0, 1, 5, 54};
  ASSERT_EQ(p.feed(writers::position_solution(11, s)), 0);  // exactly 2c + 46 bytes
  s.refine = true;
  s.refine_a = 1;
  s.refine_b = -2;
  ASSERT_EQ(p.feed(writers::position_solution(11, s)), 0);
  s.lists = {1, 2, 3, 4, 5, 6, 7, 8};
  s.refine = false;
  ASSERT_EQ(p.feed(writers::position_solution(10, s)), 0);

  Bytes out = p.records();
  ASSERT_EQ(out.size(), 86u + 86u + 90u);
  Le first;
  first.u8(0x74).u8(86).u8(0).u8(11).f64(0.5).f64(-std::ldexp(1.0, 0)).f64(1.0).f64(-1.0);
  first.f64(1.0).f64(10.0).f64(std::ldexp(1.0, -44)).f64(std::ldexp(2.0, -32));
  first.f64(std::ldexp(3.0, -21)).le32(0xA1B2C3D4).u8(0x4D).u8(2).u8(0).u8(1).u8(5).u8(54);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 86), first.data());
  EXPECT_EQ(dattest::le_f64(out, 86 + 4), 0.5 + std::ldexp(1.0, -39));
  EXPECT_EQ(dattest::le_f64(out, 86 + 12), -1.0 - std::ldexp(2.0, -38));
  // type 10: four satellites, fourth value unsigned x 2^-13
  EXPECT_EQ(Bytes(out.begin() + 172, out.begin() + 176), (Bytes{0x74, 90, 0, 10}));
  EXPECT_EQ(dattest::le_f64(out, 172 + 28), std::ldexp(4294966784.0, -13));
}

TEST(DatLayouts, Type25BySubCode) {
  Processor p;
  Bytes body = writers::Payload().be32(0x01020304).be16(0x0506).u8(7).zeros(28).data();
  ASSERT_EQ(p.feed(writers::raw_record(25, 0, body)), 0);
  Bytes with_flag =
      writers::Payload().be32(1).be16(2).u8(3).u8(0x40).zeros(28).u8(9).be32(10).data();
  ASSERT_EQ(p.feed(writers::raw_record(25, 2, with_flag)), 0);
  Bytes without = writers::Payload().be32(1).be16(2).u8(3).u8(0x00).zeros(28).data();
  ASSERT_EQ(p.feed(writers::raw_record(25, 2, without)), 0);
  Bytes kind6 = writers::Payload().u8(0xEE).u8(6).data();
  for (uint32_t i = 0; i < 14; ++i) kind6.insert(kind6.end(), {0, 0, 0, static_cast<uint8_t>(i)});
  kind6.push_back(0x77);
  ASSERT_EQ(p.feed(writers::raw_record(25, 1, kind6)), 0);
  ASSERT_EQ(p.feed(writers::raw_record(25, 3, body)), 0);  // other sub-codes: nothing

  Bytes out = p.records();
  ASSERT_EQ(out.size(), 39u + 45u + 40u + 63u);
  Le sub0;
  sub0.u8(0x74).u8(39).u8(0).u8(25).le32(0x01020304).le16(0x0506).u8(7).zeros(28);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 39), sub0.data());
  EXPECT_EQ(Bytes(out.begin() + 39, out.begin() + 43), (Bytes{0x74, 45, 2, 25}));
  EXPECT_EQ(Bytes(out.begin() + 79, out.begin() + 84), (Bytes{9, 10, 0, 0, 0}));
  EXPECT_EQ(Bytes(out.begin() + 84, out.begin() + 88), (Bytes{0x74, 40, 2, 25}));
  EXPECT_EQ(Bytes(out.begin() + 124, out.begin() + 130), (Bytes{0x74, 63, 1, 25, 0xEE, 6}));
  EXPECT_EQ(out[130 + 4 * 13], 13);  // longs reversed: low byte first
  EXPECT_EQ(out.back(), 0x77);
}

TEST(DatLayouts, MessageRecordsBySubCode) {
  Processor p;
  p.feed_ok({writers::message_frame(3, "BASE1 north pier"), writers::message_frame(27, "1234567"),
             writers::message_frame(6, "not written"), writers::message_frame(124, "0")});
  EXPECT_FALSE(p.rp->message_flag);
  ASSERT_EQ(p.feed(writers::message_frame(124, "1")), 0);
  EXPECT_TRUE(p.rp->message_flag);

  Le want;
  want.u8(0x74).u8(20).u8(3).u8(16).bytes(
      Bytes{'B', 'A', 'S', 'E', '1', ' ', 'n', 'o', 'r', 't', 'h', ' ', 'p', 'i', 'e', 'r'});
  want.u8(0x74).u8(11).u8(27).u8(16).bytes(Bytes{'1', '2', '3', '4', '5', '6', '7'});
  want.u8(0x74).u8(5).u8(124).u8(16).u8('0');
  EXPECT_EQ(p.records(), want.data());
  EXPECT_STREQ(p.rp->facts.message_station, "BASE1");
  EXPECT_STREQ(p.rp->facts.antenna_text, "   1234567");
}

TEST(DatLayouts, EventRecordsFiveToEight) {
  Processor p;
  ASSERT_EQ(p.feed(writers::event_record(5, 10, 0x01020304)), 0);
  ASSERT_EQ(p.feed(writers::event_record(5, 10, 0)), 0);  // not above the last: dropped
  p.feed_ok({writers::event_record(5, 11, 0), writers::event_record(6, 1, 2)});
  ASSERT_EQ(p.feed(writers::event_record(9, 1, 2)), 0);  // above 8: nothing
  Le want;
  want.u8(0x74).u8(10).u8(5).u8(19).le16(10).le16(0x0102).le16(0x0304);
  want.u8(0x74).u8(10).u8(5).u8(19).le16(11).le16(0).le16(0);
  want.u8(0x74).u8(10).u8(0).u8(19).le16(1).le16(0).le16(2);
  EXPECT_EQ(p.records(), want.data());
}

TEST(DatLayouts, RecordsTooShortForTheirLayoutAreDropped) {
  Processor p;
  Bytes eph = writers::ephemeris_record(3, ramp25(1.0));
  Bytes cut = writers::frame(3, Bytes(eph.begin() + 3, eph.end() - 3 - 8));
  EXPECT_EQ(p.feed(cut), d01ozu::kStatusExpansion);
  // A type-11 count larger than the frame holds.
  writers::PositionSolution s;
  s.lists = {1, 2};
  Bytes frame = writers::position_solution(11, s);
  frame[42] = 60;
  Bytes refit = writers::frame(11, Bytes(frame.begin() + 3, frame.end() - 3));
  EXPECT_EQ(p.feed(refit), d01ozu::kStatusExpansion);
  writers::Type7Part first;
  first.part = 1;                                    // not the last part: buffered
  EXPECT_EQ(p.feed(writers::type7_part(first)), 0);  // still accepted afterwards
  EXPECT_TRUE(p.records().empty());
  // A frame whose length byte claims more than was handed over.
  Bytes shortened = writers::ephemeris_record(3, ramp25(1.0));
  EXPECT_EQ(d01ozu::process_legacy_record(*p.rp, shortened.data(), 100), d01ozu::kStatusExpansion);
}

}  // namespace
