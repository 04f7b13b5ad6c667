// End-to-end runs on container inputs: the quick summary of a T01 stream and
// the limit on errors at one input position.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testdata/block_container.h"
#include "testdata/frame_writer.h"
#include "testdata/session_records.h"
#include "testdata/t0x_writers.h"
#include "tests/test_support.h"

namespace {

using testsupport::file_exists;
using testsupport::run_rawsplit;
using testsupport::TempDir;
using writers::Bytes;

// A T01 stream: the receiver identity (which makes the quick summary) and two messages.
Bytes T01File() {
  writers::ReceiverIdentity id;
  id.serial_number = 4422100;
  id.receiver_type = 5;
  id.serial_text = "0224422100";
  id.nav_version = 310;
  return writers::t01_stream({writers::receiver_identity_record(id),
                              writers::message_frame(0, "ONE"), writers::message_frame(0, "TWO")});
}

TEST(E2eContainer, QuickSummaryStopsTheRunAndLeavesNoDat) {
  TempDir dir;
  testsupport::write_file(dir.file("a.t01"), T01File());
  auto r = run_rawsplit(dir.path(), {"-q", "-v2", "a"});
  EXPECT_EQ(r.status, 32);
  const std::vector<std::string> lines = testsupport::lines_of(r.output);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "sn:0224422100;fw:3.10;rx:5"), lines.end());
  EXPECT_EQ(lines.back(), "rawsplit:  error  : Unknown error [32]");
  EXPECT_FALSE(file_exists(dir.file("a.tg!")));
  EXPECT_FALSE(file_exists(dir.file("a.dat")));
}

// Records of one decoded block are all read at the same input position: the
// twelfth error there ends the reading with that error (30), eleven are
// tolerated.
TEST(E2eContainer, TwelveErrorsAtOnePositionEndTheRun) {
  TempDir dir;
  for (int bad : {11, 12}) {
    std::vector<Bytes> records{writers::message_frame(0, "FIRST")};
    for (int i = 0; i < bad; ++i) records.push_back(writers::frame_bad_checksum(16, Bytes{0, 'X'}));
    records.push_back(writers::message_frame(0, "LAST"));
    Bytes file = writers::container_header();
    writers::append(file, writers::frames_block(4, records));
    testsupport::write_file(dir.file("r.t02"), file);
    auto r = run_rawsplit(dir.path(), {"-d", "r.t02"});
    EXPECT_EQ(r.status, bad == 11 ? 29 : 30) << bad;
  }
}

}  // namespace
