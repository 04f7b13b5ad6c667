// Whole runs of the built rawsplit on R00 inputs made by the writers: one
// survey whose EPH, ION, APP, MES and summary files are checked together, and
// the run results that depend on the options and the receiver.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "tests/test_support.h"

namespace {

using testsupport::Bytes;
using testsupport::file_exists;
using testsupport::read_file;
using testsupport::run_rawsplit;
using testsupport::TempDir;

// A type-7 epoch of one part that names satellite 3 at time_ms.
Bytes epoch_at(uint32_t time_ms) {
  writers::Type7Part p;
  p.time_ms = time_ms;
  p.bytes[5] = 3;
  return writers::type7_part(p);
}

// A survey by a receiver of type code receiver_type: file information, data
// week, antenna text, long station name, session, tracking and position
// records, and two epochs on 5 January 2020.
std::vector<Bytes> survey_records(const std::string& serial_text, uint16_t nav,
                                  uint8_t receiver_type) {
  writers::ReceiverIdentity id;
  id.serial_number = 4455;
  id.receiver_type = receiver_type;
  id.serial_text = serial_text;
  id.nav_version = nav;
  id.antenna_number = 77;
  writers::Type12Record t12;
  t12.receiver_type = receiver_type;
  t12.week = 2087;
  writers::SessionSetup setup;
  setup.first = 50;
  setup.last = 50;
  setup.long_name = "Hilltop";
  writers::SessionRecord s;
  s.ref_lat = 0.25;
  s.ref_lon = -0.6;
  s.ref_height = 312.5;
  s.antenna_height = 1.5;
  s.ref_kind = 1;
  s.antenna_unit = 1;
  s.antenna_in_field = 1;
  s.schedule_flag = 1;
  s.schedule_start = 61;
  s.schedule_stop = 600;
  s.logging_start = 75;
  s.logging_stop = 590;
  s.l2_tracked = 1;
  s.elevation_mask = -5;
  s.min_satellites = 4;
  s.sv_selection = 1;
  s.sync_rate = 150;
  s.position_logging = 1;
  s.position_only = 1;
  s.every_cycle = 1;
  s.nav_version = 411;
  s.sats.clear();
  for (uint32_t i = 0; i < 12; ++i) s.sats.push_back({i == 1 ? 0 : 100 + i, 50 + i, i, i / 2});
  writers::PositionFixes p;
  p.best3d_lat = -0.5;  // exactly 90 degrees south
  p.best3d_lon = 0.3;
  p.best3d_height = 100.25;
  p.best3d_pdop = 2.5;
  p.mean3d_lat = -0.2;
  p.mean3d_height = 99.5;  // longitude exactly 0: west
  p.fixes3d = 40;
  p.best2d_lat = 0.1;
  p.best2d_pdop = 120;  // present but too poor to show
  return {writers::receiver_identity_record(id), writers::type12_record(t12),
          writers::message_frame(27, "AX17"),    writers::session_setup_record(setup, false),
          writers::session_record(s, false),     writers::tracking_record(20, {9, 8, 7, 6}),
          writers::position_record(p, true),     epoch_at(13 * 3600000 + 62500),
          epoch_at(13 * 3600000 + 122000)};
}

// Writes e.r00 of records into dir and runs rawsplit with options on it.
testsupport::RunResult run_on(const TempDir& dir, const std::vector<Bytes>& records,
                              std::vector<std::string> options, writers::R00File f = {}) {
  f.records.insert(f.records.end(), records.begin(), records.end());
  testsupport::write_file(dir.file("e.r00"), f.bytes());
  options.push_back("e.r00");
  return run_rawsplit(dir.path(), options);
}

double cell(const Bytes& image, size_t at) {
  double d;
  std::memcpy(&d, image.data() + at, 8);
  return d;
}

TEST(OutputsE2e, SurveyRunWritesEveryOutput) {
  TempDir dir;
  writers::R00File f;
  f.eph_value = [](int sv, int k) { return sv * 100.0 + k; };
  writers::IonUtc ion;
  ion.values[0] = 2.5;
  ion.long_value = 61440;
  ion.raw = {9, 8, 7, 6, 5, 4, 3, 2};
  f.records = writers::app_parts(writers::app_file_data(500), 120);
  f.records.push_back(writers::ion_utc_record(ion));
  ASSERT_EQ(run_on(dir, survey_records("5012K33344", 412, 30), {"-deima", "-s"}, f).status, 0);

  Bytes eph = read_file(dir.file("e.eph"));
  ASSERT_EQ(eph.size(), 10756u);
  EXPECT_EQ(Bytes(eph.begin(), eph.begin() + 4), (Bytes{0x74, 0, 0, 3}));
  size_t slot32 = 4 + 336 * 31;
  EXPECT_EQ(cell(eph, 4 + 8 * 39), 139.0);  // initial blocks
  EXPECT_EQ(cell(eph, slot32), 3200.0);

  Bytes ion_file = read_file(dir.file("e.ion"));
  ASSERT_EQ(ion_file.size(), 115u);
  EXPECT_EQ(cell(ion_file, 0), 2.5);
  EXPECT_EQ(cell(ion_file, 8 * 13), 61440.0);
  EXPECT_EQ(Bytes(ion_file.begin() + 112, ion_file.end()), (Bytes{9, 8, 7}));

  Bytes cfg = read_file(dir.file("e.cfg"));
  ASSERT_EQ(cfg.size(), 2u + 500 + 27);
  EXPECT_EQ(cfg[0] | cfg[1] << 8, 527);

  // The binary message records at the DAT start carry the names and serial.
  Bytes dat = read_file(dir.file("e.dat"));
  ASSERT_GT(dat.size(), 400u);
  auto text = [&](size_t at, size_t n) {
    return std::string(dat.begin() + at, dat.begin() + at + n);
  };
  EXPECT_EQ(text(24 + 6, 4), "LTOP");
  EXPECT_EQ(text(24 + 98 + 6, 4), "005D");
  EXPECT_EQ(text(24 + 98 + 65 + 28, 11), std::string("5012K33344\0", 11));
  std::string mes = testsupport::read_text(dir.file("e.mes"));
  std::string sum = testsupport::read_text(dir.file("e.txt"));
  EXPECT_EQ(mes,
            "Station ID: LTOP  Session #: 005-D     Jan  5, 2020 13:01\n"
            "Reference Position - USER SPECIFIED:\n"
            "Lat.  = 45:00'00.000\" N  Long. = 108:00'00.000\" W  Height = 312.5  [meters]\n"
            "Antenna height   =  1.5000  [meters]  (entered in the field in feet)\n"
            "Long station name:  Hilltop\n"
            "\n"
            "Receiver serial # = 5012K33344\n"
            "Antenna serial  # =       AX17  (entered in the field)\n"
            "NP Software = 4.12     SP Software = 1.20     Download Software = 3.11.01\n"
            "\n"
            "Survey schedule:  Start time = 01:01  Stop time = 10:00\n"
            "Data-logging start time = 01:15\n"
            "Data-logging stop  time = 09:50\n"
            "\n"
            "Tracking   SV  1  SV  3  SV  4  SV  5  SV  6  SV  7  SV  8  SV  9  SV 10  SV 11\n"
            "total L1     100    102    103    104    105    106    107    108    109    110\n"
            "cont  L1      50     52     53     54     55     56     57     58     59     60\n"
            "total L2       0      2      3      4      5      6      7      8      9     10\n"
            "cont  L2       0      1      1      2      2      3      3      4      4      5\n"
            "\n"
            "Tracking   SV 12  SV 21\n"
            "total L1     111      9\n"
            "cont  L1      61      8\n"
            "total L2      11      7\n"
            "cont  L2       5      6\n"
            "\n"
            "SV Selection mode = MANUAL SELECTION\n"
            "Elevation mask    = -5     [degrees]   Minimum # of SVs  =  4\n"
            "Survey sync rate  = 15.0   [sec]\n"
            "LOGGED POSITION DATA ONLY\n"
            "LOGGED POSITION DATA EVERY CYCLE\n"
            "\n"
            "3D Position      Best PDOP Position [ 2.5]     Mean Position [40]\n"
            "Latitude:         90:00'00.00000\" S             36:00'00.00000\" S\n"
            "Longitude:        54:00'00.00000\" E              0:00'00.00000\" W\n"
            "Height [m]:                100.2                          99.5\n"
            "\n"
            "2D Position      Position not available\n"
            "\n");
  EXPECT_EQ(sum,
            "Station         : LTOP\n"
            "Session         : 005D\n"
            "First meas      : 20.01.05 13:01:02   2087  46862\n"
            "Last  meas      : 20.01.05 13:02:02   2087  46922\n"
            "\n"
            "Rx  Serial#     : 5012K33344\n"
            "Ant Serial#     :       AX17\n"
            "NP version      : 4.11\n"
            "SP Software     : 0.00\n"
            "Download version: 3.11.01\n"
            "\n"
            "Tracking        : Total L1  Cont  L1  Total L2  Cont  L2\n"
            "SV  1           :      100        50         0         0\n"
            "SV  3           :      102        52         2         1\n"
            "SV  4           :      103        53         3         1\n"
            "SV  5           :      104        54         4         2\n"
            "SV  6           :      105        55         5         2\n"
            "SV  7           :      106        56         6         3\n"
            "SV  8           :      107        57         7         3\n"
            "SV  9           :      108        58         8         4\n"
            "SV 10           :      109        59         9         4\n"
            "SV 11           :      110        60        10         5\n"
            "SV 12           :      111        61        11         5\n"
            "SV 21           :        9         8         7         6\n");
}

// The receiver serial line of the MES file of a survey run.
std::string serial_line(const std::vector<std::string>& options, const std::string& text,
                        uint16_t nav, uint8_t receiver_type = 29) {
  TempDir dir;
  EXPECT_EQ(run_on(dir, survey_records(text, nav, receiver_type), options).status, 0);
  std::string mes = testsupport::read_text(dir.file("e.mes"));
  size_t at = mes.find("Receiver serial # = ");
  return at == std::string::npos ? "" : mes.substr(at + 20, mes.find('\n', at) - at - 20);
}

// -n reaches the report; texts with the upper half set or the lower half all
// ones stay as they are (the modes are pinned by the processor tests).
TEST(OutputsE2e, SerialNumberFixOfTypeTwentyNineReceivers) {
  const char* const cases[][2] = {
      {"12345", "4294979641"}, {"4294967295", "4294967295"}, {"4294967296", "4294967296"}};
  for (auto& c : cases) EXPECT_EQ(serial_line({"-dm", "-n"}, c[0], 102), c[1]) << c[0];
  EXPECT_EQ(serial_line({"-dm", "-n!"}, "12345", 102, 30), "12345");  // not a type-29 receiver
}

TEST(OutputsE2e, InvalidAppFileAndMissingEphemerisBlocks) {
  TempDir dir;  // a part overflows; the well-formed last part does not repair it
  std::vector<Bytes> parts = {writers::app_part(100, true, Bytes(80, 1)),
                              writers::app_part(100, true, Bytes(80, 2)),
                              writers::app_part(100, false, Bytes(20, 3))};
  EXPECT_EQ(run_on(dir, parts, {"-da"}).status, 26);
  EXPECT_FALSE(file_exists(dir.file("e.cfg")));
  // -x after the name: the name's detection would otherwise set the flag again.
  writers::R00File f;
  f.with_ephemeris = false;
  f.records = {writers::message_frame(0, "A")};
  testsupport::write_file(dir.file("z.r00"), f.bytes());
  ASSERT_EQ(run_rawsplit(dir.path(), {"-dem", "z.r00", "-xe"}).status, 0);
  Bytes eph = read_file(dir.file("z.eph"));
  ASSERT_EQ(eph.size(), 10756u);
  EXPECT_EQ(Bytes(eph.begin() + 4, eph.end()), Bytes(10752, 0));
  // No session and no measurement: nothing to report, no MES file remains;
  // one epoch is enough for a report printed from the zero-filled state.
  EXPECT_FALSE(file_exists(dir.file("z.mes")));
  f.records.push_back(epoch_at(1000));
  testsupport::write_file(dir.file("y.r00"), f.bytes());
  ASSERT_EQ(run_rawsplit(dir.path(), {"-dm", "y.r00", "-xe"}).status, 0);
  EXPECT_NE(testsupport::read_text(dir.file("y.mes")).find("Data-logging start time = 00:00\n"),
            std::string::npos);
}

}  // namespace
