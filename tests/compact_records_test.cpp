// Compact records through the dispatcher: patches of types 25 and 40 and
// compact positions that cannot be expanded are refused and leave their
// references; the second satellite group keeps references of its own. (The
// DAT records of sound compact records: the whole-run table.)
#include <gtest/gtest.h>

#include "testdata/compact_encoder.h"
#include "testdata/compact_patches.h"
#include "testdata/compact_positions.h"
#include "testdata/legacy_records.h"
#include "testdata/position_records.h"
#include "testdata/t0x_writers.h"
#include "tests/expand_harness.h"
#include "tests/test_support.h"

namespace {

using writers::Bytes;
using writers::Payload;

Bytes type25(uint32_t t, uint8_t changing) {
  return writers::raw_record(
      25, 0, Payload().be32(t).be16(0x0506).u8(7).zeros(20).u8(changing).zeros(7).data());
}

Bytes type40(uint8_t b) {
  return writers::raw_frame(40, 1, Payload().be32(0x01020304).u8(1).zeros(5).u8(b));
}

// A delta before its reference, a sub-code without one, a patch outside the
// payload, a record with bytes beyond its fields and a type 41 before any
// type 40 are refused (status 7), leaving the references as they were.
TEST(CompactPatch, RefusedRecords) {
  const Bytes first = type25(1000, 0), second = type25(2000, 1);
  const Bytes delta = writers::compact_type25_delta(first, first, second, true);
  Bytes other_sub_code = writers::compact_type25_full(first);
  other_sub_code[3] = 3;
  Bytes outside = writers::compact_type25_delta(first, first, second, false);
  outside[5] = static_cast<uint8_t>(first.size() - 3);  // the first patch's offset
  Bytes trailing = delta;
  trailing.insert(trailing.end() - 3, 0);
  trailing[1] = static_cast<uint8_t>(trailing.size());
  auto c = d01ozu::CreateExpansionContext();
  EXPECT_EQ(expandtest::expand(*c, delta).status, d01ozu::kReaderRefused);
  EXPECT_EQ(expandtest::expand(*c, other_sub_code).status, d01ozu::kReaderRefused);
  EXPECT_EQ(expandtest::expand(*c, writers::compact_type25_full(first)).count, first.size() - 3);
  for (const Bytes& bad : {outside, trailing})
    EXPECT_EQ(expandtest::expand(*c, bad).status, d01ozu::kReaderRefused);
  const expandtest::Expanded e = expandtest::expand(*c, delta);
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.legacy, 25);
  EXPECT_EQ(Bytes(c->work.data, c->work.data + c->work.length), second);
  EXPECT_EQ(expandtest::expand(*c, writers::compact_type40_patch(type40(2), type40(3))).status,
            d01ozu::kReaderRefused);
}

// A delta before any full record, a byte count above a field's width, a
// record longer than its fields and fields beyond a header-only reference
// are refused (status 7); a refused record leaves the reference as it was.
TEST(CompactPosition, RefusedDeltaRecords) {
  writers::PositionSolution s;
  s.head = {0x20000000, -0x10000000, 5000, 0, 0};
  s.lists = {0, 1, 2, 7, 9, 12};
  const Bytes frame0 = writers::position_solution(11, s);
  s.head[1] -= 70000;
  const Bytes frame1 = writers::position_solution(11, s);
  const Bytes delta = writers::compact_position_delta(frame0, frame0, frame1);
  Bytes too_wide = delta;
  too_wide[4] = 0x50;  // 5 bytes for a 4-byte field
  Bytes too_long = delta;
  too_long.insert(too_long.end() - 3, 0);
  too_long[1] = static_cast<uint8_t>(too_long.size());
  writers::Type29Solution bare;
  bare.force_b1 = 117;
  const Bytes whole = writers::type29_record(bare);
  const Bytes header_only = writers::raw_frame(29, 0, Bytes(whole.begin() + 4, whole.begin() + 19));
  Bytes bare_delta = writers::compact_position_delta(frame0, frame0, frame0);
  bare_delta[2] = 57;  // nine zero nibbles: five control bytes either way

  auto c = d01ozu::CreateExpansionContext();
  EXPECT_EQ(expandtest::expand(*c, delta).status, d01ozu::kReaderRefused);
  EXPECT_EQ(expandtest::expand(*c, writers::compact_position_full(frame0)).count, 82 + 6);
  for (const Bytes& bad : {too_wide, too_long})
    EXPECT_EQ(expandtest::expand(*c, bad).status, d01ozu::kReaderRefused);
  const expandtest::Expanded e = expandtest::expand(*c, delta);
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.legacy, 11);
  EXPECT_EQ(Bytes(c->work.data, c->work.data + c->work.length), frame1);
  EXPECT_EQ(expandtest::expand(*c, writers::compact_position_full(header_only)).count, 19);
  EXPECT_EQ(expandtest::expand(*c, bare_delta).status, d01ozu::kReaderRefused);
}

// Epochs of the second group (68, 69) interleaved with those of the first
// (66, 67) and past a second file record, which blanks the first group's
// references only, give the DAT file of their type-17 frames.
TEST(SecondGroupEpochs, EachGroupExpandsAgainstItsOwnReferences) {
  writers::CompactEncoder first(116), second(116);
  std::vector<Bytes> plain{writers::t00_file_record()}, compact{writers::t00_file_record()};
  for (uint32_t n = 0; n < 6; ++n) {
    const Bytes a = writers::moving_type17_epoch(60000 + 1000 * n, 3, 3, n);
    const Bytes b = writers::moving_type17_epoch(60500 + 1000 * n, 40, 6, n);
    plain.push_back(a);
    plain.push_back(b);
    compact.push_back(n == 0 ? first.full(a) : first.delta(a));
    compact.push_back(writers::second_group_epoch(n == 0 ? second.full(b) : second.delta(b)));
  }
  EXPECT_EQ(compact[2][2], 69);
  EXPECT_EQ(compact[4][2], 68);
  const Bytes later = writers::moving_type17_epoch(70000, 40, 6, 9);
  plain.push_back(writers::t00_file_record());
  plain.push_back(later);
  compact.push_back(writers::t00_file_record());
  compact.push_back(writers::second_group_epoch(second.delta(later)));
  const testsupport::DatRun expected =
      testsupport::run_on_input("e.t00", writers::t00_stream(plain), {"-d"});
  const testsupport::DatRun got =
      testsupport::run_on_input("e.t00", writers::t00_stream(compact), {"-d"});
  EXPECT_EQ(expected.status, 0);
  EXPECT_EQ(got.status, 0) << got.output;
  EXPECT_GT(expected.dat.size(), 3500u);
  EXPECT_EQ(got.dat, expected.dat);
}

// Epochs longer than 255 bytes (type 117) come as full records of type 77 and
// expand back into type 117, the deltas included.
TEST(SecondGroupEpochs, LongEpochsExpandIntoType117) {
  writers::CompactEncoder encoder(116);
  auto c = d01ozu::CreateExpansionContext();
  for (uint32_t n = 0; n < 3; ++n) {
    const Bytes b = writers::moving_type17_epoch(60000 + 1000 * n, 40, 12, n);
    ASSERT_EQ(b[2], 117);
    const Bytes record = writers::second_group_epoch(n == 0 ? encoder.full(b) : encoder.delta(b));
    if (n == 0) {
      ASSERT_EQ(record[2], 77);  // deltas may come short
    }
    const expandtest::Expanded e = expandtest::expand(*c, record);
    ASSERT_EQ(e.status, 0) << n;
    EXPECT_EQ(e.legacy, 17);
    EXPECT_EQ(Bytes(c->work.data, c->work.data + c->work.length), b) << n;
  }
}

}  // namespace
