// Type-21 compact ephemerides decoded into the EphImage (initial blocks,
// type 3, type 15 and the file sizes are covered by the end-to-end runs).
#include "output/eph_ion.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testdata/session_records.h"
#include "tests/test_support.h"

namespace d01ozu {
namespace {

using testsupport::Bytes;

double cell(const uint8_t* slot, int k) {
  double d;
  std::memcpy(&d, slot + 8 * k, 8);  // the test host is little-endian, as the image
  return d;
}

TEST(EphImage, Type21WidensIntegersSpreadsDoublesAndSplitsTheFlagLong) {
  EphImage eph;
  SetInitialEphemeris(eph, 12,
                      writers::initial_eph_block(12, [](int, int k) { return k + 0.5; }).data());
  writers::CompactEphemeris e;
  e.sv = 12;
  e.w0 = -2;
  e.w1 = 30000;
  e.byte0 = 0x77;
  e.byte1 = 200;
  e.longs = {-100000, 7, 2147483647};
  for (int i = 0; i < 19; ++i) e.doubles[i] = 0.5 * (i + 1);
  // bits 4..9 = 0x2A, 10 = 1, 11..14 = 0x9, 15 = 1, 16..18 = 5, plus bit 20
  e.flags = (0x2Au << 4) | (1u << 10) | (0x9u << 11) | (1u << 15) | (5u << 16) | (1u << 20);
  Bytes f = writers::compact_ephemeris_record(e);
  store_type21_ephemeris(eph, 12, f.data(), f.size());
  const uint8_t* slot = eph.slot(12);
  const double integers[6][2] = {{0, -2},      {3, 30000}, {8, 200},
                                 {1, -100000}, {4, 7},     {16, 2147483647}};
  for (auto& c : integers) EXPECT_EQ(cell(slot, static_cast<int>(c[0])), c[1]) << c[0];
  const int double_cells[19] = {2,  5,  6,  7,  9,  10, 11, 12, 13, 14,
                                15, 17, 18, 19, 20, 21, 22, 23, 24};
  for (int i = 0; i < 19; ++i) EXPECT_EQ(cell(slot, double_cells[i]), 0.5 * (i + 1)) << i;
  EXPECT_EQ(cell(slot, 25), 25.5);  // cells 25..39 of the initial block stay
  Bytes want = {3, 0x9, 1, 1, 0x2A, 5, 0, 0};
  for (int i = 0; i < 4; ++i) want.push_back(static_cast<uint8_t>(e.flags >> (8 * i)));
  want.insert(want.end(), {0, 0, 0xFF, 0xFF});
  EXPECT_EQ(Bytes(slot + 320, slot + 336), want);

  e.flags = 0x00070000;  // only bits 16..18
  f = writers::compact_ephemeris_record(e);
  store_type21_ephemeris(eph, 12, f.data(), f.size());
  EXPECT_EQ(Bytes(slot + 320, slot + 326), (Bytes{3, 0, 0, 0, 0, 7}));
}

TEST(EphImage, ShortRecordsReadMissingFieldsAsZeroAndBadNumbersAreIgnored) {
  EphImage eph;
  std::array<double, 25> values{};
  values.fill(9.0);
  Bytes t3 = writers::ephemeris_record(2, values);
  Bytes cut(t3.begin(), t3.begin() + 4 + 80);  // the first 10 values, then close the frame
  cut.insert(cut.end(), {0, 0, 3});
  store_type3_ephemeris(eph, 2, cut.data(), cut.size());
  EXPECT_EQ(cell(eph.slot(2), 9), 9.0);
  EXPECT_EQ(cell(eph.slot(2), 10), 0.0);
  store_type3_ephemeris(eph, 0, t3.data(), t3.size());
  store_type3_ephemeris(eph, 33, t3.data(), t3.size());
  for (size_t i = 0; i < kEphImageSize; ++i) {
    if (i / kEphSlotSize == 1) continue;
    ASSERT_EQ(eph.bytes[i], 0) << i;
  }
}

}  // namespace
}  // namespace d01ozu
