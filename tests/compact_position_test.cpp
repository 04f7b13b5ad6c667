// Compact position records: the same solutions written plain (types 11 and
// 29) and compact (54/55 and 56/57) give the same DAT file; delta records
// that cannot be expanded are refused.
#include <gtest/gtest.h>

#include "testdata/compact_positions.h"
#include "testdata/legacy_records.h"
#include "testdata/position_records.h"
#include "testdata/t0x_writers.h"
#include "tests/expand_harness.h"
#include "tests/test_support.h"

namespace {

using writers::Bytes;

// Type-11 solutions drifting slowly, with one jump that needs whole values.
std::vector<Bytes> type11_frames() {
  std::vector<Bytes> out;
  for (int i = 0; i < 6; ++i) {
    writers::PositionSolution s;
    s.head = {0x20000000 + 3 * i * i, -0x10000000 - 70000 * i, 5000 - i, i == 4 ? 0x7FFF0000 : i,
              -i * 300};
    s.sixth = static_cast<uint16_t>(100 + i);
    s.tail = {i, -i, 0x12345678};
    s.word = 345600000u + 1000u * i;
    s.fix_byte = 0x43;
    s.lists = {0, 1, 2, 7, 9, 12};
    s.refine = true;
    s.refine_a = 5;
    out.push_back(writers::position_solution(11, s));
  }
  return out;
}

std::vector<Bytes> type29_frames() {
  std::vector<Bytes> out;
  for (int i = 0; i < 5; ++i) {
    writers::Type29Solution s;
    s.h2 = 345600000u + 200u * i;
    s.b = {1, 0, 2, 0, 0x12, 5, 4, 3};
    s.p1 = (int64_t{45} << 40) + 1000 * i;
    s.p2 = -(int64_t{100} << 39) - (int64_t{1} << 36) * i * i;
    s.p3 = 250 * 4096 - 17 * i;
    s.q1 = i == 3 ? -1 : 1 << 26;
    s.items = {{3, 4, 1 << 28}};
    s.entries = {{3, 0, 2}, {11, 5, 2}, {4, 7, 0}};
    out.push_back(writers::type29_record(s));
  }
  return out;
}

// The full record of the first frame, then deltas of each next one.
std::vector<Bytes> compact_stream(const std::vector<Bytes>& frames) {
  std::vector<Bytes> out{writers::compact_position_full(frames[0])};
  for (size_t i = 1; i < frames.size(); ++i) {
    const Bytes& previous = frames[i >= 2 ? i - 2 : 0];
    out.push_back(writers::compact_position_delta(previous, frames[i - 1], frames[i]));
    EXPECT_FALSE(out.back().empty()) << i;
  }
  return out;
}

Bytes convert(const std::vector<Bytes>& records, const std::string& option) {
  testsupport::TempDir dir;
  std::vector<Bytes> stream{writers::t00_file_record()};
  stream.insert(stream.end(), records.begin(), records.end());
  testsupport::write_file(dir.file("c.t00"), writers::t00_stream(stream));
  const testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), {"-d", option, "c.t00"});
  EXPECT_EQ(r.status, 0) << r.output;
  return testsupport::read_file(dir.file("c.dat"));
}

TEST(CompactPosition, PlainAndCompactGiveTheSameDatFile) {
  for (const auto& frames : {type11_frames(), type29_frames()}) {
    const std::vector<Bytes> compact = compact_stream(frames);
    const Bytes plain_dat = convert(frames, "-o+");
    EXPECT_GT(plain_dat.size(), 500u);
    EXPECT_EQ(convert(compact, "-o+"), plain_dat) << int{frames[0][2]};
  }
}

// A delta before any full record, a byte count above a field's width, a
// record longer than its fields and fields beyond a header-only reference
// are refused (status 7); a refused record leaves the reference as it was.
TEST(CompactPosition, RefusedDeltaRecords) {
  const std::vector<Bytes> frames = type11_frames();
  const Bytes delta = writers::compact_position_delta(frames[0], frames[0], frames[1]);
  Bytes too_wide = delta;
  too_wide[4] = 0x50;  // 5 bytes for a 4-byte field
  Bytes too_long = delta;
  too_long.insert(too_long.end() - 3, 0);
  too_long[1] = static_cast<uint8_t>(too_long.size());
  writers::Type29Solution bare;
  bare.force_b1 = 117;
  const Bytes whole = writers::type29_record(bare);
  const Bytes header_only = writers::raw_frame(29, 0, Bytes(whole.begin() + 4, whole.begin() + 19));
  Bytes bare_delta = writers::compact_position_delta(frames[0], frames[0], frames[0]);
  bare_delta[2] = 57;  // nine zero nibbles: five control bytes either way

  auto c = d01ozu::CreateExpansionContext();
  EXPECT_EQ(expandtest::expand(*c, delta).status, d01ozu::kReaderRefused);
  EXPECT_EQ(expandtest::expand(*c, writers::compact_position_full(frames[0])).count, 82 + 6);
  for (const Bytes& bad : {too_wide, too_long})
    EXPECT_EQ(expandtest::expand(*c, bad).status, d01ozu::kReaderRefused);
  const expandtest::Expanded e = expandtest::expand(*c, delta);
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.legacy, 11);
  EXPECT_EQ(Bytes(c->work.data, c->work.data + c->work.length), frames[1]);
  EXPECT_EQ(expandtest::expand(*c, writers::compact_position_full(header_only)).count, 19);
  EXPECT_EQ(expandtest::expand(*c, bare_delta).status, d01ozu::kReaderRefused);
}

}  // namespace
