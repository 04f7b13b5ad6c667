// Whole runs on T0x files of measurement epochs: the 27/17 modes (-g, the
// default, -o+), the DAT extension they give, and the type-17 reduction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testdata/legacy_records.h"
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

// The DAT records of a stream holding only types 17 and 27 (length in bytes
// 1 and 2).
std::vector<Bytes> split_records(const Bytes& dat) {
  std::vector<Bytes> out;
  size_t at = dattest::kDatStartBytes;
  while (at + 4 <= dat.size()) {
    const size_t n = dat[at + 1] | dat[at + 2] << 8;
    if (n < 4 || at + n > dat.size()) break;
    out.emplace_back(dat.begin() + at, dat.begin() + at + n);
    at += n;
  }
  return out;
}

DatRun convert(const Bytes& input, std::vector<std::string> args) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("m.t01"), input);
  args.push_back("m.t01");
  testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), args);
  DatRun run{r.status, r.output, "", {}};
  for (const char* ext : {".dat", ".tgd"})
    if (testsupport::file_exists(dir.file(std::string("m") + ext))) {
      run.extension = ext;
      run.records = split_records(testsupport::read_file(dir.file(std::string("m") + ext)));
    }
  return run;
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

TEST(MeasurementRun, TheModesOfType27) {
  std::vector<Bytes> frames{writers::t00_file_record()};
  for (uint32_t t : {1000, 2000, 3000}) frames.push_back(epoch27(t));
  const Bytes input = writers::t01_stream(frames);
  const DatRun g = convert(input, {"-d", "-g"});
  const DatRun plain = convert(input, {"-d"});
  const DatRun both = convert(input, {"-d", "-o+"});
  ASSERT_EQ(g.status, 0) << g.output;
  ASSERT_EQ(plain.status, 0) << plain.output;
  ASSERT_EQ(both.status, 0) << both.output;
  EXPECT_EQ(g.extension, ".tgd");
  EXPECT_EQ(plain.extension, ".dat");
  EXPECT_EQ(both.extension, ".tgd");
  EXPECT_EQ(types(g), (std::vector<uint8_t>{27, 27, 27}));
  EXPECT_EQ(types(plain), (std::vector<uint8_t>{17, 17, 17}));
  EXPECT_EQ(types(both), (std::vector<uint8_t>{27, 17, 27, 17, 27, 17}));
  for (size_t k = 0; k < 3 && both.records.size() == 6; ++k) {
    EXPECT_EQ(both.records[2 * k], g.records.at(k));
    EXPECT_EQ(both.records[2 * k + 1], plain.records.at(k));
  }
  // Two GPS entries with their L2E values; the third epoch derives doppler.
  ASSERT_EQ(plain.records.size(), 3u);
  const Bytes& last = plain.records[2];
  EXPECT_EQ(last.size(), 21u + 2 * 72);
  EXPECT_EQ(last[20], 2);
  EXPECT_EQ(last[21], 5);
  EXPECT_EQ(dattest::le_f64(last, 21 + 8 + 24), 100.0);  // 100 cycles in a second
}

// Without -g a container epoch keeps at most 12 entries and never satellite
// 32; the weakest satellite dropped is marked at its next entry. With -g raw
// type 17 keeps every entry.
TEST(MeasurementRun, ContainerType17ReducedWithoutExtendedType17) {
  auto epoch = [](uint32_t t, uint8_t first, uint8_t last) {
    writers::Raw27Epoch e;
    e.time_ms = t;
    for (int sv = first; sv <= last; ++sv) {
      writers::Raw27Satellite s;
      s.sv = static_cast<uint8_t>(sv);
      s.b6 = sv == 21 ? 1 : 40;
      s.blocks.resize(1);
      e.satellites.push_back(s);
    }
    return writers::raw27_frame(e);
  };
  const DatRun reduced = convert(
      writers::t01_stream({writers::t00_file_record(), epoch(1000, 20, 33), epoch(2000, 21, 21)}),
      {"-d"});
  ASSERT_EQ(reduced.records.size(), 2u) << reduced.output;
  EXPECT_EQ(reduced.records[0].size(), 21u + 12 * 48);
  std::vector<uint8_t> svs;
  for (int i = 0; i < reduced.records[0][20]; ++i) svs.push_back(reduced.records[0][21 + 48 * i]);
  EXPECT_EQ(svs, (std::vector<uint8_t>{20, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 33}));
  EXPECT_EQ(reduced.records[1][21], 21);
  EXPECT_EQ(reduced.records[1][22], 0xC0 | 0x80 | 0x02);

  std::vector<writers::Type17Entry> entries(12);
  for (size_t k = 0; k < entries.size(); ++k) entries[k].sv = static_cast<uint8_t>(22 + k);
  const Bytes raw17 = writers::t01_stream(
      {writers::t00_file_record(), writers::type17_part(1000, 0, false, entries)});
  const DatRun without_g = convert(raw17, {"-d"});
  const DatRun with_g = convert(raw17, {"-d", "-g"});
  ASSERT_EQ(without_g.records.size(), 1u);
  ASSERT_EQ(with_g.records.size(), 1u);
  EXPECT_EQ(without_g.records[0][20], 11);
  EXPECT_EQ(with_g.records[0][20], 12);
}

}  // namespace
