// Whole runs of the built rawsplit on T00, T01, T02 and T04 inputs made by
// the writers: the DAT file each form gives, the statuses of the run, the
// quick summary and the limit on errors at one input position.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testdata/block_container.h"
#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "testdata/t0x_writers.h"
#include "tests/test_support.h"

namespace {

using testsupport::file_exists;
using testsupport::run_rawsplit;
using testsupport::TempDir;
using testsupport::write_file;
using writers::append;
using writers::Bytes;

// Records that every form carries alike: the file record that opens a T00
// stream, the receiver identity, a week record and messages.
std::vector<Bytes> run_records(int messages) {
  writers::ReceiverIdentity id;
  id.serial_number = 4711;
  id.receiver_type = 29;
  id.serial_text = "5123K40017";
  id.nav_version = 412;
  std::vector<Bytes> out{writers::t00_file_record(), writers::receiver_identity_record(id),
                         writers::type12_record(writers::Type12Record{})};
  for (int i = 0; i < messages; ++i)
    out.push_back(writers::message_frame(0, "MSG" + std::to_string(i)));
  return out;
}

Bytes container(uint8_t kind, const std::vector<Bytes>& records, bool t04) {
  Bytes file = writers::container_header(9, 9, t04);
  // Two data blocks, so records also come from a second decoded block.
  const size_t half = records.size() / 2;
  append(file, writers::frames_block(kind, {records.begin(), records.begin() + half}));
  append(file, writers::frames_block(kind, {records.begin() + half, records.end()}));
  return file;
}

using Conversion = testsupport::DatRun;

Conversion convert(const std::string& name, const Bytes& input) {
  return testsupport::run_on_input(name, input, {"-d"});
}

// Every form gives the DAT file of the plain stream; the end symbols that
// follow every packet of the T01 stream leave the run clean.
TEST(T0xRun, EveryFormGivesTheSameDatFile) {
  const std::vector<Bytes> records = run_records(40);
  const Conversion t00 = convert("f.t00", writers::t00_stream(records));
  ASSERT_EQ(t00.status, 0) << t00.output;
  ASSERT_FALSE(t00.dat.empty());
  const Conversion t01 = convert("f.t01", writers::t01_stream(records, true));
  EXPECT_EQ(t01.status, 0);
  EXPECT_EQ(t01.dat, t00.dat);
  for (bool t04 : {false, true}) {
    const Conversion blocks = convert(t04 ? "f.t04" : "f.t02", container(8, records, t04));
    EXPECT_EQ(blocks.status, 0);
    EXPECT_EQ(blocks.dat, t00.dat);
  }
}

// A damaged block whose length takes in the next block: the search finds
// that block whole, and its record, delivered with status 18, is not
// converted; the run reads on and ends with "one or more errors" (29).
TEST(T0xRun, RecordFoundByTheResynchronisationIsNotConverted) {
  const std::vector<Bytes> records = run_records(6);
  const Conversion clean = convert("c.t02", container(4, records, false));
  ASSERT_EQ(clean.status, 0);
  const Bytes inside = writers::frames_block(4, {writers::message_frame(0, "GONE")});
  Bytes damaged = writers::frames_block(2, {writers::message_frame(0, "LOST")});
  for (size_t i = 12; i < damaged.size(); ++i) damaged[i] ^= 0xA5;
  damaged[3] = static_cast<uint8_t>(damaged[3] + inside.size());
  Bytes file = writers::container_header();
  append(file, damaged);
  append(file, inside);
  append(file, writers::frames_block(4, records));
  const Conversion run = convert("c.t02", file);
  EXPECT_EQ(run.status, 29) << run.output;
  EXPECT_EQ(run.dat, clean.dat);
}

// Records the legacy path ignores leave the run clean in every form: type 0,
// and type 34 at lengths whose low byte is below the shortest frame.
TEST(T0xRun, IgnoredRecordsOfAnyLengthLeaveTheRunClean) {
  const std::vector<Bytes> records = run_records(4);
  std::vector<Bytes> with_ignored = records;
  for (size_t length : {256, 261, 512, 5120})
    with_ignored.push_back(writers::raw_frame(34, 0, writers::Payload().zeros(length - 7)));
  with_ignored.push_back(writers::raw_frame(0, 0, writers::Payload().zeros(5)));
  const Conversion clean = convert("i.t00", writers::t00_stream(records));
  ASSERT_EQ(clean.status, 0) << clean.output;
  const Conversion t00 = convert("i.t00", writers::t00_stream(with_ignored));
  EXPECT_EQ(t00.status, 0) << t00.output;
  EXPECT_EQ(t00.dat, clean.dat);
  const Conversion zlib = convert("i.t02", container(2, with_ignored, false));
  EXPECT_EQ(zlib.status, 0) << zlib.output;
  EXPECT_EQ(zlib.dat, clean.dat);
}

// Reader errors are tolerated, a full disk is not: reading stops at the
// first failed DAT write (after the first 64 KiB) and the run ends with 15.
TEST(T0xRun, FullDiskEndsTheRun) {
  TempDir dir;
  write_file(dir.file("d.t01"), writers::t01_stream(run_records(12000)));
  testsupport::RunResult r = run_rawsplit(dir.path(), {"-dv", "d.t01"}, {}, 4096);
  EXPECT_EQ(r.status, 15) << r.output;
  const size_t at = r.output.find("records: ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_LT(std::stoi(r.output.substr(at + 9)), 12003);
}

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
  write_file(dir.file("a.t01"), T01File());
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
    write_file(dir.file("r.t02"), file);
    auto r = run_rawsplit(dir.path(), {"-d", "r.t02"});
    EXPECT_EQ(r.status, bad == 11 ? 29 : 30) << bad;
  }
}

}  // namespace
