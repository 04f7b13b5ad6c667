// What a failed run says on standard error, and the information requests:
// standard output stays as it was for every run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testdata/frame_writer.h"
#include "tests/test_support.h"

namespace {

using testsupport::TempDir;
using testsupport::write_file;

struct FailureCase {
  std::vector<std::string> args;
  int status;
  const char* error;  // the whole of standard error
};

TEST(FailureReport, OneLineOnStandardErrorWhenStandardOutputSaysNothing) {
  TempDir dir;
  writers::R00File good;
  good.records = {writers::message_frame(0, "GOOD")};
  write_file(dir.file("good.r00"), good.bytes());
  writers::R00File bad = good;
  writers::Payload forty;
  forty.u8(0).zeros(33);
  bad.records.push_back(writers::frame_bad_checksum(16, forty.data()));
  write_file(dir.file("bad.r00"), bad.bytes());
  write_file(dir.file("text.r00"), {'n', 'o', 't', ' ', 'a', ' ', 'l', 'o', 'g', '\n'});

  const FailureCase cases[] = {
      {{"-d", "nosuch"},
       17,
       "rawsplit: Unable to locate/open source R00/T00 file (status 17): nosuch\n"},
      // Before the conversion nothing on standard output says it, even at -v2.
      {{"-dv2", "good+nosuch"},
       17,
       "rawsplit: Unable to locate/open source R00/T00 file (status 17): nosuch\n"},
      {{"-d", "bad"}, 13, "rawsplit: Record error - bad checksum (status 13): bad.r00\n"},
      {{"-d", "good+bad"}, 13, "rawsplit: Record error - bad checksum (status 13): bad.r00\n"},
      {{"-dv", "bad"}, 13, "rawsplit: Record error - bad checksum (status 13): bad.r00\n"},
      {{"-dv2", "bad"}, 13, ""},  // the error line on standard output says it
      {{"-dc", "bad"}, 29, ""},
      {{"-d", "good"}, 0, ""},
      {{"-da", "good"},
       27,
       "rawsplit: Application CFG file could not be built, no information (status 27): "
       "good.cfg\n"},
      {{"-d", "-t.r00", "text"},
       11,
       "rawsplit: Record error - STX not found (status 11): text.r00\n"},
      {{"-d", "good", "nodir/out"},
       3,
       "rawsplit: Unable to open DAT file (status 3): nodir/out.tg!\n"},
      {{"-d", "-snodir/s.txt", "good"},
       20,
       "rawsplit: Unable to open summary TXT file (status 20): nodir/s.txt\n"},
  };
  for (const FailureCase& c : cases) {
    testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), c.args);
    EXPECT_EQ(r.status, c.status) << c.args[0] << " " << c.args.back();
    EXPECT_EQ(r.error, c.error) << c.args[0] << " " << c.args.back();
  }
}

TEST(FailureReport, HelpAndVersionAnswerAndExitZero) {
  TempDir dir;
  testsupport::RunResult version = testsupport::run_rawsplit(dir.path(), {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output, "rawsplit 6.04 (d01ozu 8.109)\n");
  testsupport::RunResult help = testsupport::run_rawsplit(dir.path(), {"--help"});
  testsupport::RunResult full = testsupport::run_rawsplit(dir.path(), {"-!!!"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output, full.output);
  EXPECT_NE(help.output.find(" -W         set GPS week"), std::string::npos);
  // The request ends the command line wherever it stands.
  EXPECT_EQ(testsupport::run_rawsplit(dir.path(), {"-d", "nosuch", "--version"}).status, 0);
  EXPECT_EQ(help.error + version.error, "");
}

}  // namespace
