// Converters share nothing: two of them on two threads give exactly the
// outputs that the same two conversions give one after the other. Built on
// its own so that it can also run under ThreadSanitizer.
#include <d01ozu/d01ozu.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "testdata/t0x_writers.h"
#include "tests/test_support.h"

namespace {

using testsupport::Bytes;
using testsupport::TempDir;

double EphValue(int sv, int k) {
  return sv <= 8 ? sv * 100.0 + k : 0.0;
}
double IonValue(int k) {
  return 1.0e-8 * (k + 1);
}

// The records of a short session: identity, a station message, week,
// ephemerides, ION/UTC and `epochs` measurement epochs of four satellites.
std::vector<Bytes> SessionFrames(uint32_t serial, const std::string& message, int epochs) {
  writers::ReceiverIdentity id;
  id.serial_number = serial;
  id.receiver_type = 5;
  id.serial_text = "02" + std::to_string(serial);
  id.nav_version = 310;
  std::vector<Bytes> frames{writers::receiver_identity_record(id),
                            writers::message_frame(3, message)};
  writers::Type12Record week;
  week.week = 1180;
  frames.push_back(writers::type12_record(week));
  std::array<double, 25> eph{};
  for (int k = 0; k < 25; ++k) eph[k] = 0.25 * k + serial % 7;
  for (int sv : {3, 6}) frames.push_back(writers::ephemeris_record(sv, eph));
  writers::IonUtc ion;
  for (int k = 0; k < 11; ++k) ion.values[k] = 1.0e-9 * (k + 1);
  frames.push_back(writers::ion_utc_record(ion));
  for (int t = 0; t < epochs; ++t) {
    std::vector<writers::Type17Entry> entries;
    for (uint8_t sv : {3, 6, 11, 19}) {
      writers::Type17Entry e;
      e.sv = sv;
      e.range = 2700000000u + 1000u * sv + 7u * t;
      e.phase = 123456789LL * sv + 3000 * t;
      e.doppler = -1200 * sv;
      entries.push_back(e);
    }
    frames.push_back(writers::type17_part(345600000u + 1000u * t, 0, false, entries));
  }
  return frames;
}

Bytes R00Input() {
  writers::R00File file;
  file.receiver_type = 5;
  file.nav_version = 310;
  file.sig_version = 120;
  file.eph_value = EphValue;
  file.ion_value = IonValue;
  file.records = SessionFrames(4422100, "PILLAR7 north roof", 40);
  return file.bytes();
}

Bytes T01Input() {
  std::vector<Bytes> frames{writers::t00_file_record()};
  for (Bytes& f : SessionFrames(5533200, "MAST2 south", 60)) frames.push_back(std::move(f));
  return writers::t01_stream(frames);
}

struct Input {
  d01ozu::InputFormat format;
  Bytes bytes;
};

using Outputs = std::map<std::string, Bytes>;  // output name -> content

const char* const kOutputs[] = {"out.dat", "out.eph", "out.ion", "out.mes", "out.txt"};

// Converts input in memory into every output in dir; the status and diagnostics go to result.
void Convert(const Input& input, const std::string& dir, d01ozu::Status* status,
             std::string* diagnostics) {
  d01ozu::Options o;
  o.format = input.format;
  // Packet streams carry no R00 header and no initial ephemeris blocks.
  if (o.format != d01ozu::InputFormat::kR00)
    o.inputs_have_header = o.inputs_have_ephemerides = false;
  o.dat_path = dir + "/out.dat";
  o.dat_extension = ".dat";
  o.eph_path = dir + "/out.eph";
  o.ion_path = dir + "/out.ion";
  o.mes_path = dir + "/out.mes";
  o.summary_path = dir + "/out.txt";
  d01ozu::Events events;
  events.user = diagnostics;
  events.diagnostic = [](void* user, const char* text) {
    *static_cast<std::string*>(user) += text;
  };
  std::unique_ptr<d01ozu::Converter> c = d01ozu::Converter::Create(o, events);
  *status = c->AddInputBytes(input.bytes.data(), input.bytes.size(), "input");
  if (*status == d01ozu::Status::kOk) *status = c->Run();
}

Outputs Collect(const std::string& dir) {
  Outputs out;
  for (const char* name : kOutputs)
    if (testsupport::file_exists(dir + "/" + name))
      out[name] = testsupport::read_file(dir + "/" + name);
  return out;
}

struct RunResult {
  d01ozu::Status status = d01ozu::Status::kAborted;
  std::string diagnostics;
  Outputs outputs;
};

TEST(Threads, TwoConvertersAtOnceMatchTwoRunsInTurn) {
  const std::vector<Input> inputs{{d01ozu::InputFormat::kR00, R00Input()},
                                  {d01ozu::InputFormat::kT01, T01Input()}};
  TempDir dir;
  std::vector<RunResult> alone(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    const std::string d = dir.file("alone" + std::to_string(i));
    ASSERT_TRUE(std::filesystem::create_directory(d));
    Convert(inputs[i], d, &alone[i].status, &alone[i].diagnostics);
    alone[i].outputs = Collect(d);
    ASSERT_EQ(alone[i].status, d01ozu::Status::kOk) << i;
    ASSERT_EQ(alone[i].outputs.size(), std::size(kOutputs)) << i;
    ASSERT_GT(alone[i].outputs["out.dat"].size(), 100u) << i;
  }
  ASSERT_NE(alone[0].outputs["out.dat"], alone[1].outputs["out.dat"]);

  for (int round = 0; round < 3; ++round) {
    std::vector<RunResult> together(inputs.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < inputs.size(); ++i) {
      const std::string d = dir.file("together" + std::to_string(round) + std::to_string(i));
      ASSERT_TRUE(std::filesystem::create_directory(d));
      threads.emplace_back(
          [&, i, d] { Convert(inputs[i], d, &together[i].status, &together[i].diagnostics); });
    }
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < inputs.size(); ++i) {
      const std::string d = dir.file("together" + std::to_string(round) + std::to_string(i));
      EXPECT_EQ(together[i].status, alone[i].status) << round << " " << i;
      EXPECT_EQ(together[i].diagnostics, alone[i].diagnostics) << round << " " << i;
      EXPECT_TRUE(Collect(d) == alone[i].outputs) << round << " " << i;
    }
  }
}

}  // namespace
