// The run driver in process: abort through the progress sink, and the first
// input alone supplying the initial blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/arguments.h"
#include "app/messages.h"
#include "app/naming.h"
#include "app/run_driver.h"
#include "tests/test_support.h"
#include "writers/frame_writer.h"

namespace rawsplit {
namespace {

using testsupport::TempDir;

std::vector<std::string> g_lines;
void Collect(int, const char* text, uint32_t) {
  g_lines.emplace_back(text);
}

int g_progress_calls = 0;
// Asks for an abort at the first progress call inside the record loop.
void AbortEarly(uint8_t* abort, uint16_t, const char*, const int16_t*) {
  if (++g_progress_calls == 2) *abort = 1;
}

struct DriverRun {
  std::unique_ptr<ConversionContext> cx = std::make_unique<ConversionContext>();
  d01ozu::RecordProcessor rp;
  d01ozu::StatusCode status = 0;
};

void Start(DriverRun& run, std::vector<std::string> args, ProgressSink progress) {
  g_lines.clear();
  g_progress_calls = 0;
  run.cx->message_sink = Collect;
  run.cx->progress_sink = progress;
  std::vector<const char*> argv{"rawsplit"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  run.status = ParseArguments(*run.cx, static_cast<int>(argv.size()), argv.data(), true);
  if (run.status == 0) run.status = PrepareNames(*run.cx);
  if (run.status == 0) run.status = RunConversion(*run.cx, run.rp);
}

TEST(RunDriver, AbortStopsAfterTheCurrentRecord) {
  TempDir dir;
  writers::R00File f;
  for (int i = 0; i < 5; ++i) f.records.push_back(writers::message_frame(0, "REC"));
  testsupport::write_file(dir.file("a.r00"), f.bytes());
  DriverRun run;
  Start(run, {"-dv", dir.file("a.r00")}, AbortEarly);
  EXPECT_EQ(run.status, d01ozu::kStatusAborted);
  EXPECT_EQ(run.cx->record_count, 1);
  EXPECT_EQ(run.cx->abort_flag, nullptr);
  ASSERT_GE(g_lines.size(), 2u);
  EXPECT_EQ(g_lines[g_lines.size() - 1], "rawsplit:  status : 28");
}

double EphValue(int sv, int k) {
  return sv * 100.0 + k;
}
double IonValue(int k) {
  return 0.5 + k;
}

TEST(RunDriver, InitialBlocksComeFromTheFirstInputOnly) {
  TempDir dir;
  writers::R00File second;
  writers::R00File first = second;
  first.eph_value = EphValue;
  first.ion_value = IonValue;
  first.records.push_back(writers::message_frame(0, "FIRST"));
  second.records.push_back(writers::message_frame(0, "SECOND"));
  testsupport::write_file(dir.file("b.r00"), second.bytes());
  testsupport::write_file(dir.file("a.r00"), first.bytes());
  // The second file's blocks are read and dropped, so its record still counts.
  DriverRun run;
  Start(run, {"-dei", dir.file("b") + "+" + dir.file("a"), dir.file("out")}, nullptr);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.cx->record_count, 2);
  testsupport::Bytes ion = testsupport::read_file(dir.file("out.ion"));
  ASSERT_GE(ion.size(), 8u);
  double first_value;
  std::memcpy(&first_value, ion.data(), 8);
  EXPECT_EQ(first_value, 0.0);  // file b came first: zeros

  DriverRun swapped;
  Start(swapped, {"-dei", dir.file("a") + "+" + dir.file("b"), dir.file("out")}, nullptr);
  ion = testsupport::read_file(dir.file("out.ion"));
  ASSERT_GE(ion.size(), 8u);
  std::memcpy(&first_value, ion.data(), 8);
  EXPECT_EQ(first_value, 0.5);
}

}  // namespace
}  // namespace rawsplit
