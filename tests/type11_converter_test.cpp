// Raw type 11: the refinement bytes by frame length, the DAT record against
// the legacy path's conversion of the same frame, and lists beyond the room.
#include <gtest/gtest.h>

#include "records/type11_converter.h"
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

// A frame of exactly 2n + 46 bytes has no refinement; two bytes more refine
// values 1 and 2; a frame one byte short of both is refused.
TEST(Type11Converter, RefinementBytesByFrameLength) {
  for (int n : {0, 3}) {
    const Bytes plain = writers::position_solution(11, solution(n));
    ASSERT_EQ(plain.size(), 2u * n + 46);
    const Bytes refined = with_extra(plain, {64, 0x80});
    const Bytes one_short = with_extra(plain, {64});
    d01ozu::Type11Record r;
    uint8_t header[4];
    ASSERT_EQ(d01ozu::ConvertType11(plain.data(), plain.size(), r, header), 82 + 2 * n);
    EXPECT_EQ(Bytes(header, header + 4), (Bytes{0x74, static_cast<uint8_t>(82 + 2 * n), 0, 11}));
    EXPECT_EQ(r.values[0], 0.5);
    EXPECT_EQ(r.values[1], -1.0);
    EXPECT_EQ(r.values[5], 17 * 0.125);
    EXPECT_EQ(r.count, n);
    ASSERT_EQ(d01ozu::ConvertType11(refined.data(), refined.size(), r, header), 82 + 2 * n);
    EXPECT_EQ(r.values[0], 0.5 + 64 * 0x1p-39);
    EXPECT_EQ(r.values[1], -1.0 - 128 * 0x1p-38);
    EXPECT_EQ(d01ozu::ConvertType11(one_short.data(), one_short.size(), r, header), 0);
  }
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

// More satellites than the lists hold: the converter refuses, and the legacy
// path writes the record with both lists whole.
TEST(Type11Converter, ListsBeyondTheRoomTakeTheLegacyPath) {
  const Bytes frame = writers::position_solution(11, solution(33));
  auto c = d01ozu::CreateExpansionContext();
  const expandtest::Expanded e = expandtest::expand(*c, frame);
  EXPECT_EQ(e.count, 0);
  EXPECT_EQ(e.status, 0);
  dattest::Processor p;
  ASSERT_EQ(expandtest::feed(*c, p, frame), 0);
  const Bytes out = p.records();
  ASSERT_EQ(out.size(), 82u + 66);
  EXPECT_EQ(out[81 + 66], 40 + 32);  // the last entry of the second list
}

}  // namespace
