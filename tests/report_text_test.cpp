// The MES session report, the summary file and the station and session names,
// text for text, from session records built with the writers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "datstream/record_processor.h"
#include "datstream/reports.h"
#include "tests/test_support.h"
#include "writers/session_records.h"

namespace d01ozu {
namespace {

using testsupport::Bytes;

void feed(RecordProcessor& rp, const Bytes& f) {
  SessionFacts& s = rp.session;
  if (f[2] == 4 || f[2] == 22) decode_session_record(s, f.data(), f.size(), f[2] == 22);
  if (f[2] == 13 || f[2] == 23) decode_session_setup(s, f.data(), f.size(), f[2] == 23);
  if (f[2] == 5 || f[2] == 24) decode_position_record(s, f.data(), f.size(), f[2] == 24);
  if (f[2] == 14) decode_tracking_record(s, f.data(), f.size());
}

struct Reports {
  std::string mes, sum;
};

Reports write_reports(const RecordProcessor& rp, const RunInfo& run) {
  testsupport::TempDir dir;
  OutFile mes, sum;
  EXPECT_TRUE(mes.open(dir.file("r.mes").c_str(), "w"));
  EXPECT_TRUE(sum.open(dir.file("r.txt").c_str(), "w"));
  EXPECT_EQ(write_session_report(mes, rp, run), kStatusOk);
  EXPECT_EQ(write_summary(sum, rp, run), kStatusOk);
  mes.close();
  sum.close();
  return {testsupport::read_text(dir.file("r.mes")), testsupport::read_text(dir.file("r.txt"))};
}

RunInfo named_run(const char* station, const char* session) {
  RunInfo run;
  std::strcpy(run.station_name, station);
  std::strcpy(run.session_name, session);
  return run;
}

// A survey of 14 satellites (and satellite 21 from a tracking record) with a
// 3D fix, seen by a receiver of type 30 from 13:01 on 5 January 2020.
void survey(RecordProcessor& rp) {
  writers::SessionRecord r;
  r.ref_lat = 0.25;
  r.ref_lon = -0.6;
  r.ref_height = 312.5;
  r.antenna_height = 1.5;
  r.ref_kind = 1;
  r.antenna_unit = 1;
  r.antenna_in_field = 1;
  r.schedule_flag = 1;
  r.schedule_start = 61;
  r.schedule_stop = 600;
  r.logging_start = 75;
  r.logging_stop = 590;
  r.l2_tracked = 1;
  r.elevation_mask = 15;
  r.min_satellites = 4;
  r.sv_selection = 1;
  r.sync_rate = 150;
  r.position_logging = 1;
  r.every_cycle = 1;
  r.nav_version = 311;
  r.sig_version = 7;
  r.sats.clear();
  for (uint32_t i = 0; i < 14; ++i) r.sats.push_back({100 + i, 50 + i, i, i / 2});
  feed(rp, writers::session_record(r, true));
  feed(rp, writers::tracking_record(20, {5, 4, 3, 2}));
  writers::PositionFixes p;
  p.best3d_lat = 0.2;
  p.best3d_lon = 0.3;
  p.best3d_height = 100.25;
  p.best3d_pdop = 2.5;
  p.mean3d_lat = -0.2;
  p.mean3d_lon = -0.3;
  p.mean3d_height = 99.5;
  p.fixes3d = 40;
  p.best2d_pdop = 120;  // present but too poor to show
  p.best2d_lat = 0.1;
  feed(rp, writers::position_record(p, false));
  writers::SessionSetup setup;
  setup.first = 40;
  setup.last = 40;
  setup.long_name = "Hilltop mast";
  feed(rp, writers::session_setup_record(setup, false));
  rp.facts.receiver_type = 30;
  rp.facts.nav_version = 312;
  rp.facts.sig_version = 5;
  rp.facts.first_epoch_ms = 46800000 + 62500;
  rp.facts.latest_epoch_ms = 50000000;
  rp.facts.first_epoch_seen = true;
  rp.facts.data_gps_week = 2087;
  rp.facts.data_week_known = true;
  std::strcpy(rp.facts.serial_text, "4711A0042");
  rp.facts.serial_known = true;
  std::strcpy(rp.facts.antenna_text, "     AX-17");
  rp.facts.antenna_text_known = true;
}

TEST(SessionReport, FullSurveyWithTrackingGroupsAndPositions) {
  RecordProcessor rp;
  survey(rp);
  Reports r = write_reports(rp, named_run("GS00", "233A"));
  EXPECT_EQ(r.mes,
            "Station ID: GS00  Session #: 233-A     Jan  5, 2020 13:01\n"
            "Reference Position - USER SPECIFIED:\n"
            "Lat.  = 45:00'00.000\" N  Long. = 108:00'00.000\" W  Height = 312.5  [meters]\n"
            "Antenna height   =  1.5000  [meters]  (entered in the field in feet)\n"
            "Long station name:  Hilltop mast\n"
            "\n"
            "Receiver serial # = 4711A0042\n"
            "Antenna serial  # =      AX-17  (entered in the field)\n"
            "NP Software = 3.12     SP Software = 0.05     Download Software = 3.11.01\n"
            "\n"
            "Survey schedule:  Start time = 01:01  Stop time = 10:00\n"
            "Data-logging start time = 01:15\n"
            "Data-logging stop  time = 09:50\n"
            "\n"
            "Tracking   SV  1  SV  2  SV  3  SV  4  SV  5  SV  6  SV  7  SV  8  SV  9  SV 10\n"
            "total L1     100    101    102    103    104    105    106    107    108    109\n"
            "cont  L1      50     51     52     53     54     55     56     57     58     59\n"
            "total L2       0      1      2      3      4      5      6      7      8      9\n"
            "cont  L2       0      0      1      1      2      2      3      3      4      4\n"
            "\n"
            "Tracking   SV 11  SV 12  SV 13  SV 14  SV 21\n"
            "total L1     110    111    112    113      5\n"
            "cont  L1      60     61     62     63      4\n"
            "total L2      10     11     12     13      3\n"
            "cont  L2       5      5      6      6      2\n"
            "\n"
            "SV Selection mode = MANUAL SELECTION\n"
            "Elevation mask    = 15     [degrees]   Minimum # of SVs  =  4\n"
            "Survey sync rate  = 15.0   [sec]\n"
            "LOGGED POSITION DATA EVERY CYCLE\n"
            "\n"
            "3D Position      Best PDOP Position [ 2.5]     Mean Position [40]\n"
            "Latitude:         36:00'00.00000\" N             36:00'00.00000\" S\n"
            "Longitude:        54:00'00.00000\" E             54:00'00.00000\" W\n"
            "Height [m]:                100.2                          99.5\n"
            "\n"
            "2D Position      Position not available\n"
            "\n");
  EXPECT_EQ(r.sum.substr(0, r.sum.find("Tracking")),
            "Station         : GS00\n"
            "Session         : 233A\n"
            "First meas      : 20.01.05 13:01:02   2087  46862\n"
            "Last  meas      : 20.01.05 13:53:20   2087  50000\n"
            "\n"
            "Rx  Serial#     : 4711A0042\n"
            "Ant Serial#     :      AX-17\n"
            "NP version      : 3.11\n"
            "SP Software     : 0.07\n"
            "Download version: 3.11.01\n"
            "\n");
  EXPECT_EQ(r.sum.substr(r.sum.find("Tracking")),
            "Tracking        : Total L1  Cont  L1  Total L2  Cont  L2\n"
            "SV  1           :      100        50         0         0\n"
            "SV  2           :      101        51         1         0\n"
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
            "SV 13           :      112        62        12         6\n"
            "SV 14           :      113        63        13         6\n"
            "SV 21           :        5         4         3         2\n");
}

TEST(SessionReport, NeverStartedSessionInTestModeWithNothingElseKnown) {
  RecordProcessor rp;
  writers::SessionRecord r;
  r.test_mode = 1;
  r.logging_start = 9999;
  r.logging_stop = 9999;
  r.antenna_serial = 0x80000001;
  r.receiver_serial = 123456;
  r.antenna_unit = 7;  // no unit text
  r.sats = {{3, 3, 0, 0}};
  feed(rp, writers::session_record(r, false));
  feed(rp, writers::tracking_record(0, {3, 3, 0, 0}));
  RunInfo run = named_run("AB", "");
  run.gps_week = 1000;  // no data week: the -W week dates the session
  Reports out = write_reports(rp, run);
  EXPECT_EQ(out.mes,
            "SURVEY WAS CONDUCTED WITH THE RECEIVER IN TEST MODE\n\n"
            "Station ID: AB    Session #:    -      Mar  7, 1999 00:00\n"
            "Reference Position - NOT SPECIFIED:\n"
            "Lat.  =  0:00'00.000\" N  Long. =   0:00'00.000\" W  Height = 0.0  [meters]\n"
            "Antenna height   =  0.0000  [meters]  \n"
            "Receiver serial # = 123456\n"
            "Internal antenna\n"
            "NP Software = 0.00     SP Software = 0.00     Download Software = 3.11.01\n"
            "\n"
            "Survey schedule:  UNSPECIFIED\n"
            "Session manually aborted before data-logging could start\n"
            "Session aborted due to receiver power failure\n"
            "\n"
            "SV Selection mode = AUTOMATIC\n"
            "Elevation mask    =  0     [degrees]   Minimum # of SVs  =  0\n"
            "Survey sync rate  = 0.0    [sec]\n"
            "\n"
            "Session aborted due to receiver power failure\n"
            "\n");
  EXPECT_NE(out.sum.find("Rx  Serial#     : 123456\nAnt Serial#     : Modular antenna\n"),
            std::string::npos);
  EXPECT_NE(out.sum.find("First meas      : 99.03.07  0:00:00   1000      0\n"), std::string::npos);
}

TEST(SessionReport, FileInformationSerialWinsOverTheSessionRecord) {
  RecordProcessor rp;
  writers::SessionRecord r;
  r.receiver_serial = 111;
  r.antenna_serial = 222;
  feed(rp, writers::session_record(r, false));
  rp.facts.serial_number = 999;
  rp.facts.serial_from_file_record = true;
  rp.facts.antenna_number = 333;
  Reports out = write_reports(rp, RunInfo{});
  EXPECT_NE(
      out.mes.find("Receiver serial # = 999\nAntenna serial  # = 222  (entered in the office)"),
      std::string::npos);
  EXPECT_NE(out.sum.find("Rx  Serial#     : 999\nAnt Serial#     : 222\n"), std::string::npos);
}

TEST(SessionReport, UnopenedFilesAreRefused) {
  RecordProcessor rp;
  OutFile closed;
  EXPECT_EQ(write_session_report(closed, rp, RunInfo{}), kStatusMesNotOpen);
  EXPECT_EQ(write_summary(closed, rp, RunInfo{}), kStatusSumNotOpen);
}

TEST(StationNames, ReceiversTwentyNineToFiftyNineNameByLongNameDayAndHour) {
  RecordProcessor rp;
  survey(rp);  // long name "Hilltop mast", first epoch day 5 at 13:01
  for (int type : {29, 30, 59}) {
    rp.facts.receiver_type = static_cast<uint8_t>(type);
    RunInfo run = named_run("GS00", "233A");
    refresh_station_names(rp, run);
    EXPECT_STREQ(run.station_name, "MAST") << type;
    EXPECT_STREQ(run.session_name, "005D") << type;
  }
  for (int type : {28, 60}) {
    rp.facts.receiver_type = static_cast<uint8_t>(type);
    RunInfo run = named_run("GS00", "233A");
    refresh_station_names(rp, run);
    EXPECT_STREQ(run.station_name, "GS00") << type;
    EXPECT_STREQ(run.session_name, "233A") << type;
  }
  RecordProcessor short_name;
  writers::SessionSetup setup;
  setup.long_name = "ab";
  feed(short_name, writers::session_setup_record(setup, false));
  short_name.facts.receiver_type = 40;
  short_name.facts.first_epoch_seen = true;
  short_name.facts.first_epoch_ms = 9 * 3600000.0;  // 09:00 on 6 January 1980
  RunInfo run = named_run("GS00", "233A");
  refresh_station_names(short_name, run);
  EXPECT_STREQ(run.station_name, "AB");
  EXPECT_STREQ(run.session_name, "0069");
}

TEST(QuickSummary, OnlyWithQuickModeAndAKnownSerialText) {
  RecordProcessor rp;
  rp.facts.receiver_type = 30;
  rp.facts.nav_version = 412;
  std::strcpy(rp.facts.serial_text, "5012K33344");
  EXPECT_EQ(quick_summary_line(rp), nullptr);  // serial text not known yet
  rp.facts.serial_known = true;
  EXPECT_EQ(quick_summary_line(rp), nullptr);  // no -q
  rp.options.quick_mode = 1;
  const char* line = quick_summary_line(rp);
  ASSERT_NE(line, nullptr);
  EXPECT_STREQ(line, "sn:5012K33344;fw:4.12;rx:30\n");
  rp.facts.nav_version = 7;
  EXPECT_STREQ(quick_summary_line(rp), "sn:5012K33344;fw:0.07;rx:30\n");
}

}  // namespace
}  // namespace d01ozu
