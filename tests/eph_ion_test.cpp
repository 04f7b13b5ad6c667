// EphImage and IonImage filling and the EPH and ION files, byte for byte.
#include "datstream/eph_ion.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/test_support.h"
#include "writers/session_records.h"

namespace d01ozu {
namespace {

using testsupport::Bytes;

double cell(const uint8_t* slot, int k) {
  double d;
  std::memcpy(&d, slot + 8 * k, 8);  // the test host is little-endian, as the image
  return d;
}

double initial_value(int sv, int k) {
  return sv * 1000.0 + k + 0.25;
}

std::array<double, 25> type3_values(double base) {
  std::array<double, 25> v{};
  for (int k = 0; k < 25; ++k) v[k] = base + k;
  return v;
}

TEST(EphImage, InitialBlockFillsFortyCellsAndThirteenRawBytes) {
  EphImage eph;
  Bytes block = writers::initial_eph_block(7, initial_value);
  SetInitialEphemeris(eph, 7, block.data());
  const uint8_t* slot = eph.slot(7);
  for (int k = 0; k < 40; ++k) EXPECT_EQ(cell(slot, k), initial_value(7, k)) << k;
  for (int i = 0; i < 13; ++i) EXPECT_EQ(slot[320 + i], 7 + i);
  EXPECT_EQ(slot[333], 0);
  EXPECT_EQ(slot[334], 0);
  // Neighbouring slots are untouched; numbers outside 1..32 are ignored.
  SetInitialEphemeris(eph, 33, block.data());
  SetInitialEphemeris(eph, 0, block.data());
  for (size_t i = 0; i < kEphImageSize; ++i) {
    if (i / kEphSlotSize == 6) continue;
    ASSERT_EQ(eph.bytes[i], 0) << i;
  }
}

TEST(EphImage, Type3ReplacesCellsZeroToTwentyFourOnly) {
  EphImage eph;
  SetInitialEphemeris(eph, 3, writers::initial_eph_block(3, initial_value).data());
  writers::CompactEphemeris e;
  e.sv = 3;
  Bytes t21 = writers::compact_ephemeris_record(e);
  store_type21_ephemeris(eph, 3, t21.data(), t21.size());
  Bytes t3 = writers::ephemeris_record(3, type3_values(-50.5));
  store_type3_ephemeris(eph, 3, t3.data(), t3.size());
  const uint8_t* slot = eph.slot(3);
  for (int k = 0; k < 25; ++k) EXPECT_EQ(cell(slot, k), -50.5 + k) << k;
  for (int k = 25; k < 40; ++k) EXPECT_EQ(cell(slot, k), initial_value(3, k)) << k;
  EXPECT_EQ(slot[320], 3);  // type-21 flag bytes stay
  EXPECT_EQ(slot[334], 0);  // the source marker says type 3 again
  EXPECT_EQ(slot[335], 0);
}

TEST(EphImage, Type21WidensIntegersSpreadsDoublesAndSplitsTheFlagLong) {
  EphImage eph;
  SetInitialEphemeris(eph, 12, writers::initial_eph_block(12, initial_value).data());
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
  EXPECT_EQ(cell(slot, 0), -2.0);
  EXPECT_EQ(cell(slot, 3), 30000.0);
  EXPECT_EQ(cell(slot, 8), 200.0);
  EXPECT_EQ(cell(slot, 1), -100000.0);
  EXPECT_EQ(cell(slot, 4), 7.0);
  EXPECT_EQ(cell(slot, 16), 2147483647.0);
  const int double_cells[19] = {2,  5,  6,  7,  9,  10, 11, 12, 13, 14,
                                15, 17, 18, 19, 20, 21, 22, 23, 24};
  for (int i = 0; i < 19; ++i) EXPECT_EQ(cell(slot, double_cells[i]), 0.5 * (i + 1)) << i;
  EXPECT_EQ(cell(slot, 25), initial_value(12, 25));  // cells 25..39 stay
  const uint8_t flags[16] = {3, 0x9, 1, 1, 0x2A, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  Bytes f_le = {static_cast<uint8_t>(e.flags), static_cast<uint8_t>(e.flags >> 8),
                static_cast<uint8_t>(e.flags >> 16), static_cast<uint8_t>(e.flags >> 24)};
  for (int i = 0; i < 16; ++i) {
    uint8_t want = (i >= 8 && i < 12) ? f_le[i - 8] : flags[i];
    EXPECT_EQ(slot[320 + i], want) << "slot byte " << 320 + i;
  }
}

TEST(EphImage, Type21FlagLongWithOnlyBits16To18) {
  EphImage eph;
  writers::CompactEphemeris e;
  e.flags = 0x00070000;
  Bytes f = writers::compact_ephemeris_record(e);
  store_type21_ephemeris(eph, 1, f.data(), f.size());
  const uint8_t* slot = eph.slot(1);
  EXPECT_EQ(slot[325], 7);
  for (int i = 321; i <= 324; ++i) EXPECT_EQ(slot[i], 0) << i;
  EXPECT_EQ(slot[330], 7);
}

TEST(EphImage, TruncatedRecordsReadMissingFieldsAsZero) {
  EphImage eph;
  SetInitialEphemeris(eph, 2, writers::initial_eph_block(2, initial_value).data());
  Bytes t3 = writers::ephemeris_record(2, type3_values(1.0));
  // Keep the first 10 values, then close the frame.
  Bytes cut(t3.begin(), t3.begin() + 4 + 80);
  cut.insert(cut.end(), {0, 0, 3});
  store_type3_ephemeris(eph, 2, cut.data(), cut.size());
  EXPECT_EQ(cell(eph.slot(2), 9), 10.0);
  EXPECT_EQ(cell(eph.slot(2), 10), 0.0);
  store_type21_ephemeris(eph, 2, cut.data(), 2);  // shorter than a frame
  EXPECT_EQ(eph.slot(2)[334], 0xFF);
}

TEST(IonImage, InitialBlockAndType15) {
  IonImage ion;
  Bytes block = writers::initial_ion_block([](int k) { return 100.0 + k; });
  SetInitialIonUtc(ion, block.data());
  double d;
  std::memcpy(&d, ion.bytes + 8 * 13, 8);
  EXPECT_EQ(d, 113.0);
  EXPECT_EQ(Bytes(ion.bytes + 112, ion.bytes + 120),
            (Bytes{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0, 0, 0}));

  writers::IonUtc rec;
  for (int k = 0; k < 11; ++k) rec.values[k] = -1.5 * k;
  rec.word_a = -300;
  rec.word_b = 12;
  rec.long_value = 4000000000u;
  rec.raw = {1, 2, 3, 4, 5, 6, 7, 8};
  Bytes f = writers::ion_utc_record(rec);
  store_type15_ion(ion, f.data(), f.size());
  for (int k = 0; k < 11; ++k) {
    std::memcpy(&d, ion.bytes + 8 * k, 8);
    EXPECT_EQ(d, -1.5 * k);
  }
  std::memcpy(&d, ion.bytes + 88, 8);
  EXPECT_EQ(d, -300.0);
  std::memcpy(&d, ion.bytes + 96, 8);
  EXPECT_EQ(d, 12.0);
  std::memcpy(&d, ion.bytes + 104, 8);
  EXPECT_EQ(d, 4000000000.0);
  EXPECT_EQ(Bytes(ion.bytes + 112, ion.bytes + 120), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(EphIonFiles, WholeImagesBehindTheirHeaders) {
  testsupport::TempDir dir;
  EphImage eph;
  IonImage ion;
  for (size_t i = 0; i < sizeof ion.bytes; ++i) ion.bytes[i] = static_cast<uint8_t>(i);
  eph.bytes[0] = 0x11;
  eph.bytes[kEphImageSize - 1] = 0x22;
  OutFile e, i;
  ASSERT_TRUE(e.open(dir.file("a.eph").c_str(), "wb"));
  ASSERT_TRUE(i.open(dir.file("a.ion").c_str(), "wb"));
  EXPECT_EQ(write_eph_file(e, eph), kStatusOk);
  EXPECT_EQ(write_ion_file(i, ion), kStatusOk);
  e.close();
  i.close();
  Bytes eph_file = testsupport::read_file(dir.file("a.eph"));
  ASSERT_EQ(eph_file.size(), 10756u);
  EXPECT_EQ(Bytes(eph_file.begin(), eph_file.begin() + 5), (Bytes{0x74, 0, 0, 3, 0x11}));
  EXPECT_EQ(eph_file.back(), 0x22);
  Bytes ion_file = testsupport::read_file(dir.file("a.ion"));
  ASSERT_EQ(ion_file.size(), 115u);
  EXPECT_EQ(ion_file[114], 114);
  EXPECT_EQ(write_eph_file(e, eph), kStatusEphNotOpen);
  EXPECT_EQ(write_ion_file(i, ion), kStatusIonNotOpen);
}

}  // namespace
}  // namespace d01ozu
