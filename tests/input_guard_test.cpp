// Outputs never replace an input: every output name of the run, under any
// spelling or link, is compared with the inputs before anything is opened,
// and the -u1 rename keeps away from the inputs too.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/file_identity.h"
#include "testdata/frame_writer.h"
#include "tests/test_support.h"

namespace {

using testsupport::file_exists;
using testsupport::read_file;
using testsupport::TempDir;
using testsupport::write_file;
using writers::Bytes;

Bytes StationLog() {
  writers::R00File f;
  f.records = {writers::message_frame(3, "PILLAR7 north roof"), writers::message_frame(0, "T")};
  return f.bytes();
}

// Names of files that do not exist compare by their normalised paths.
TEST(FileIdentity, NormalisedPathsOfNamesWithoutFiles) {
  const std::string cwd = std::filesystem::current_path().string();
  const struct {
    const char* path;
    std::string normalised;
  } cases[] = {
      {"/a/b/c", "/a/b/c"}, {"/a//b/./c/", "/a/b/c"}, {"/a/b/../c", "/a/c"},    {"/../a", "/a"},
      {"/", "/"},           {"x/y", cwd + "/x/y"},    {"./x/../y", cwd + "/y"},
  };
  for (const auto& c : cases) EXPECT_EQ(d01ozu::NormalisedPath(c.path), c.normalised) << c.path;
  EXPECT_TRUE(d01ozu::SameFile("/no/such/dir/f.dat", "/no/such/./dir/x/../f.dat"));
  EXPECT_FALSE(d01ozu::SameFile("/no/such/dir/f.dat", "/no/such/dir/f.DAT"));
}

struct ClashCase {
  const char* input;  // written with the log, then given as the first argument
  std::vector<std::string> args;
  int status;          // the creation failure of the clashing output
  const char* output;  // the clashing output, as the failure line names it
};

TEST(InputGuard, OutputsThatNameAnInputAreRefusedUntouched) {
  TempDir dir;
  const Bytes log = StationLog();
  std::filesystem::create_directory(dir.file("sub"));
  const ClashCase cases[] = {
      {"in.r00", {"-d", "in.r00", "in.r00"}, 3, "in.r00"},
      {"in.r00", {"-d", "in.r00", "./in.r00"}, 3, "./in.r00"},
      {"in.r00", {"-d", "in.r00", "sub/../in.r00"}, 3, "sub/../in.r00"},
      {"in.r00", {"-d", "in.r00", dir.file("in.r00")}, 3, nullptr},
      {"in.r00", {"-d", "in.r00", "link"}, 3, "link.dat"},   // symbolic link
      {"in.r00", {"-de", "in.r00", "hard"}, 5, "hard.eph"},  // hard link
      {"x.dat", {"-d", "x.dat"}, 3, "x.dat"},                // the final DAT name
      {"x.tgd", {"-d", "x.tgd"}, 3, "x.tgd"},
      {"x.ion", {"-di", "x.ion"}, 7, "x.ion"},
      {"x.mes", {"-dm", "x.mes"}, 9, "x.mes"},
      {"x.cfg", {"-da", "x.cfg"}, 24, "x.cfg"},
      {"x.txt", {"-d", "-s", "x.txt"}, 20, "x.txt"},
      {"in.r00", {"-d", "-sin.r00", "in.r00"}, 20, "in.r00"},
      {"in.r00", {"-d", "a.r00+in.r00", "in.r00"}, 3, "in.r00"},  // a later joined input
  };
  write_file(dir.file("a.r00"), log);
  for (const ClashCase& c : cases) {
    std::filesystem::remove(dir.file("link.dat"));
    std::filesystem::remove(dir.file("hard.eph"));
    write_file(dir.file(c.input), log);
    ASSERT_EQ(::symlink("in.r00", dir.file("link.dat").c_str()), 0);
    ASSERT_EQ(::link(dir.file("in.r00").c_str(), dir.file("hard.eph").c_str()), 0);
    testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), c.args);
    std::string what = c.args[0] + " " + c.args[1] + " " + c.args.back();
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_EQ(read_file(dir.file(c.input)), log) << what;
    EXPECT_EQ(r.output, "") << what;
    if (c.output) {
      EXPECT_NE(r.error.find(std::string("): ") + c.output + " would replace the input "),
                std::string::npos)
          << what << "\n"
          << r.error;
    }
    for (const char* left : {"in.tg!", "x.tg!", "in.eph", "a.tg!"})
      EXPECT_FALSE(file_exists(dir.file(left))) << what << " " << left;
  }
}

TEST(InputGuard, VerboseTwoNamesBothOnStandardOutput) {
  TempDir dir;
  write_file(dir.file("in.r00"), StationLog());
  testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), {"-d", "-v2", "in", "in.r00"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.output, "rawsplit:  error  : output in.r00 would replace the input in.r00\n");
}

// The -u1 name (station PILLAR7, session 233A from the output name) is an
// input here: the DAT file keeps the output name instead.
TEST(InputGuard, StationRenameNeverReplacesAnInput) {
  TempDir dir;
  const Bytes log = StationLog();
  for (const char* input : {"PILLAR7233A.dat", "PILLAR7233A.tg!"}) {
    write_file(dir.file(input), log);
    EXPECT_EQ(testsupport::run_rawsplit(dir.path(), {"-d", "-u1", input, "gs00233a"}).status, 0);
    EXPECT_EQ(read_file(dir.file(input)), log) << input;
    EXPECT_TRUE(file_exists(dir.file("gs00233a.dat"))) << input;
    std::filesystem::remove(dir.file(input));
    std::filesystem::remove(dir.file("gs00233a.dat"));
  }
}

}  // namespace
