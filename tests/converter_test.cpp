// The public converter: the same input by path, in memory and through a read
// callback; the events of a damaged run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d01ozu/d01ozu.h"
#include "testdata/frame_writer.h"
#include "tests/test_support.h"

namespace {

using testsupport::Bytes;
using testsupport::TempDir;

// What the events of one run said, in order.
struct Log {
  std::vector<std::string> lines;
};

Log& LogOf(void* user) {
  return *static_cast<Log*>(user);
}

d01ozu::Events LoggingEvents(Log& log) {
  d01ozu::Events e;
  e.user = &log;
  e.record = [](void* u, const d01ozu::RecordEvent& r) {
    if (r.delivered)
      LogOf(u).lines.push_back("record " + std::to_string(r.raw_type) + " at " +
                               std::to_string(r.offset) + " length " + std::to_string(r.length));
  };
  e.problem = [](void* u, const d01ozu::ProblemEvent& p) {
    LogOf(u).lines.push_back("problem " + std::to_string(static_cast<int>(p.status)) + " at " +
                             std::to_string(p.position));
  };
  e.resync = [](void* u, const d01ozu::ResyncEvent& r) {
    LogOf(u).lines.push_back("resync from " + std::to_string(r.search_start) + " to " +
                             std::to_string(r.found_at) + " lost " + std::to_string(r.lost_bytes));
  };
  return e;
}

enum class Feed { kPath, kBytes, kReader };

struct Outcome {
  d01ozu::Status status;
  Bytes dat;
  Log log;
};

// Converts input into a DAT file in dir, fed the way feed says.
Outcome Convert(const TempDir& dir, const Bytes& input, Feed feed, bool fixup = false) {
  testsupport::write_file(dir.file("in.r00"), input);
  d01ozu::Options o;
  o.dat_path = dir.file("out.tg!");
  o.dat_extension = ".tg!";
  o.fixup = fixup;
  o.format = d01ozu::InputFormat::kR00;
  Outcome out;
  auto converter = d01ozu::Converter::Create(o, LoggingEvents(out.log));
  d01ozu::Status added = d01ozu::Status::kOk;
  if (feed == Feed::kPath) added = converter->AddInputFile(dir.file("in.r00").c_str());
  if (feed == Feed::kBytes) added = converter->AddInputBytes(input.data(), input.size());
  if (feed == Feed::kReader) {
    auto read = [](void* user, uint64_t offset, uint8_t* dest, size_t size) -> size_t {
      const Bytes& b = *static_cast<const Bytes*>(user);
      size_t n = offset < b.size() ? std::min(size, b.size() - static_cast<size_t>(offset)) : 0;
      std::copy(b.begin() + static_cast<long>(offset), b.begin() + static_cast<long>(offset + n),
                dest);
      return n;
    };
    added = converter->AddInputReader(read, const_cast<Bytes*>(&input), input.size());
  }
  EXPECT_EQ(added, d01ozu::Status::kOk);
  out.status = converter->Run();
  out.dat = testsupport::read_file(dir.file("out.dat"));
  return out;
}

Bytes DamagedR00() {
  writers::R00File f;
  for (int i = 0; i < 6; ++i)
    f.records.push_back(writers::message_frame(0, "REC" + std::to_string(i)));
  Bytes file = f.bytes();
  file[file.size() - 20] ^= 0xFF;  // inside the last record but one
  return file;
}

TEST(Converter, EveryWayOfFeedingGivesTheSameRunAndEvents) {
  TempDir dir;
  const Bytes input = DamagedR00();
  const Outcome by_path = Convert(dir, input, Feed::kPath, true);
  EXPECT_EQ(by_path.status, d01ozu::Status::kErrorsTolerated);
  ASSERT_FALSE(by_path.dat.empty());
  for (Feed feed : {Feed::kBytes, Feed::kReader}) {
    const Outcome other = Convert(dir, input, feed, true);
    EXPECT_EQ(other.status, by_path.status);
    EXPECT_EQ(other.dat, by_path.dat);
    EXPECT_EQ(other.log.lines, by_path.log.lines);
  }
}

// The damaged record is reported with its position, then the search that
// found the next record and the bytes it passed over.
TEST(Converter, DamageIsReportedAsAProblemAndASearch) {
  TempDir dir;
  const Outcome run = Convert(dir, DamagedR00(), Feed::kBytes, true);
  std::vector<std::string> problems;
  for (const std::string& line : run.log.lines)
    if (line.rfind("record", 0) != 0) problems.push_back(line);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].substr(0, 11), "problem 13 ");
  const std::string at = problems[0].substr(problems[0].find(" at ") + 4);
  EXPECT_EQ(problems[1].rfind("resync from " + at + " to ", 0), 0u) << problems[1];
  // Without the search the same damage ends the run.
  EXPECT_EQ(Convert(dir, DamagedR00(), Feed::kBytes, false).status, d01ozu::Status::kBadChecksum);
  EXPECT_EQ(d01ozu::StatusText(static_cast<d01ozu::Status>(22)), nullptr);
}

}  // namespace
