// The command line parser: flag groups, options, joined inputs, @file lists
// and the extra arguments of the configuration file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/arguments.h"
#include "testdata/frame_writer.h"
#include "tests/test_support.h"

namespace rawsplit {
namespace {

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

// The option fields that differ from their defaults, one word each.
std::string Changed(const ConversionContext& cx) {
  std::string out;
  auto word = [&out](bool changed, const std::string& w) {
    if (changed) out += (out.empty() ? "" : " ") + w;
  };
  auto num = [](long v) { return std::to_string(v); };
  word(cx.produce_dat, "d");
  word(cx.produce_eph, "e");
  word(cx.produce_ion, "i");
  word(cx.produce_summary, "s" + std::string(cx.summary_given ? "=" : "") + cx.summary_name);
  word(cx.verbose, "v" + num(cx.verbose));
  word(cx.quick_mode, "q" + num(cx.quick_mode));
  word(cx.record_filter, "k" + num(cx.record_filter));
  word(cx.serial_fix_mode, "n" + num(cx.serial_fix_mode));
  word(cx.mode_27_17 != 1, "o" + num(cx.mode_27_17));
  word(cx.type27_flag, "g");
  word(cx.l2_preference != 3, "l" + num(cx.l2_preference));
  word(cx.update_name_mode, "u" + num(cx.update_name_mode));
  word(cx.gps_week, "W" + num(cx.gps_week));
  word(cx.nav_version || cx.sig_version, "R" + num(cx.nav_version) + "," + num(cx.sig_version));
  word(cx.format != d01ozu::InputFormat::kUnknown, "t" + num(static_cast<int>(cx.format)));
  word(!cx.header_flag, "-h");
  word(!cx.eph_flag, "-e");
  word(!cx.ion_flag, "-i");
  return out;
}

TEST(ParseArguments, FlagLettersAndOptions) {
  // Cases end in ";": the arguments, "=>", the fields they change. -gd is -g
  // alone, -sd a summary named d, -ds no summary (s is no flag letter), and
  // in -qv2 the rest is the -q number.
  const std::string cases =
      "-dev -dev => d e v1; -dv3 => d v3; -v3 -v => v1; -gd => o0 g; -g -o => g; -o+ => o2;"
      "-sd => s=d; -ds => d; -s => s; -l2c => l1; -l2e+ => l2; -l2e => l0; -l2c+ => ;"
      "-l3c => ; -u1 => u1; -u2 => ; -n => n1; -n! => n2; -q => d q1; -q7 => d q7; -qv2 => ;"
      "-k => k4294967295; -k12 => k12; -R5,7 => R5,7; -R5.7 => R5,7; -R5 => R5,0;"
      "-W1234x => W1234; -xei => -e -i; -xh* => -h -e -i; -t.t01 => t3 -h -e; -t.R00 => t1;"
      "-tt01 => ;";
  std::istringstream in(cases);
  for (std::string c; std::getline(in, c, ';');) {
    std::istringstream words(c);
    std::vector<std::string> args;
    for (std::string w; words >> w && w != "=>";) args.push_back(w);
    EXPECT_EQ(Changed(*Parse(args).cx), c.substr(c.find("=> ") + 3)) << c;
  }
}

class InputArguments : public ::testing::Test {
 protected:
  void SetUp() override {
    writers::R00File r00;
    testsupport::write_file(dir.file("a.r00"), r00.bytes());
    testsupport::write_file(dir.file("b.r00"), r00.bytes());
    testsupport::write_file(dir.file("c.t01"), writers::Bytes(40, 0x55));
    testsupport::write_file(dir.file("d.r00"), {0, 0, 0, 0, 0xD1, 0x60, 0x42, 0x2E, 0xF8, 0xF9});
    testsupport::write_file(dir.file("e.dat"), {0, 0, 0, 0, 0x74, 0xBA, 0x79, 0x4B, 0xCF, 0x6B});
  }
  std::string At(const char* name) { return dir.file(name); }
  testsupport::TempDir dir;
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
  EXPECT_EQ(Changed(*p.cx), "t1 -h -e -i");

  auto missing = Parse({At("a") + "+" + At("nothing") + "+" + At("b"), "out"});
  EXPECT_EQ(missing.status, 17);
  EXPECT_EQ(missing.cx->inputs[2][0], '\0');
}

// The format and flags come from the content, whatever the extension says.
// -x and -t before a name are overwritten by its detection, after it they
// stay; the format of -t is kept either way.
TEST_F(InputArguments, FormatAndFlagsOfTheInput) {
  EXPECT_EQ(Changed(*Parse({At("d.r00")}).cx), "t5 -e -i");
  EXPECT_EQ(Changed(*Parse({At("e.dat")}).cx), "t4 -e -i");
  EXPECT_EQ(Changed(*Parse({At("a"), "-t.t01"}).cx), "t3 -h -e");
  EXPECT_EQ(Changed(*Parse({"-t.t01", At("a")}).cx), "t3");
  EXPECT_EQ(Changed(*Parse({At("a"), "-xe"}).cx), "t1 -e");
  EXPECT_EQ(Changed(*Parse({"-xe", At("a")}).cx), "t1");
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
  EXPECT_EQ(p.cx->ignore_checksum, 1);
  EXPECT_EQ(Changed(*p.cx), "d v1 t1");
  EXPECT_EQ(std::string(p.cx->inputs[0]), At("a.r00"));
  EXPECT_EQ(std::string(p.cx->output_name), At("b"));  // input given: becomes the output

  auto q = Parse({"-q", At("a")});  // extra arguments keep the defaults set before
  ReadExtraArguments(*q.cx);
  EXPECT_EQ(q.cx->quick_mode, 1);

  setenv("RAWSPLIT_CONFIG", At("no-such-conf").c_str(), 1);
  auto none = Parse({"-d", At("a")});
  EXPECT_EQ(ReadExtraArguments(*none.cx), 0);
  EXPECT_EQ(Changed(*none.cx), "d t1");
  unsetenv("RAWSPLIT_CONFIG");
}

}  // namespace
}  // namespace rawsplit
