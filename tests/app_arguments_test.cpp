// The command line parser: flag groups, options, joined inputs, @file lists
// and the extra arguments of the configuration file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/arguments.h"
#include "tests/test_support.h"
#include "writers/frame_writer.h"

namespace rawsplit {
namespace {

using testsupport::TempDir;

struct Parsed {
  std::unique_ptr<ConversionContext> cx = std::make_unique<ConversionContext>();
  d01ozu::StatusCode status = 0;
};

Parsed Parse(std::vector<std::string> args) {
  Parsed p;
  std::vector<const char*> argv{"rawsplit"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  p.status = ParseArguments(*p.cx, static_cast<int>(argv.size()), argv.data(), true);
  return p;
}

TEST(ParseArguments, FlagGroupsAndOptionLetters) {
  auto dev = Parse({"-dev", "-dev"});
  EXPECT_EQ(dev.cx->produce_dat, 1);
  EXPECT_EQ(dev.cx->produce_eph, 1);
  EXPECT_EQ(dev.cx->verbose, 1);
  EXPECT_EQ(dev.cx->produce_ion, 0);
  EXPECT_EQ(Parse({"-dv3"}).cx->verbose, 3);

  auto gd = Parse({"-gd"});  // -g alone: its d is no flag letter
  EXPECT_EQ(gd.cx->produce_dat, 0);
  EXPECT_EQ(gd.cx->mode_27_17, 0);
  EXPECT_EQ(gd.cx->type27_flag, 1);

  auto sd = Parse({"-sd"});
  EXPECT_EQ(sd.cx->produce_dat, 0);
  EXPECT_STREQ(sd.cx->summary_name, "d");
  EXPECT_TRUE(sd.cx->summary_given);
  auto ds = Parse({"-ds"});
  EXPECT_EQ(ds.cx->produce_dat, 1);
  EXPECT_EQ(ds.cx->produce_summary, 0);
  auto s = Parse({"-s"});
  EXPECT_EQ(s.cx->produce_summary, 1);
  EXPECT_FALSE(s.cx->summary_given);
}

TEST(ParseArguments, OptionValues) {
  EXPECT_EQ(Parse({"-k"}).cx->record_filter, 0xFFFFFFFFu);
  EXPECT_EQ(Parse({"-k12"}).cx->record_filter, 12u);
  EXPECT_EQ(Parse({}).cx->l2_preference, 3);
  EXPECT_EQ(Parse({"-l2c+"}).cx->l2_preference, 3);
  EXPECT_EQ(Parse({"-l2e"}).cx->l2_preference, 0);
  EXPECT_EQ(Parse({"-l3c"}).cx->l2_preference, 3);
  for (const char* r : {"-R5,7", "-R5.7"}) {
    auto p = Parse({r});
    EXPECT_EQ(p.cx->nav_version, 5) << r;
    EXPECT_EQ(p.cx->sig_version, 7) << r;
  }
  EXPECT_EQ(Parse({"-R5"}).cx->sig_version, 0);
  EXPECT_EQ(Parse({"-u2"}).cx->update_name_mode, 0);
  EXPECT_EQ(Parse({"-W1234x"}).cx->gps_week, 1234);
  EXPECT_EQ(Parse({"-n!"}).cx->serial_fix_mode, 2);
  EXPECT_EQ(Parse({"-o+"}).cx->mode_27_17, 2);
  EXPECT_EQ(Parse({"-g", "-o"}).cx->mode_27_17, 1);

  auto q = Parse({"-q"});
  EXPECT_EQ(q.cx->quick_mode, 1);
  EXPECT_EQ(q.cx->produce_dat, 1);

  auto xe = Parse({"-xei"});
  EXPECT_EQ(xe.cx->eph_flag, 0);
  EXPECT_EQ(xe.cx->ion_flag, 0);
  EXPECT_EQ(xe.cx->header_flag, 1);
  auto xall = Parse({"-x*"});
  EXPECT_EQ(xall.cx->header_flag + xall.cx->eph_flag + xall.cx->ion_flag, 0);

  auto t01 = Parse({"-t.t01"});
  EXPECT_EQ(t01.cx->format, d01ozu::kFormatT01);
  EXPECT_EQ(t01.cx->header_flag, 0);
  EXPECT_EQ(t01.cx->eph_flag, 0);
  EXPECT_EQ(t01.cx->ion_flag, 1);
  EXPECT_EQ(Parse({"-tt01"}).cx->format, d01ozu::kFormatUnknown);
}

class InputArguments : public ::testing::Test {
 protected:
  void SetUp() override {
    writers::R00File r00;
    testsupport::write_file(dir.file("a.r00"), r00.bytes());
    testsupport::write_file(dir.file("b.r00"), r00.bytes());
    testsupport::write_file(dir.file("c.t01"), writers::Bytes(40, 0x55));
  }
  std::string At(const char* name) { return dir.file(name); }
  TempDir dir;
};

TEST_F(InputArguments, JoinedInputsThenOutputThenIgnored) {
  auto p = Parse({At("a") + "+" + At("b") + ",," + At("c.t01"), "out", "third"});
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(std::string(p.cx->inputs[0]), At("a.r00"));
  EXPECT_EQ(std::string(p.cx->inputs[1]), At("b.r00"));
  EXPECT_EQ(std::string(p.cx->inputs[2]), At("c.t01"));
  EXPECT_EQ(p.cx->inputs[3][0], '\0');
  EXPECT_STREQ(p.cx->output_name, "out");
  // The format comes from the first name; the flags from the last one (T01).
  EXPECT_EQ(p.cx->format, d01ozu::kFormatR00);
  EXPECT_EQ(p.cx->header_flag, 0);

  auto missing = Parse({At("a") + "+" + At("nothing") + "+" + At("b"), "out"});
  EXPECT_EQ(missing.status, 17);
  EXPECT_EQ(missing.cx->inputs[2][0], '\0');
}

TEST_F(InputArguments, FormatOptionAroundTheInputName) {
  auto after = Parse({At("a"), "-t.t01"});
  EXPECT_EQ(after.cx->format, d01ozu::kFormatT01);
  EXPECT_EQ(after.cx->header_flag, 0);
  auto before = Parse({"-t.t01", At("a")});
  EXPECT_EQ(before.cx->format, d01ozu::kFormatT01);
  EXPECT_EQ(before.cx->header_flag, 1);  // detection wins
  EXPECT_EQ(before.cx->eph_flag, 1);
}

TEST_F(InputArguments, ListFilesReplaceEarlierNames) {
  testsupport::write_text(At("list"), At("b") + "\n  \n" + At("missing") + "\n" + At("c.t01"));
  auto p = Parse({At("a") + "+" + At("a") + "+" + At("a"), "@" + At("list"), "out"});
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(std::string(p.cx->inputs[0]), At("b.r00"));
  EXPECT_EQ(std::string(p.cx->inputs[1]), At("c.t01"));
  EXPECT_EQ(std::string(p.cx->inputs[2]), At("a.r00"));  // beyond the list: kept
  EXPECT_STREQ(p.cx->output_name, "out");

  testsupport::write_text(At("bad"), At("a") + "\n" + At("missing") + "\n");
  EXPECT_EQ(Parse({"@" + At("bad")}).status, 17);
  auto unreadable = Parse({"@" + At("no-such-list")});
  EXPECT_EQ(unreadable.status, 0);
  EXPECT_FALSE(unreadable.cx->have_input);
}

TEST_F(InputArguments, ExtraArgumentsActAfterTheCommandLine) {
  testsupport::write_text(At("conf"), "Other=1\nUnpackCustomArgs=-v  -c\t" + At("b") + " extra\n");
  setenv("RAWSPLIT_CONFIG", At("conf").c_str(), 1);
  auto p = Parse({"-d", At("a")});
  EXPECT_EQ(ReadExtraArguments(*p.cx), 0);
  EXPECT_EQ(p.cx->verbose, 1);
  EXPECT_EQ(p.cx->ignore_checksum, 1);
  EXPECT_EQ(p.cx->produce_dat, 1);
  EXPECT_EQ(std::string(p.cx->inputs[0]), At("a.r00"));
  EXPECT_EQ(std::string(p.cx->output_name), At("b"));  // input given: becomes the output

  auto q = Parse({"-q", At("a")});  // extra arguments keep the defaults set before
  ReadExtraArguments(*q.cx);
  EXPECT_EQ(q.cx->quick_mode, 1);

  setenv("RAWSPLIT_CONFIG", At("no-such-conf").c_str(), 1);
  auto none = Parse({"-d", At("a")});
  EXPECT_EQ(ReadExtraArguments(*none.cx), 0);
  EXPECT_EQ(none.cx->verbose, 0);
  unsetenv("RAWSPLIT_CONFIG");
}

}  // namespace
}  // namespace rawsplit
