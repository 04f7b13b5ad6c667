// Whole R00 runs of the built program: the DAT file it leaves, and how the
// epoch sequence rules end or continue a run.
#include <gtest/gtest.h>

#include "output/binary_messages.h"
#include "testdata/legacy_records.h"
#include "tests/dat_fixture.h"

using dattest::Bytes;
using testsupport::read_file;
using testsupport::run_rawsplit;
using testsupport::write_file;

namespace {

Bytes epoch17(uint32_t t) {
  writers::Type17Entry e;
  e.sv = 12;
  e.range = 128;
  return writers::type17_part(t, 0, false, {e});
}

TEST(DatRun, DatFileOfAnR00Run) {
  testsupport::TempDir dir;
  writers::R00File f;
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
  // The records follow the file start: the message record, then the epoch.
  EXPECT_EQ(Bytes(dat.begin() + 485, dat.begin() + 491), (Bytes{0x74, 6, 0, 16, 'A', 'B'}));
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
