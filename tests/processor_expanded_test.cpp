// Typed records of the container path through process_expanded_record: the
// type-17 reduction, and the fields of the type-27 image (the images of the
// other types: their converter tests).
#include <gtest/gtest.h>

#include <memory>

#include "records/expanded_records.h"
#include "tests/dat_fixture.h"

using dattest::Bytes;
using dattest::Le;
using dattest::Processor;

namespace {

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

TEST(ProcessorExpanded, Type27WritesOnlyThePresentFields) {
  auto r = std::make_unique<d01ozu::Type27Record>();
  *r = d01ozu::Type27Record{};
  r->receive_time = 1.5e8;
  r->sv_count = 1;
  r->epoch_flags = 0x22;  // clock drift and a one-item offset block
  r->offset_count = 1;
  r->offset_value[0] = 1e-9;
  d01ozu::Type27Satellite& s = r->satellites[0];
  s.sv = 11;
  s.system = 2;
  s.top_bits = 3;
  s.block_count = 1;
  s.flags = 0x80;   // second flags byte,
  s.flags2 = 0x01;  // and the three extension bytes
  s.blocks[0].pseudorange = 2.2e7;
  s.blocks[0].flags = 0x80;   // flags 2,
  s.blocks[0].flags2 = 0x80;  // and flags 3
  s.blocks[0].flags3 = 0x10;
  Processor p;
  ASSERT_EQ(hand(p, 27, Bytes{0x74, 80, 0, 27}, r.get()), 0);
  r->epoch_flags = 0;
  s.flags = 0;
  s.blocks[0].flags = 0;
  ASSERT_EQ(hand(p, 27, Bytes{0x74, 58, 0, 27}, r.get()), 0);
  Bytes out = p.records();
  ASSERT_EQ(out.size(), 80u + 58u);  // 21 + 12 + 14 + 29 and 17 + 10 + 27, with headers
  EXPECT_EQ(dattest::le_f64(out, 7), 1.5e8);
  EXPECT_EQ(dattest::le_f64(out, 4 + 21 + 4), 1e-9);   // the offset item's value
  EXPECT_EQ(out[4 + 33 + 2], 0xC2);                    // system with its top bits
  EXPECT_EQ(dattest::le_f64(out, 4 + 47 + 5), 2.2e7);  // first block's pseudorange
  EXPECT_EQ(Bytes(out.begin() + 78, out.begin() + 80), (Bytes{0x80, 0x10}));
  EXPECT_EQ(dattest::le_f64(out, 80 + 4 + 27 + 5), 2.2e7);
  // The filter mask bit 0x40 keeps type 27 out.
  Processor filtered;
  d01ozu::AddRecordFilter(*filtered.rp, 0x40);
  ASSERT_EQ(hand(filtered, 27, Bytes{0x74, 58, 0, 27}, r.get()), 0);
  EXPECT_TRUE(filtered.records().empty());
}

}  // namespace
