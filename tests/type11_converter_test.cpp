// Raw type 11: the DAT record against the legacy path's conversion of the
// same frame (refinement bytes included), and frames beyond the room.
#include <gtest/gtest.h>

#include "testdata/legacy_records.h"
#include "tests/dat_fixture.h"
#include "tests/expand_harness.h"

namespace {

using writers::Bytes;

writers::PositionSolution solution(int satellites) {
  writers::PositionSolution s;
  s.head = {0x40000000, -0x40000000, 123456, -7, 99};
  s.sixth = 17;
  s.tail = {-1, 2, 0x7FFFFFFF};
  s.word = 0x01020304;
  s.fix_byte = 0x4D;
  for (int i = 0; i < satellites; ++i) s.lists.push_back(static_cast<uint8_t>(i));
  for (int i = 0; i < satellites; ++i) s.lists.push_back(static_cast<uint8_t>(40 + i));
  s.refine_a = 64;
  s.refine_b = -128;
  return s;
}

// The frame with its payload (bytes 3 to the checksum) grown by extra bytes.
Bytes with_extra(const Bytes& frame, const Bytes& extra) {
  Bytes payload(frame.begin() + 3, frame.end() - 3);
  writers::append(payload, extra);
  return writers::frame(11, payload);
}

// The container path writes the same DAT record as the legacy path does for
// the same frame, refinement included.
TEST(Type11Converter, DatRecordEqualsTheLegacyConversion) {
  for (int n : {0, 5, 32}) {
    for (bool refine : {false, true}) {
      writers::PositionSolution s = solution(n);
      s.refine = refine;
      const Bytes frame = writers::position_solution(11, s);
      dattest::Processor legacy, typed;
      ASSERT_EQ(legacy.feed(frame), 0);
      auto c = d01ozu::CreateExpansionContext();
      ASSERT_EQ(expandtest::feed(*c, typed, frame), 0);
      EXPECT_EQ(typed.records().size(), 82u + 2 * n);
      EXPECT_EQ(typed.records(), legacy.records()) << n << refine;
    }
  }
}

// A frame one byte short of the refinement, and more satellites than the
// lists hold: the converter refuses, and the legacy path writes the record
// with both lists whole.
TEST(Type11Converter, FramesBeyondTheRoomTakeTheLegacyPath) {
  const Bytes frame = writers::position_solution(11, solution(33));
  auto c = d01ozu::CreateExpansionContext();
  for (const Bytes& f : {frame, with_extra(writers::position_solution(11, solution(3)), {64})}) {
    const expandtest::Expanded e = expandtest::expand(*c, f);
    EXPECT_EQ(e.count, 0) << f.size();
    EXPECT_EQ(e.status, 0) << f.size();
  }
  dattest::Processor p;
  ASSERT_EQ(expandtest::feed(*c, p, frame), 0);
  const Bytes out = p.records();
  ASSERT_EQ(out.size(), 82u + 66);
  EXPECT_EQ(out[81 + 66], 40 + 32);  // the last entry of the second list
}

}  // namespace
