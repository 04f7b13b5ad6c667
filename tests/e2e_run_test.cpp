// End-to-end runs of the built rawsplit on R00 inputs made by the writers:
// exit statuses, standard output lines, record counts and output names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "writers/frame_writer.h"
#include "writers/legacy_records.h"

namespace {

using testsupport::file_exists;
using testsupport::run_rawsplit;
using testsupport::TempDir;
using testsupport::write_file;
using writers::Bytes;

// Offset of the first record behind the header and the initial blocks.
constexpr unsigned kFirstRecord = 39 + 32 * 333 + 117;  // 0x2A3C

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int Count(const std::vector<std::string>& lines, const std::string& prefix) {
  int n = 0;
  for (const std::string& l : lines) n += l.compare(0, prefix.size(), prefix) == 0;
  return n;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// An R00 file whose records are message records of 12 bytes each.
Bytes R00WithMessages(int count) {
  writers::R00File f;
  for (int i = 0; i < count; ++i) f.records.push_back(writers::message_frame(0, "HELLO"));
  return f.bytes();
}

TEST(E2eUsage, ShortAndFullUsageTexts) {
  TempDir dir;
  auto short_run = run_rawsplit(dir.path(), {});
  EXPECT_EQ(short_run.status, 0);
  auto lines = Lines(short_run.output);
  ASSERT_EQ(lines.size(), 28u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1],
            "rawsplit - Utility to unpack Orvane R00\\T00\\T01\\T02 files, Version 6.04 ( d01ozu "
            "8.109 )");
  EXPECT_EQ(lines[3],
            "usage: rawsplit [-deimacfvq] [-sfile] [-x[ehi*]] [-tfmt] [-n[!]] [-u0|1] "
            "src[+s2+s3+..+sn] [@file] [out]");
  EXPECT_EQ(lines[4], " @file      file with list of files to be concatenated (one per line)");
  EXPECT_EQ(lines[19], " -g         use type 27 (if it exists) and allow extended type 17");
  EXPECT_EQ(lines[20], "");
  EXPECT_EQ(lines[23], "          rawsplit -deimv gs00233a c:\\new\\gs00233a");
  EXPECT_EQ(lines[27], "");

  auto full = run_rawsplit(dir.path(), {"-!!!", "-d", "missing"});
  EXPECT_EQ(full.status, 0);
  auto full_lines = Lines(full.output);
  ASSERT_EQ(full_lines.size(), 35u);
  EXPECT_EQ(full_lines[4], "                [-k[filter]] [-g] [-o[+]] [-RNav,Sig] [-Wweek]");
  EXPECT_EQ(full_lines[21], " -k[FILTER] remove new record types flags");
  EXPECT_EQ(full_lines[26], " -W         set GPS week to specified value");
  EXPECT_EQ(full_lines[27], "");
}

TEST(E2eRun, VerboseLevelsControlTraceAndProgress) {
  TempDir dir;
  Bytes data = R00WithMessages(3);
  Bytes cut = writers::message_frame(0, "CUT");
  data.insert(data.end(), cut.begin(), cut.begin() + 2);  // ends inside a record
  write_file(dir.file("gs00233a.r00"), data);

  auto quiet = run_rawsplit(dir.path(), {"-d", "gs00233a"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.output, "");

  auto v1 = run_rawsplit(dir.path(), {"-dv", "gs00233a"});
  EXPECT_EQ(v1.status, 0);
  EXPECT_EQ(v1.output,
            "rawsplit:  Version 6.04\n"
            "rawsplit:  D01Ozu: 8.109 \n"
            "rawsplit:  DAT: gs00233a.tg!\n"
            "rawsplit:  Input file: gs00233a.r00\n"
            "rawsplit:  records: 3\n"
            "rawsplit:  status : 0\n");

  auto v2 = Lines(run_rawsplit(dir.path(), {"-dv2", "gs00233a"}).output);
  EXPECT_EQ(Count(v2, "Record id:"), 3);
  EXPECT_TRUE(Has(v2, "Record id:  16   Position: 00002A3C"));
  EXPECT_TRUE(Has(v2, "Record id:  16   Position: 00002A54"));
  EXPECT_EQ(Count(v2, "Progress:"), 0);

  auto v3 = Lines(run_rawsplit(dir.path(), {"-dv3", "gs00233a"}).output);
  EXPECT_EQ(Count(v3, "Record id:"), 3);
  EXPECT_GE(Count(v3, "Progress:"), 3);
  EXPECT_EQ(Count(v3, "Progress: 0 %"), 1);
  EXPECT_EQ(v3[v3.size() - 3], "Progress: 100 %");
  EXPECT_FALSE(file_exists(dir.file("gs00233a.tg!")));
}

TEST(E2eRun, WithoutDatNoRecordIsRead) {
  TempDir dir;
  write_file(dir.file("a.r00"), R00WithMessages(4));
  auto r = run_rawsplit(dir.path(), {"-ev", "a.r00"});
  EXPECT_EQ(r.status, 0);
  auto lines = Lines(r.output);
  EXPECT_TRUE(Has(lines, "rawsplit:  EPH: a.eph"));
  EXPECT_TRUE(Has(lines, "rawsplit:  records: 0"));
  EXPECT_EQ(Count(lines, "rawsplit:  DAT:"), 0);
}

// Seven zero bytes between the first and second record.
Bytes R00WithGarbage() {
  writers::R00File f;
  f.records.push_back(writers::message_frame(0, "ONE"));
  f.records.push_back(Bytes(7, 0));
  f.records.push_back(writers::message_frame(0, "TWO"));
  f.records.push_back(writers::message_frame(0, "THREE"));
  return f.bytes();
}

TEST(E2eRun, MissingStxEndsTheRunWithoutFixup) {
  TempDir dir;
  write_file(dir.file("a.r00"), R00WithGarbage());
  auto r = run_rawsplit(dir.path(), {"-dv2", "a.r00"});
  EXPECT_EQ(r.status, 11);
  auto lines = Lines(r.output);
  EXPECT_TRUE(Has(lines, "rawsplit:  records: 1"));
  EXPECT_EQ(lines.back(), "rawsplit:  error  : Record error - STX not found");
}

TEST(E2eRun, FixupResynchronisesAndCountsLostBytes) {
  TempDir dir;
  write_file(dir.file("a.r00"), R00WithGarbage());
  auto r = run_rawsplit(dir.path(), {"-dfv3", "a.r00"});
  EXPECT_EQ(r.status, 29);
  auto lines = Lines(r.output);
  const unsigned garbage = kFirstRecord + 10;  // behind the 10-byte first record
  char expect[64];
  std::snprintf(expect, sizeof expect, "Attempting Fixup: %08X", garbage);
  EXPECT_TRUE(Has(lines, expect));
  std::snprintf(expect, sizeof expect, "Start Search    : %08X", garbage);
  EXPECT_TRUE(Has(lines, expect));
  std::snprintf(expect, sizeof expect, "Resync to Record: %08X", garbage + 7);
  EXPECT_TRUE(Has(lines, expect));
  EXPECT_TRUE(Has(lines, "Lost Bytes      : 7"));
  // The dump shows the 3 prefix bytes, then always 256 bytes, even where
  // the input ends sooner.
  EXPECT_TRUE(Has(lines, "Next 256 Bytes:"));
  EXPECT_TRUE(Has(lines, "[  4]: 02"));
  EXPECT_EQ(Count(lines, "["), 3 + 256);
  EXPECT_TRUE(Has(lines, "rawsplit:  records: 3"));
  EXPECT_TRUE(Has(lines, "rawsplit:  total lost bytes: 7"));
  EXPECT_EQ(lines.back(),
            "rawsplit:  error  : One or more errors encountered, but either ignored or skipped");
}

TEST(E2eRun, BadChecksumIsFatalUnlessIgnored) {
  TempDir dir;
  writers::R00File f;
  f.records.push_back(writers::message_frame(0, "GOOD"));
  writers::Payload forty;
  forty.u8(0).zeros(33);  // 40-byte frame
  f.records.push_back(writers::frame_bad_checksum(16, forty.data()));
  f.records.push_back(writers::message_frame(0, "GOOD"));
  write_file(dir.file("a.r00"), f.bytes());

  auto fatal = run_rawsplit(dir.path(), {"-dv", "a.r00"});
  EXPECT_EQ(fatal.status, 13);
  EXPECT_TRUE(Has(Lines(fatal.output), "rawsplit:  records: 1"));

  auto ignored = run_rawsplit(dir.path(), {"-dcv", "a.r00"});
  EXPECT_EQ(ignored.status, 29);
  auto lines = Lines(ignored.output);
  EXPECT_TRUE(Has(lines, "rawsplit:  records: 2"));
  EXPECT_TRUE(Has(lines, "rawsplit:  checksum err count: 1"));
  EXPECT_TRUE(Has(lines, "rawsplit:  total lost bytes: 40"));
}

TEST(E2eRun, JoinedInputsAreOneRun) {
  TempDir dir;
  write_file(dir.file("a.r00"), R00WithMessages(2));
  write_file(dir.file("b.r00"), R00WithMessages(3));

  auto joined = Lines(run_rawsplit(dir.path(), {"-dv", "a+b", "comb"}).output);
  EXPECT_TRUE(Has(joined, "rawsplit:  DAT: comb.tg!"));
  EXPECT_TRUE(Has(joined, "rawsplit:  Input file: a.r00"));
  EXPECT_TRUE(Has(joined, "rawsplit:  Input file: b.r00"));
  EXPECT_TRUE(Has(joined, "rawsplit:  records: 5"));
}

TEST(E2eNames, OutputNamesFollowTheOutputArgument) {
  TempDir dir;
  write_file(dir.file("gs00233a.r00"), R00WithMessages(1));
  write_file(dir.file("gs00233a.R00"), R00WithMessages(2));
  auto plain = Lines(run_rawsplit(dir.path(), {"-deiv", "gs00233a"}).output);
  EXPECT_TRUE(Has(plain, "rawsplit:  Input file: gs00233a.r00"));  // lower case first
  EXPECT_TRUE(Has(plain, "rawsplit:  ION: gs00233a.ion"));
  EXPECT_TRUE(file_exists(dir.file("gs00233a.eph")));

  std::filesystem::create_directory(dir.file("new"));
  for (const char* out : {"new", "new/"}) {
    auto lines = Lines(run_rawsplit(dir.path(), {"-dev", "gs00233a.r00", out}).output);
    EXPECT_TRUE(Has(lines, "rawsplit:  DAT: new/gs00233a.tg!")) << out;
    EXPECT_TRUE(Has(lines, "rawsplit:  EPH: new/gs00233a.eph")) << out;
  }
  EXPECT_TRUE(file_exists(dir.file("new/gs00233a.eph")));

  auto named =
      Lines(run_rawsplit(dir.path(), {"-dev", "-sreport.txt", "gs00233a", "out.dat"}).output);
  EXPECT_TRUE(Has(named, "rawsplit:  DAT: out.dat"));
  EXPECT_TRUE(Has(named, "rawsplit:  EPH: out.eph"));
  EXPECT_TRUE(Has(named, "rawsplit:  SUM: report.txt"));
  EXPECT_FALSE(file_exists(dir.file("gs00233a.tg!")));
}

TEST(E2eNames, DatFileGetsItsFinalName) {
  TempDir dir;
  write_file(dir.file("gs00233a.r00"), R00WithMessages(2));
  write_file(dir.file("empty.r00"), R00WithMessages(0));
  EXPECT_EQ(run_rawsplit(dir.path(), {"-d", "gs00233a"}).status, 0);
  EXPECT_TRUE(file_exists(dir.file("gs00233a.dat")));
  EXPECT_FALSE(file_exists(dir.file("gs00233a.tg!")));

  // No record reached the DAT file: nothing is left behind.
  EXPECT_EQ(run_rawsplit(dir.path(), {"-d", "empty"}).status, 0);
  EXPECT_FALSE(file_exists(dir.file("empty.dat")));
  EXPECT_FALSE(file_exists(dir.file("empty.tg!")));

  // -u1: station from the data, session from the output name, same directory.
  writers::R00File f;
  f.records.push_back(writers::message_frame(3, "PILLAR7 north roof"));
  f.records.push_back(writers::message_frame(0, "TEXT"));
  write_file(dir.file("station.r00"), f.bytes());
  std::filesystem::create_directory(dir.file("out"));
  EXPECT_EQ(run_rawsplit(dir.path(), {"-d", "-u1", "station", "out/gs00233a"}).status, 0);
  EXPECT_TRUE(file_exists(dir.file("out/PILLAR7233A.dat")));
  EXPECT_FALSE(file_exists(dir.file("out/gs00233a.dat")));
}

TEST(E2eNames, StationRenameTakesTheSessionNameFromTheData) {
  // Receiver types 29 to 59 name the session after the first epoch: day of
  // year 6 (week 0 starts on 6 January 1980) and hour 13 give 006D.
  TempDir dir;
  writers::R00File f;
  f.receiver_type = 30;
  f.records.push_back(writers::message_frame(3, "PILLAR7"));
  f.records.push_back(writers::type17_part(13 * 3600 * 1000, 0, false, {writers::Type17Entry{}}));
  write_file(dir.file("station.r00"), f.bytes());
  EXPECT_EQ(run_rawsplit(dir.path(), {"-d", "-u1", "station"}).status, 0);
  EXPECT_TRUE(file_exists(dir.file("PILLAR7006D.dat")));
}

TEST(E2eNames, MissingAndOverlongNamesAreRefused) {
  TempDir dir;
  write_file(dir.file("only.T04"), R00WithMessages(1));
  auto missing = run_rawsplit(dir.path(), {"-dev", "only"});
  EXPECT_EQ(missing.status, 17);
  EXPECT_EQ(missing.output, "");

  std::string long_input(130, 'x');
  auto input = run_rawsplit(dir.path(), {"-d", long_input});
  EXPECT_EQ(input.status, 17);
  EXPECT_EQ(input.output, "rawsplit:  error  : input name longer than 127 characters\n");

  write_file(dir.file("a.r00"), R00WithMessages(1));
  auto output = run_rawsplit(dir.path(), {"-d", "a", std::string(300, 'o')});
  EXPECT_EQ(output.status, 3);
  EXPECT_EQ(output.output, "rawsplit:  error  : output name longer than 255 characters\n");
  auto near_limit = run_rawsplit(dir.path(), {"-d", "a", std::string(252, 'o')});
  EXPECT_EQ(near_limit.status, 3);

  auto summary = run_rawsplit(dir.path(), {"-d", "-s" + std::string(256, 's'), "a"});
  EXPECT_EQ(summary.status, 20);
  EXPECT_EQ(summary.output, "rawsplit:  error  : summary name longer than 255 characters\n");
}

}  // namespace
