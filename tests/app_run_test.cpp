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
#include "testdata/frame_writer.h"
#include "tests/test_support.h"

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
  if (run.status == 0) run.status = RunConversion(*run.cx);
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
  ASSERT_GE(g_lines.size(), 2u);
  EXPECT_EQ(g_lines[g_lines.size() - 1], "rawsplit:  status : 28");
}

double IonValue(int k) {
  return 0.5 + k;
}

// The first input's initial blocks are kept; later inputs' are read and dropped.
TEST(RunDriver, InitialBlocksComeFromTheFirstInputOnly) {
  TempDir dir;
  writers::R00File plain;
  plain.records.push_back(writers::message_frame(0, "PLAIN"));
  writers::R00File valued = plain;
  valued.ion_value = IonValue;
  testsupport::write_file(dir.file("p.r00"), plain.bytes());
  testsupport::write_file(dir.file("v.r00"), valued.bytes());
  for (std::string order : {"pv", "vp"}) {
    DriverRun run;
    std::string inputs = dir.file(order.substr(0, 1)) + "+" + dir.file(order.substr(1));
    Start(run, {"-di", inputs, dir.file("out")}, nullptr);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.cx->record_count, 2);
    testsupport::Bytes ion = testsupport::read_file(dir.file("out.ion"));
    double first_value = -1;
    if (ion.size() >= 8) std::memcpy(&first_value, ion.data(), 8);
    EXPECT_EQ(first_value, order[0] == 'v' ? 0.5 : 0.0) << order;
  }
}

}  // namespace
}  // namespace rawsplit
