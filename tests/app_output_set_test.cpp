// Opening outputs and the naming steps at close: final DAT extension, station
// rename and the close status (quick runs and empty outputs: end-to-end runs).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "processing/record_processor.h"
#include "run/output_set.h"
#include "tests/test_support.h"

namespace d01ozu {
namespace {

using testsupport::file_exists;
using testsupport::TempDir;

class Outputs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(OpenConversion(handle, rp), kStatusOk); }
  // Opens the DAT file at name and puts a few bytes into it.
  void OpenDat(const std::string& name) {
    ASSERT_EQ(OpenOutput(handle.get(), kOutputDat, dir.file(name).c_str()), kStatusOk);
    handle->file(kOutputDat).write("t\x04\x00\x10", 4);
  }
  TempDir dir;
  RecordProcessor rp;
  OutputSetPtr handle;
};

TEST_F(Outputs, TemporaryDatNameBecomesTgdOrIsKept) {
  testsupport::write_text(dir.file("typed.tgd"), "older run");
  OpenDat("typed.tg!");
  EXPECT_EQ(rp.dat, &handle->file(kOutputDat));
  rp.type27_written = true;
  EXPECT_EQ(CloseConversion(handle), kStatusOk);
  EXPECT_EQ(testsupport::read_file(dir.file("typed.tgd")).size(), 4u);
  EXPECT_FALSE(file_exists(dir.file("typed.tg!")));
  EXPECT_EQ(rp.dat, nullptr);

  ASSERT_EQ(OpenConversion(handle, rp), kStatusOk);
  OpenDat("explicit.out");
  CloseConversion(handle);
  EXPECT_TRUE(file_exists(dir.file("explicit.out")));
}

TEST_F(Outputs, StationNameRenameStaysInTheDirectory) {
  SetUpdateNameMode(*handle, 1);
  SetDatExtension(*handle, ".tg!");
  SetStationNames(*handle, "gs00", "233a");
  EXPECT_STREQ(handle->run.session_name, "233A");
  std::strcpy(rp.facts.message_station, "../PILLAR");
  rp.facts.message_station_known = true;
  OpenDat("gs00233a.tg!");
  CloseConversion(handle);
  EXPECT_TRUE(file_exists(dir.file(".._PILLAR233A.dat")));
  EXPECT_FALSE(file_exists(dir.file("gs00233a.dat")));
}

TEST_F(Outputs, CloseStatusIsTheLastStepThatSetsOne) {
  ASSERT_EQ(OpenOutput(handle.get(), kOutputApp, dir.file("a.cfg").c_str()), kStatusOk);
  EXPECT_EQ(CloseConversion(handle), kStatusAppNoInfo);  // no record 31 was seen
  EXPECT_FALSE(file_exists(dir.file("a.cfg")));

  ASSERT_EQ(OpenConversion(handle, rp), kStatusOk);
  ASSERT_EQ(OpenOutput(handle.get(), kOutputApp, dir.file("b.cfg").c_str()), kStatusOk);
  ASSERT_EQ(OpenOutput(handle.get(), kOutputSummary, dir.file("b.txt").c_str()), kStatusOk);
  EXPECT_EQ(CloseConversion(handle), kStatusOk);  // the summary step comes later
  EXPECT_EQ(CloseConversion(handle), kStatusNotOpened);
  EXPECT_EQ(OpenOutput(nullptr, kOutputDat, dir.file("x").c_str()), kStatusNotOpened);
  ASSERT_EQ(OpenConversion(handle, rp), kStatusOk);
  EXPECT_EQ(OpenOutput(handle.get(), kOutputDat, ""), kStatusDatOpen);
}

}  // namespace
}  // namespace d01ozu
