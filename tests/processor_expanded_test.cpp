// Typed records of the container path through process_expanded_record:
// the type-17 reduction, and the DAT images of types 11, 27, 29 and the
// newer types under the filter mask.
#include <gtest/gtest.h>

#include <memory>

#include "datstream/expanded_records.h"
#include "tests/dat_fixture.h"

using dattest::Bytes;
using dattest::Le;
using dattest::Processor;

namespace {

d01ozu::StatusCode hand(Processor& p, int type, const Bytes& header, const void* payload) {
  return d01ozu::process_expanded_record(*p.rp, type, header.data(), payload);
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

TEST(ProcessorExpanded, Type27WritesOnlyThePresentFields) {
  auto r = std::make_unique<d01ozu::Type27Record>();
  *r = d01ozu::Type27Record{};
  r->header_length = 21;
  r->week = 2100;
  r->receive_time = 1.5e8;
  r->clock_offset = 0.5f;
  r->sv_count = 1;
  r->epoch_flags = 0x22;  // drift and offset block
  r->clock_drift = -2.0f;
  r->offset_length = 12;
  r->offset_nibble = 3;
  r->offset_count = 1;
  r->offset_kind[0] = 4;
  r->offset_value[0] = 1e-9;
  d01ozu::Type27Satellite& s = r->satellites[0];
  s.length = 14;
  s.sv = 11;
  s.system = 2;
  s.top_bits = 3;
  s.channel = 0xFE;
  s.block_count = 1;
  s.word6 = 30;
  s.word8 = 400;
  s.flags = 0x80;
  s.flags2 = 0x01;
  s.extension[0] = 9;
  d01ozu::Type27Block& b = s.blocks[0];
  b.length = 29;
  b.block_type = 0;
  b.track_type = 1;
  b.strength = 450;
  b.pseudorange = 2.2e7;
  b.phase = -1.25;
  b.doppler = 100.5f;
  b.slip_count = 2;
  b.flags = 0x84;
  b.flags2 = 0x81;
  b.flags3 = 0x10;
  const size_t length = 21 + 12 + 14 + 29;
  const Bytes header{0x74, static_cast<uint8_t>(length + 4), 0, 27};
  Processor p;
  ASSERT_EQ(hand(p, 27, header, r.get()), 0);
  auto f32 = [](Le& le, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    le.le32(bits);
  };
  Le want;
  want.bytes(header).u8(21).le16(2100).f64(1.5e8);
  f32(want, 0.5f);
  want.u8(1).u8(0x22);
  f32(want, -2.0f);
  want.u8(12).u8(3).u8(1).u8(4).f64(1e-9);
  want.u8(14).u8(11).u8(0xC2).u8(0xFE).u8(1).le16(30).le16(400).u8(0x80).u8(0x01).bytes({9, 0, 0});
  want.u8(29).u8(0).u8(1).le16(450).f64(2.2e7).f64(-1.25);
  f32(want, 100.5f);
  want.u8(2).u8(0x84).u8(0x81).u8(0x10);
  EXPECT_EQ(p.records(), want.data());
  // The filter mask bit 0x40 keeps type 27 out.
  Processor filtered;
  d01ozu::AddRecordFilter(*filtered.rp, 0x40);
  ASSERT_EQ(hand(filtered, 27, header, r.get()), 0);
  EXPECT_TRUE(filtered.records().empty());
}

TEST(ProcessorExpanded, Type29SectionsAndItsLength) {
  auto r = std::make_unique<d01ozu::Type29Record>();
  *r = d01ozu::Type29Record{};
  r->header_length = 15;
  r->h1 = 7;
  r->h2 = 0x01020304;
  r->b[1] = 2;
  r->b[4] = 0x02;  // section 4
  r->b[6] = 1;     // no section 3
  r->position_length = 93;
  r->p[0] = 45.0;
  r->section4_length = 10;
  r->t3 = 1;  // adds the optional single value
  r->t3_value = 3.0f;
  r->satellites_length = 7;
  r->satellites[0][0] = 5;
  r->satellites[1][0] = 6;
  Processor p;
  ASSERT_EQ(hand(p, 29, Bytes{0x74, 0, 0, 29}, r.get()), 0);
  Bytes out = p.records();
  const size_t length = 4 + 15 + 93 + 10 + 4 + 7;
  ASSERT_EQ(out.size(), length);
  EXPECT_EQ(out[1] | out[2] << 8, static_cast<int>(length));
  EXPECT_EQ(Bytes(out.begin() + 4, out.begin() + 11), (Bytes{15, 7, 0, 4, 3, 2, 1}));
  EXPECT_EQ(dattest::le_f64(out, 4 + 15 + 1), 45.0);
  EXPECT_EQ(Bytes(out.end() - 7, out.end()), (Bytes{7, 5, 0, 0, 6, 0, 0}));
}

TEST(ProcessorExpanded, Type11NewerTypesAndType5) {
  auto r11 = std::make_unique<d01ozu::Type11Record>();
  *r11 = d01ozu::Type11Record{};
  for (int i = 0; i < 9; ++i) r11->values[i] = i;
  r11->word = 0xAABBCCDD;
  r11->fix_byte = 0x4D;
  r11->count = 2;
  r11->first_list[1] = 1;
  r11->second_list[0] = 54;
  auto r40 = std::make_unique<d01ozu::NewerTypeRecord>();
  r40->length = 3;
  r40->payload[0] = 1;
  r40->payload[1] = 2;
  r40->payload[2] = 3;
  d01ozu::Type5Record page{};
  page.bytes[0] = 42;

  Processor p;
  d01ozu::AddRecordFilter(*p.rp, 0x200);  // type 98
  ASSERT_EQ(hand(p, 11, Bytes{0x74, 86, 0, 11}, r11.get()), 0);
  ASSERT_EQ(hand(p, 40, Bytes{0x74, 7, 0, 40}, r40.get()), 0);
  ASSERT_EQ(hand(p, 98, Bytes{0x74, 7, 0, 98}, r40.get()), 0);
  ASSERT_EQ(hand(p, 5, Bytes{0x74, 17, 3, 5}, &page), 0);
  ASSERT_EQ(hand(p, 35, Bytes{0x74, 7, 0, 35}, r40.get()), 0);
  Le want;
  want.u8(0x74).u8(86).u8(0).u8(11);
  for (int i = 0; i < 9; ++i) want.f64(i);
  want.le32(0xAABBCCDD).u8(0x4D).u8(2).bytes({0, 1, 54, 0});
  want.bytes({0x74, 7, 0, 40, 1, 2, 3});
  EXPECT_EQ(p.records(), want.data());
  EXPECT_TRUE(p.rp->type5_seen[3]);
  EXPECT_EQ(p.rp->type5_pages[3].bytes[0], 42);
  EXPECT_EQ(p.rp->records_handed, 5);
}

}  // namespace
