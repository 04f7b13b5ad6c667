// The MES session report and the summary file for sessions that never logged
// or lack facts, and the station and session names (a full survey is checked
// through the built program in outputs_e2e_test).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "output/reports.h"
#include "processing/record_processor.h"
#include "testdata/session_records.h"
#include "tests/dat_fixture.h"
#include "tests/test_support.h"

namespace d01ozu {
namespace {

using testsupport::Bytes;

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

TEST(SessionReport, NeverStartedSessionInTestModeWithNothingElseKnown) {
  dattest::Processor p;
  RecordProcessor& rp = *p.rp;
  writers::SessionRecord r;
  r.test_mode = 1;
  r.logging_start = 9999;
  r.logging_stop = 9999;
  r.antenna_serial = 0x80000001;
  r.receiver_serial = 123456;
  r.antenna_unit = 7;  // no unit text
  r.sats = {{3, 3, 0, 0}};
  p.feed(writers::session_record(r, false));
  p.feed(writers::tracking_record(0, {3, 3, 0, 0}));
  RunInfo run = named_run("AB", "");
  run.gps_week = 1000;  // no data week: the -W week dates the session
  Reports out = write_reports(rp, run);
  auto has = [&](const std::string& text) { return out.mes.find(text) != std::string::npos; };
  EXPECT_EQ(out.mes.rfind("SURVEY WAS CONDUCTED WITH THE RECEIVER IN TEST MODE\n\n"
                          "Station ID: AB    Session #:    -      Mar  7, 1999 00:00\n",
                          0),
            0u);
  EXPECT_TRUE(
      has("Antenna height   =  0.0000  [meters]  \nReceiver serial # = 123456\n"
          "Internal antenna\n"));
  EXPECT_TRUE(
      has("Survey schedule:  UNSPECIFIED\n"
          "Session manually aborted before data-logging could start\n"
          "Session aborted due to receiver power failure\n\n"));
  const std::string tail =
      "Survey sync rate  = 0.0    [sec]\n\nSession aborted due to receiver power failure\n\n";
  EXPECT_EQ(out.mes.substr(out.mes.size() - std::min(out.mes.size(), tail.size())), tail);
  EXPECT_NE(out.sum.find("Rx  Serial#     : 123456\nAnt Serial#     : Modular antenna\n"),
            std::string::npos);
  EXPECT_NE(out.sum.find("First meas      : 99.03.07  0:00:00   1000      0\n"), std::string::npos);
}

TEST(SessionReport, FileInformationSerialWinsOverTheSessionRecord) {
  dattest::Processor p;
  RecordProcessor& rp = *p.rp;
  writers::SessionRecord r;
  r.receiver_serial = 111;
  r.antenna_serial = 222;
  p.feed(writers::session_record(r, false));
  rp.facts.serial_number = 999;
  rp.facts.serial_from_file_record = true;
  rp.facts.antenna_number = 333;
  Reports out = write_reports(rp, RunInfo{});
  EXPECT_NE(
      out.mes.find("Receiver serial # = 999\nAntenna serial  # = 222  (entered in the office)"),
      std::string::npos);
  EXPECT_NE(out.sum.find("Rx  Serial#     : 999\nAnt Serial#     : 222\n"), std::string::npos);
}

// A receiver of type code type that saw the long station name name and
// its first epoch at ms of GPS week 2087 (Sunday 5 January 2020).
void name_by_data(dattest::Processor& p, int type, const std::string& name, double ms) {
  writers::SessionSetup setup;
  setup.long_name = name;
  p.feed(writers::session_setup_record(setup, false));
  ReceiverFacts& f = p.rp->facts;
  f.receiver_type = static_cast<uint8_t>(type);
  f.first_epoch_seen = true;
  f.first_epoch_ms = ms;
  f.data_gps_week = 2087;
  f.data_week_known = true;
}

TEST(StationNames, ReceiversTwentyNineToFiftyNineNameByLongNameDayAndHour) {
  for (int type : {28, 29, 59, 60}) {
    RunInfo run = named_run("GS00", "233A");
    dattest::Processor p;
    name_by_data(p, type, "Hilltop mast", 13 * 3600000.0 + 5);
    refresh_station_names(*p.rp, run);
    bool named = type >= 29 && type <= 59;
    EXPECT_STREQ(run.station_name, named ? "MAST" : "GS00") << type;
    EXPECT_STREQ(run.session_name, named ? "005D" : "233A") << type;
  }
  RunInfo run = named_run("GS00", "233A");
  dattest::Processor p;
  name_by_data(p, 40, "ab", 86400000.0 + 9 * 3600000.0);
  refresh_station_names(*p.rp, run);
  EXPECT_STREQ(run.station_name, "AB");  // shorter than 4: its first characters
  EXPECT_STREQ(run.session_name, "0069");
}

}  // namespace
}  // namespace d01ozu
