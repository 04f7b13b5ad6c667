// Final contents of the five binary message records, byte for byte.
#include "output/binary_messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "processing/record_processor.h"
#include "testdata/session_records.h"
#include "tests/dat_fixture.h"
#include "tests/test_support.h"

namespace d01ozu {
namespace {

using dattest::Le;
using testsupport::Bytes;

Bytes page(int number, const RecordProcessor& rp, const RunInfo& run) {
  uint8_t out[128];
  std::memset(out, 0xEE, sizeof out);
  build_binary_message(number, rp, run, out);
  size_t length = out[1];
  EXPECT_EQ(out[length], 0xEE) << "page " << number << " wrote past its length";
  return Bytes(out, out + length);
}

class BinaryMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    writers::SessionRecord r;
    r.ref_lat = 0.25;
    r.ref_lon = -0.5;
    r.ref_height = 312.5;
    r.antenna_height = 1.25;
    r.session_byte = 0x31;
    r.l2_tracked = 1;
    r.test_mode = 1;
    r.ref_kind = 254;
    r.schedule_flag = 1;
    r.elevation_mask = 10;
    r.min_satellites = 4;
    r.sv_selection = 1;
    r.session_byte_b = 0x32;
    r.antenna_in_field = 1;
    r.antenna_unit = 3;
    r.position_logging = 1;
    r.every_cycle = 1;
    r.schedule_start = 61;
    r.schedule_stop = 600;
    r.logging_start = 75;
    r.logging_stop = 590;
    r.sync_rate = 150;
    r.sig_version = 44;  // NAV 0: page 2 shows the receiver's
    feed(writers::session_record(r, false));
    writers::SessionSetup s;
    s.long_name = "Hilltop";
    s.setup_byte = 0xA1;
    s.setup_long = -3;
    s.bytes3 = {0xB1, 0xB2, 0xB3};
    s.longs = {11, 12, 13};
    s.bytes4 = {0xC1, 0xC2, 0xC3, 0xC4};
    s.long_value = 14;
    s.bytes2 = {0xD1, 0xD2};
    s.scaled_word = 40;
    s.word = 0x1234;
    feed(writers::session_setup_record(s, false));
    writers::PositionFixes p{0.5, -0.25, 10, 2, 0.125, 0.0625, 3, 0.1, 0.2, 11, 0.3, 0.4, 70000, 5};
    feed(writers::position_record(p, true));
    rp.facts.receiver_type = 5;  // names stay those of the input file
    rp.facts.nav_version = 312;
    rp.facts.first_epoch_ms = 46800000 + 62500;  // 5 January 2020, 13:01
    rp.facts.first_epoch_seen = true;
    rp.facts.data_gps_week = 2087;
    rp.facts.data_week_known = true;
    rp.facts.serial_number = 4455;
    rp.facts.antenna_number = 77;
    for (int i = 0; i < 4; ++i) rp.facts.receiver_options[i] = 0x01020304u * (i + 1);
    std::strcpy(run.station_name, "GS00");
    std::strcpy(run.session_name, "233A");
  }
  void feed(const Bytes& f) { ASSERT_EQ(processor.feed(f), kStatusOk); }
  dattest::Processor processor;
  RecordProcessor& rp = *processor.rp;
  RunInfo run;
};

TEST_F(BinaryMessages, Pages6And0OptionsStationReferenceAndLongName) {
  Le want;
  want.u8(0x74).u8(24).u8(6).u8(5).le16(0).le16(4);
  for (int i = 0; i < 4; ++i) want.le32(0x01020304u * (i + 1));
  EXPECT_EQ(page(6, rp, run), want.data());
  Le want0;
  want0.u8(0x74).u8(98).u8(0).u8(5).u8(1).u8(0).text("GS00", 5).u8(254);
  want0.f64(45).f64(-90).f64(312.5).f64(1.25).u8(3).u8(1).u8(7).text("Hilltop", 51);
  EXPECT_EQ(page(0, rp, run), want0.data());
}

TEST_F(BinaryMessages, Page1SessionScheduleDateAndSettings) {
  Le want;
  want.u8(0x74).u8(65).u8(1).u8(5).le16(0).text("233A", 5).u8(1);
  want.le16(61).le16(600).le16(75).le16(590).le16(2087).le16(2020).le16(1).le16(5).le16(150);
  want.u8(10).u8(4).u8(1).u8(1).u8(0).u8(1).u8(1);  // mask, minimum, antenna, logging, sv
  want.u8(0xA1).u8(1).u8(0xC1).u8(0xB1).u8(0xB2).u8(0xB3).u8(0);
  want.f64(-3).le32(11).le32(12).le32(13).u8(0xC2);
  EXPECT_EQ(page(1, rp, run), want.data());
}

TEST_F(BinaryMessages, Page2VersionsSerialTextsAndFlags) {
  Le want;
  want.u8(0x74).u8(64).u8(2).u8(5).le16(0).le16(312).le16(44).le16(3).le16(11).le16(1);
  want.text("        77", 12).text("0000004455", 12).u8(5).u8(0x31).u8(1).u8(1);
  want.u8(1).u8(0xC3).u8(0xC4).u8(0x32).f64(2.5).le32(14).le16(0x1234).u8(0xD1).u8(0xD2);
  EXPECT_EQ(page(2, rp, run), want.data());

  std::strcpy(rp.facts.serial_text, "SN12345678A");
  rp.facts.serial_known = true;
  std::strcpy(rp.facts.antenna_text, "    AB-123");
  rp.facts.antenna_text_known = true;
  Bytes texts = page(2, rp, run);
  EXPECT_EQ(Bytes(texts.begin() + 16, texts.begin() + 40),
            Le().text("    AB-123", 12).text("SN12345678A", 12).data());
}

TEST_F(BinaryMessages, Page3FixesInDegreesAndFixCounts) {
  Le want;
  want.u8(0x74).u8(110).u8(3).u8(5).le16(0);
  want.f64(90).f64(-45).f64(10).f64(2).f64(22.5).f64(11.25).f64(3);
  want.f64(0.1 * 180).f64(0.2 * 180).f64(11).f64(0.3 * 180).f64(0.4 * 180);
  want.le32(70000).le32(5);
  EXPECT_EQ(page(3, rp, run), want.data());
}

}  // namespace
}  // namespace d01ozu
