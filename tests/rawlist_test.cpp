// The record lister on damaged logs of each form: one line per record, the
// problem and the search with the bytes they passed over, and the tally.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testdata/block_container.h"
#include "testdata/frame_writer.h"
#include "testdata/t0x_writers.h"
#include "tests/test_support.h"

namespace {

using testsupport::TempDir;
using writers::Bytes;

struct Listing {
  int status = -1;
  std::vector<std::string> lines;
};

Listing List(const std::string& path, const std::string& flags = "") {
  Listing out;
  const std::string command = std::string(RAWLIST_BINARY) + " " + flags + " " + path;
  std::FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  std::string text;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
  const int w = pclose(p);
  out.status = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
  out.lines = testsupport::lines_of(text);
  return out;
}

std::vector<Bytes> Messages(int n) {
  std::vector<Bytes> out;
  for (int i = 0; i < n; ++i) out.push_back(writers::message_frame(0, "MSG" + std::to_string(i)));
  return out;
}

// The lines that are not records.
std::vector<std::string> Events(const Listing& l) {
  std::vector<std::string> out;
  for (const std::string& line : l.lines)
    if (line.find("  raw ") == std::string::npos && line.rfind("  type", 0) != 0)
      out.push_back(line);
  return out;
}

TEST(Rawlist, DamagedR00ListsTheProblemAndTheSearch) {
  TempDir dir;
  writers::R00File f;
  f.records = Messages(4);
  Bytes file = f.bytes();
  size_t first = file.size();  // after the header and the initial blocks
  for (const Bytes& r : f.records) first -= r.size();
  const size_t second = first + f.records[0].size();
  file[second + 5] ^= 0x40;
  testsupport::write_file(dir.file("d.r00"), file);
  const Listing l = List(dir.file("d.r00"));
  EXPECT_EQ(l.status, 29);
  const size_t lost = f.records[1].size();
  EXPECT_EQ(Events(l),
            (std::vector<std::string>{
                "     " + std::to_string(second) + "  problem: Record error - bad checksum (13)",
                "     " + std::to_string(second) + "  search: next record at " +
                    std::to_string(second + lost) + ", " + std::to_string(lost) + " bytes skipped",
                "records 2, problems 1, bytes skipped " + std::to_string(lost) +
                    ", status 29 (One or more errors encountered, but either "
                    "ignored or skipped)"}));
  EXPECT_EQ(l.lines[0], "     " + std::to_string(first) +
                            "  R00  raw  16  legacy  16  length    11  time            -  "
                            "checksum ok");
}

// Packet streams and blocks: the reader's detail code names the damage.
TEST(Rawlist, DamagedContainersNameTheReaderDetail) {
  TempDir dir;
  Bytes stream = writers::t00_stream(Messages(3));
  stream[stream.size() - 3] ^= 0x01;  // the checksum of the last record
  Bytes blocks = writers::container_header();
  writers::append(blocks, writers::frames_block(2, Messages(2)));
  Bytes broken = writers::frames_block(2, Messages(2));
  broken[broken.size() - 2] ^= 0xFF;  // inside the zlib stream
  writers::append(blocks, broken);
  const struct {
    std::string name;
    Bytes file;
    std::string problem;
    int records;
  } cases[] = {
      {"s.t00", stream,
       "problem: Error encountered while expanding measurement records (30), detail 2", 2},
      {"b.t02", blocks,
       "problem: Error encountered while expanding measurement records (30), detail 10", 2}};
  for (const auto& c : cases) {
    testsupport::write_file(dir.file(c.name), c.file);
    const Listing l = List(dir.file(c.name));
    EXPECT_EQ(l.status, 29) << c.name;
    const std::vector<std::string> events = Events(l);
    ASSERT_EQ(events.size(), 2u) << c.name;
    EXPECT_NE(events[0].find(c.problem), std::string::npos) << events[0];
    EXPECT_EQ(events[1].rfind("records " + std::to_string(c.records) + ", problems 1,", 0), 0u)
        << events[1];
    const Listing json = List(dir.file(c.name), "--json");
    EXPECT_EQ(json.lines.back().rfind("{\"records\":" + std::to_string(c.records), 0), 0u);
  }
}

// Bytes that are no log at all are read to their end without a crash.
TEST(Rawlist, TextIsReadWithoutCrash) {
  TempDir dir;
  testsupport::write_text(dir.file("notes.txt"), "not a receiver log\n");
  const Listing l = List(dir.file("notes.txt"));
  EXPECT_GE(l.status, 0);
  ASSERT_FALSE(l.lines.empty());
  EXPECT_EQ(l.lines.back().rfind("records 0,", 0), 0u) << l.lines.back();
}

}  // namespace
