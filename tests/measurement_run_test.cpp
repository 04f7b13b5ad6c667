// Whole runs on T0x files of measurement epochs and position solutions: the
// 27/17 modes (-g, the default, -o+) and the DAT extension they give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testdata/legacy_records.h"
#include "testdata/position_records.h"
#include "testdata/t0x_writers.h"
#include "testdata/type27_records.h"
#include "tests/dat_fixture.h"
#include "tests/test_support.h"

namespace {

using testsupport::Bytes;

struct DatRun {
  int status = -1;
  std::string output;
  std::string extension;       // ".dat" or ".tgd"
  std::vector<Bytes> records;  // the DAT records after the file start
};

DatRun convert(const Bytes& input, std::vector<std::string> args) {
  const testsupport::DatRun r = testsupport::run_on_input("m.t01", input, std::move(args));
  return {r.status, r.output, r.extension, testsupport::dat_records(r.dat)};
}

// An epoch of two GPS satellites (L1 and an L2E signal) and one of system 2.
Bytes epoch27(uint32_t t) {
  writers::Raw27Epoch e;
  e.week = 2300;
  e.time_ms = t;
  for (uint8_t sv : {5, 12, 3}) {
    writers::Raw27Satellite s;
    s.sv = sv;
    s.system = sv == 3 ? 2 : 0;
    writers::Raw27Block l1, l2;
    l1.range = writers::range0(21000000.0 + sv, 0);
    l1.phase = writers::cycles(t / 10.0 + sv);
    l2.type = 1;
    l2.track = 2;
    l2.range = writers::range_difference(1.5);
    l2.phase = writers::cycles(t / 13.0);
    s.blocks = {l1, l2};
    e.satellites.push_back(s);
  }
  return writers::raw27_frame(e);
}

std::vector<uint8_t> types(const DatRun& r) {
  std::vector<uint8_t> out;
  for (const Bytes& rec : r.records) out.push_back(rec[3]);
  return out;
}

// -g hands types 27 and 29 on as they are; the default only the type-17 and
// type-11 records made from them; -o+ both, the record as it came first.
TEST(MeasurementRun, TheTwentySevenSeventeenModes) {
  std::vector<Bytes> frames{writers::t00_file_record()};
  for (uint32_t t : {1000, 2000, 3000}) frames.push_back(epoch27(t));
  writers::Type29Solution s;
  s.b = {1, 0, 3, 0, 0x12, 5, 4, 3};
  s.items = {{3, 4, 1 << 28}};
  s.entries = {{3, 0, 2}, {11, 5, 2}, {4, 7, 0}};
  const struct {
    Bytes input;
    uint8_t as_sent, made;
    size_t count;
  } cases[] = {
      {writers::t01_stream(frames), 27, 17, 3},
      {writers::t01_stream({writers::t00_file_record(), writers::type29_record(s)}), 29, 11, 1}};
  for (const auto& c : cases) {
    const DatRun g = convert(c.input, {"-d", "-g"});
    const DatRun plain = convert(c.input, {"-d"});
    const DatRun both = convert(c.input, {"-d", "-o+"});
    ASSERT_EQ(g.status + plain.status + both.status, 0) << g.output << plain.output << both.output;
    EXPECT_EQ(types(g), std::vector<uint8_t>(c.count, c.as_sent));
    EXPECT_EQ(types(plain), std::vector<uint8_t>(c.count, c.made));
    ASSERT_EQ(both.records.size(), 2 * c.count);
    for (size_t k = 0; k < c.count; ++k) {
      EXPECT_EQ(both.records[2 * k], g.records.at(k));
      EXPECT_EQ(both.records[2 * k + 1], plain.records.at(k));
    }
    EXPECT_EQ(g.extension, c.as_sent == 27 ? ".tgd" : ".dat");
    EXPECT_EQ(plain.extension, ".dat");
    EXPECT_EQ(both.extension, g.extension);
  }
  // Two GPS entries with their L2E values; the third epoch derives doppler.
  const DatRun plain = convert(cases[0].input, {"-d"});
  ASSERT_EQ(plain.records.size(), 3u);
  const Bytes& last = plain.records[2];
  EXPECT_EQ(last.size(), 21u + 2 * 72);
  EXPECT_EQ(last[20], 2);
  EXPECT_EQ(last[21], 5);
  EXPECT_EQ(dattest::le_f64(last, 21 + 8 + 24), 100.0);  // 100 cycles in a second
}

}  // namespace
