// End-to-end runs of the built rawsplit on R00 inputs made by the writers:
// exit statuses, standard output lines, record counts, output names, the DAT
// file and how the epoch sequence rules end or continue a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/status_code.h"
#include "output/binary_messages.h"
#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "tests/test_support.h"

namespace {

using testsupport::file_exists;
using testsupport::TempDir;
using testsupport::write_file;
using writers::Bytes;
using Lines = std::vector<std::string>;

// Offset of the first record behind the header and the initial blocks.
constexpr unsigned kFirstRecord = 39 + 32 * 333 + 117;  // 0x2A3C

// Runs rawsplit in dir, checks its exit status and returns its output lines.
Lines Rawsplit(const TempDir& dir, const std::vector<std::string>& args, int status) {
  testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), args);
  EXPECT_EQ(r.status, status) << (args.empty() ? "" : args.front()) << "\n" << r.output;
  return testsupport::lines_of(r.output);
}

int Count(const Lines& lines, const std::string& prefix) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.compare(0, prefix.size(), prefix) == 0;
  }));
}

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A message line with a position formatted into it.
std::string At(const char* format, unsigned position) {
  char line[64];
  std::snprintf(line, sizeof line, format, position);
  return line;
}

// An R00 file whose records are message records of 12 bytes each.
Bytes R00WithMessages(int count) {
  writers::R00File f;
  for (int i = 0; i < count; ++i) f.records.push_back(writers::message_frame(0, "HELLO"));
  return f.bytes();
}

TEST(E2eUsage, ShortAndFullUsageTexts) {
  TempDir dir;
  Lines short_usage = Rawsplit(dir, {}, 0);
  ASSERT_EQ(short_usage.size(), 28u);
  EXPECT_EQ(short_usage[1],
            "rawsplit - Utility to unpack Orvane R00\\T00\\T01\\T02 files, Version 6.04 ( d01ozu "
            "8.109 )");
  EXPECT_EQ(short_usage[3],
            "usage: rawsplit [-deimacfvq] [-sfile] [-x[ehi*]] [-tfmt] [-n[!]] [-u0|1] "
            "src[+s2+s3+..+sn] [@file] [out]");
  EXPECT_EQ(short_usage[23], "          rawsplit -deimv gs00233a c:\\new\\gs00233a");

  Lines full = Rawsplit(dir, {"-!!!", "-d", "missing"}, 0);
  ASSERT_EQ(full.size(), 35u);
  EXPECT_EQ(full[4], "                [-k[filter]] [-g] [-o[+]] [-RNav,Sig] [-Wweek]");
  EXPECT_EQ(full[26], " -W         set GPS week to specified value");
}

TEST(E2eRun, VerboseLevelsControlTraceAndProgress) {
  TempDir dir;
  Bytes data = R00WithMessages(3);
  Bytes cut = writers::message_frame(0, "CUT");
  data.insert(data.end(), cut.begin(), cut.begin() + 2);  // ends inside a record
  write_file(dir.file("gs00233a.r00"), data);

  EXPECT_TRUE(Rawsplit(dir, {"-d", "gs00233a"}, 0).empty());
  EXPECT_EQ(Rawsplit(dir, {"-dv", "gs00233a"}, 0),
            (Lines{"rawsplit:  Version 6.04", "rawsplit:  D01Ozu: 8.109 ",
                   "rawsplit:  DAT: gs00233a.tg!", "rawsplit:  Input file: gs00233a.r00",
                   "rawsplit:  records: 3", "rawsplit:  status : 0"}));

  Lines v2 = Rawsplit(dir, {"-dv2", "gs00233a"}, 0);
  EXPECT_EQ(Count(v2, "Record id:"), 3);
  EXPECT_TRUE(Has(v2, "Record id:  16   Position: 00002A3C"));
  EXPECT_TRUE(Has(v2, "Record id:  16   Position: 00002A54"));
  EXPECT_EQ(Count(v2, "Progress:"), 0);

  Lines v3 = Rawsplit(dir, {"-dv3", "gs00233a"}, 0);
  EXPECT_EQ(Count(v3, "Record id:"), 3);
  EXPECT_EQ(Count(v3, "Progress: 0 %"), 1);
  EXPECT_EQ(v3[v3.size() - 3], "Progress: 100 %");
  EXPECT_FALSE(file_exists(dir.file("gs00233a.tg!")));

  // Without -d no record is read.
  Lines no_dat = Rawsplit(dir, {"-ev", "gs00233a"}, 0);
  EXPECT_TRUE(Has(no_dat, "rawsplit:  records: 0"));
  EXPECT_EQ(Count(no_dat, "rawsplit:  DAT:"), 0);
}

TEST(E2eRun, MissingStxIsFatalUnlessFixupResynchronises) {
  TempDir dir;
  writers::R00File f;
  f.records = {writers::message_frame(0, "ONE"), Bytes(7, 0), writers::message_frame(0, "TWO"),
               writers::message_frame(0, "THREE")};
  write_file(dir.file("a.r00"), f.bytes());
  Lines fatal = Rawsplit(dir, {"-dv2", "a.r00"}, 11);
  EXPECT_TRUE(Has(fatal, "rawsplit:  records: 1"));
  EXPECT_EQ(fatal.back(), "rawsplit:  error  : Record error - STX not found");

  Lines fixed = Rawsplit(dir, {"-dfv3", "a.r00"}, 29);
  const unsigned garbage = kFirstRecord + 10;  // behind the 10-byte first record
  EXPECT_TRUE(Has(fixed, At("Attempting Fixup: %08X", garbage)));
  EXPECT_TRUE(Has(fixed, At("Start Search    : %08X", garbage)));
  EXPECT_TRUE(Has(fixed, At("Resync to Record: %08X", garbage + 7)));
  EXPECT_TRUE(Has(fixed, "Lost Bytes      : 7"));
  // The dump shows the 3 prefix bytes, then always 256 bytes, even where
  // the input ends sooner.
  EXPECT_TRUE(Has(fixed, "Next 256 Bytes:"));
  EXPECT_TRUE(Has(fixed, "[  4]: 02"));
  EXPECT_EQ(Count(fixed, "["), 3 + 256);
  EXPECT_TRUE(Has(fixed, "rawsplit:  records: 3"));
  EXPECT_TRUE(Has(fixed, "rawsplit:  total lost bytes: 7"));
  EXPECT_EQ(fixed.back(),
            "rawsplit:  error  : One or more errors encountered, but either ignored or skipped");
}

TEST(E2eRun, BadChecksumIsFatalUnlessIgnored) {
  TempDir dir;
  writers::R00File f;
  writers::Payload forty;
  forty.u8(0).zeros(33);  // 40-byte frame
  f.records = {writers::message_frame(0, "GOOD"), writers::frame_bad_checksum(16, forty.data()),
               writers::message_frame(0, "GOOD")};
  write_file(dir.file("a.r00"), f.bytes());
  EXPECT_TRUE(Has(Rawsplit(dir, {"-dv", "a.r00"}, 13), "rawsplit:  records: 1"));

  Lines ignored = Rawsplit(dir, {"-dcv", "a.r00"}, 29);
  EXPECT_TRUE(Has(ignored, "rawsplit:  records: 2"));
  EXPECT_TRUE(Has(ignored, "rawsplit:  checksum err count: 1"));
  EXPECT_TRUE(Has(ignored, "rawsplit:  total lost bytes: 40"));
}

TEST(E2eNames, OutputsFollowTheOutputArgument) {
  TempDir dir;
  write_file(dir.file("gs00233a.r00"), R00WithMessages(1));
  std::filesystem::create_directory(dir.file("new"));
  for (const char* out : {"new", "new/"}) {
    Lines lines = Rawsplit(dir, {"-dev", "gs00233a", out}, 0);
    EXPECT_TRUE(Has(lines, "rawsplit:  DAT: new/gs00233a.tg!")) << out;
    EXPECT_TRUE(Has(lines, "rawsplit:  EPH: new/gs00233a.eph")) << out;
  }
  EXPECT_TRUE(file_exists(dir.file("new/gs00233a.dat")));

  Lines named = Rawsplit(dir, {"-dev", "-sreport.txt", "gs00233a", "out.dat"}, 0);
  EXPECT_TRUE(Has(named, "rawsplit:  DAT: out.dat"));
  EXPECT_TRUE(Has(named, "rawsplit:  EPH: out.eph"));
  EXPECT_TRUE(Has(named, "rawsplit:  SUM: report.txt"));

  // No output name: beside the input; an input without records leaves no DAT.
  write_file(dir.file("empty.r00"), R00WithMessages(0));
  Rawsplit(dir, {"-d", "gs00233a"}, 0);
  Rawsplit(dir, {"-d", "empty"}, 0);
  EXPECT_TRUE(file_exists(dir.file("gs00233a.dat")));
  EXPECT_FALSE(file_exists(dir.file("gs00233a.tg!")));
  EXPECT_FALSE(file_exists(dir.file("empty.dat")));
  EXPECT_FALSE(file_exists(dir.file("empty.tg!")));
}

// -u1: the station comes from the data; the session from the output name
// (its characters 5 to 8), or from the first epoch for receiver types 29
// to 59: day of year 6 (week 0 starts on 6 January 1980) and hour 13, 006D.
TEST(E2eNames, StationRenameTakesItsNames) {
  TempDir dir;
  writers::R00File f;
  f.records = {writers::message_frame(3, "PILLAR7 north roof"), writers::message_frame(0, "T")};
  write_file(dir.file("station.r00"), f.bytes());
  std::filesystem::create_directory(dir.file("out"));
  Rawsplit(dir, {"-d", "-u1", "station", "out/gs00233a"}, 0);
  EXPECT_TRUE(file_exists(dir.file("out/PILLAR7233A.dat")));
  EXPECT_FALSE(file_exists(dir.file("out/gs00233a.dat")));

  f.receiver_type = 30;
  f.records[1] = writers::type17_part(13 * 3600 * 1000, 0, false, {writers::Type17Entry{}});
  write_file(dir.file("station.r00"), f.bytes());
  Rawsplit(dir, {"-d", "-u1", "station"}, 0);
  EXPECT_TRUE(file_exists(dir.file("PILLAR7006D.dat")));
}

TEST(E2eNames, MissingAndOverlongNamesAreRefused) {
  TempDir dir;
  write_file(dir.file("only.T04"), R00WithMessages(1));
  write_file(dir.file("a.r00"), R00WithMessages(1));
  EXPECT_TRUE(Rawsplit(dir, {"-dev", "only"}, 17).empty());
  EXPECT_EQ(Rawsplit(dir, {"-d", std::string(130, 'x')}, 17),
            Lines{"rawsplit:  error  : input name longer than 127 characters"});
  EXPECT_EQ(Rawsplit(dir, {"-d", "a", std::string(300, 'o')}, 3),
            Lines{"rawsplit:  error  : output name longer than 255 characters"});
  Rawsplit(dir, {"-d", "a", std::string(252, 'o')}, 3);  // no room for ".eph"
  EXPECT_EQ(Rawsplit(dir, {"-d", "-s" + std::string(256, 's'), "a"}, 20),
            Lines{"rawsplit:  error  : summary name longer than 255 characters"});
}

Bytes epoch17(uint32_t t) {
  writers::Type17Entry e;
  e.sv = 12;
  e.range = 128;
  return writers::type17_part(t, 0, false, {e});
}

TEST(E2eDat, DatFileOfAnR00Run) {
  testsupport::TempDir dir;
  writers::R00File f;
  f.records = {writers::message_frame(0, "AB"), epoch17(7000)};
  write_file(dir.file("run.r00"), f.bytes());
  ASSERT_EQ(testsupport::run_rawsplit(dir.path(), {"-d", "run.r00"}).status, 0);
  Bytes dat = testsupport::read_file(dir.file("run.dat"));
  ASSERT_EQ(dat.size(), testsupport::kDatStartBytes + 6 + 69);
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

TEST(E2eDat, OutOfSequenceEndsTheRunUnlessFixupIsGiven) {
  testsupport::TempDir dir;
  writers::R00File f;
  f.records = {epoch17(100000), epoch17(50000), epoch17(110000)};
  write_file(dir.file("seq.r00"), f.bytes());
  auto strict = testsupport::run_rawsplit(dir.path(), {"-dv", "seq.r00"});
  EXPECT_EQ(strict.status, d01ozu::kStatusOutOfSequence);
  EXPECT_NE(strict.output.find("records: 1"), std::string::npos);
  Bytes partial = testsupport::read_file(dir.file("seq.dat"));
  EXPECT_EQ(partial.size(), testsupport::kDatStartBytes + 2 * 69);  // the epoch was written
  auto fixed = testsupport::run_rawsplit(dir.path(), {"-dfv", "seq.r00"});
  EXPECT_EQ(fixed.status, d01ozu::kStatusErrorsTolerated);
  EXPECT_NE(fixed.output.find("records: 2"), std::string::npos);  // the flagged one not counted
  EXPECT_EQ(testsupport::read_file(dir.file("seq.dat")).size(),
            testsupport::kDatStartBytes + 3 * 69);
}

}  // namespace
