// Whole R00 runs of the built program: the DAT file it leaves, and how the
// epoch sequence rules end or continue a run.
#include <gtest/gtest.h>

#include "datstream/binary_messages.h"
#include "tests/dat_fixture.h"
#include "writers/legacy_records.h"

using dattest::Bytes;
using dattest::Le;
using testsupport::read_file;
using testsupport::run_rawsplit;
using testsupport::write_file;

namespace {

double ion_value(int k) {
  return 0.5 * (k + 1);
}

Bytes epoch17(uint32_t t) {
  writers::Type17Entry e;
  e.sv = 12;
  e.range = 128;
  return writers::type17_part(t, 0, false, {e});
}

TEST(DatRun, DatFileOfAnR00Run) {
  testsupport::TempDir dir;
  writers::R00File f;
  f.ion_value = ion_value;
  f.records = {writers::message_frame(0, "AB"), epoch17(7000)};
  write_file(dir.file("run.r00"), f.bytes());
  ASSERT_EQ(run_rawsplit(dir.path(), {"-d", "run.r00"}).status, 0);
  Bytes dat = read_file(dir.file("run.dat"));
  ASSERT_EQ(dat.size(), dattest::kDatStartBytes + 6 + 69);
  // The binary message records are final: pages in order, bit 7 cleared.
  size_t at = 0;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(dat[at], 0x74);
    EXPECT_EQ(dat[at + 1], d01ozu::kBinaryMessageLengths[i]);
    EXPECT_EQ(dat[at + 2], d01ozu::kBinaryMessagePages[i]);
    EXPECT_EQ(dat[at + 3], 5);
    at += dat[at + 1];
  }
  // The ION/UTC record carries the initial block: 14 values and its 5 bytes.
  Le ion;
  ion.u8(0x74).u8(124).u8(0).u8(15);
  for (int k = 0; k < 14; ++k) ion.f64(ion_value(k));
  ion.bytes({0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0, 0, 0});
  EXPECT_EQ(Bytes(dat.begin() + 361, dat.begin() + 485), ion.data());
  Le records;
  records.bytes({0x74, 6, 0, 16, 'A', 'B'});
  records.u8(0x74).le16(69).u8(17).f64(7000.0).f64(0.0).u8(1);
  records.u8(12).u8(0).u8(0).u8(3).le16(0).le16(0).f64(0.0).f64(1.0).zeros(24);
  EXPECT_EQ(Bytes(dat.begin() + 485, dat.end()), records.data());
}

TEST(DatRun, OutOfSequenceEndsTheRunUnlessFixupIsGiven) {
  testsupport::TempDir dir;
  writers::R00File f;
  f.records = {epoch17(100000), epoch17(50000), epoch17(110000)};
  write_file(dir.file("seq.r00"), f.bytes());
  auto strict = run_rawsplit(dir.path(), {"-dv", "seq.r00"});
  EXPECT_EQ(strict.status, d01ozu::kStatusOutOfSequence);
  EXPECT_NE(strict.output.find("records: 1"), std::string::npos);
  Bytes partial = read_file(dir.file("seq.dat"));
  EXPECT_EQ(partial.size(), dattest::kDatStartBytes + 2 * 69);  // the epoch was written
  auto fixed = run_rawsplit(dir.path(), {"-dfv", "seq.r00"});
  EXPECT_EQ(fixed.status, d01ozu::kStatusErrorsTolerated);
  EXPECT_NE(fixed.output.find("records: 2"), std::string::npos);  // the flagged one not counted
  EXPECT_EQ(read_file(dir.file("seq.dat")).size(), dattest::kDatStartBytes + 3 * 69);
}

}  // namespace
