// Typed converters of the container path: what the legacy path writes for
// types 11 (refinement bytes included) and 25 (every sub-code) and 33, frames
// of type 11 beyond the typed record's room, and the carried payload of the
// other newer types, subject to the filter mask.
#include <gtest/gtest.h>

#include "testdata/legacy_records.h"
#include "testdata/t0x_writers.h"
#include "testdata/type27_records.h"
#include "tests/dat_fixture.h"
#include "tests/expand_harness.h"

namespace {

using dattest::Le;
using writers::Bytes;
using writers::Payload;

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

std::vector<Bytes> legacy_layout_records() {
  Bytes kind6 = Payload().u8(0xEE).u8(6).data();
  for (uint8_t i = 0; i < 14; ++i) writers::append(kind6, {0, 0, 1, i});
  kind6.push_back(0x77);
  return {
      writers::raw_record(25, 0, Payload().be32(0x01020304).be16(0x0506).u8(7).zeros(28).data()),
      writers::raw_record(25, 2,
                          Payload().be32(1).be16(2).u8(3).u8(0x40).zeros(28).u8(9).be32(10).data()),
      writers::raw_record(25, 2, Payload().be32(1).be16(2).u8(3).u8(0).zeros(28).data()),
      writers::raw_record(25, 1, kind6),
      writers::raw_record(25, 3, Bytes(30, 1)),
      writers::raw_record(33, 14, Payload().be32(0xA1A2A3A4).text("thirty-three", 12).data()),
  };
}

// Type-11 solutions of 0, 5 and 32 satellites, without and with refinement.
std::vector<Bytes> type11_records() {
  std::vector<Bytes> out;
  for (int n : {0, 5, 32})
    for (bool refine : {false, true}) {
      writers::PositionSolution s = solution(n);
      s.refine = refine;
      out.push_back(writers::position_solution(11, s));
    }
  return out;
}

TEST(TypedConverter, Types11_25And33AsTheLegacyPathWritesThem) {
  dattest::Processor legacy, typed;
  auto c = d01ozu::CreateExpansionContext();
  std::vector<Bytes> frames = legacy_layout_records();
  for (const Bytes& f : type11_records()) frames.push_back(f);
  for (const Bytes& frame : frames) {
    ASSERT_EQ(legacy.feed(frame), 0);
    ASSERT_EQ(expandtest::feed(*c, typed, frame), 0);
  }
  EXPECT_EQ(typed.records().size(), 39u + 45 + 40 + 63 + 20 + 2 * (82 + 92 + 146));
  EXPECT_EQ(typed.records(), legacy.records());
}

// Types 26, 28, 32 and 40 carry their payload with byte 3 as the sub-code;
// 98 and 99 carry the record length in header bytes 1 and 2. A payload
// beyond the structure's room is refused and the legacy path ignores it.
TEST(TypedConverter, CarriedPayloadsAndLongRecords) {
  dattest::Processor p;
  auto c = d01ozu::CreateExpansionContext();
  Le want;
  for (uint8_t type : {26, 28, 32, 40}) {
    const Bytes payload = Payload().be16(0x0102).u8(type).data();
    ASSERT_EQ(expandtest::feed(*c, p, writers::raw_frame(type, 5, payload)), 0);
    want.u8(0x74).u8(7).u8(5).u8(type).u8(0x01).u8(0x02).u8(type);
  }
  const Bytes long_payload(300, 0x5A);
  ASSERT_EQ(expandtest::feed(*c, p, writers::raw_frame(98, 0, long_payload)), 0);
  want.u8(0x74).le16(304).u8(98).bytes(long_payload);
  const Bytes oversize(4097, 1);
  EXPECT_EQ(expandtest::expand(*c, writers::raw_frame(99, 0, oversize)).count, 0);
  ASSERT_EQ(expandtest::feed(*c, p, writers::raw_frame(99, 0, oversize)), 0);
  EXPECT_EQ(p.records(), want.data());
  // Filter bit 0x200 keeps type 98 out, and only it; bit 0x40 type 27.
  dattest::Processor no98;
  d01ozu::AddRecordFilter(*no98.rp, 0x200 | 0x40);
  writers::Raw27Epoch e27;
  e27.satellites.resize(1);
  e27.satellites[0].blocks.resize(1);
  ASSERT_EQ(expandtest::feed(*c, no98, writers::raw27_frame(e27)), 0);
  ASSERT_EQ(expandtest::feed(*c, no98, writers::raw_frame(98, 0, long_payload)), 0);
  ASSERT_EQ(expandtest::feed(*c, no98, writers::raw_frame(40, 5, Bytes{1, 2, 40})), 0);
  EXPECT_EQ(no98.records(), Bytes(want.data().begin() + 21, want.data().begin() + 28));

  // Under the default 27/17 mode every newer type is filtered.
  d01ozu::ProcessorOptions defaults;
  dattest::Processor filtered(defaults);
  ASSERT_EQ(expandtest::feed(*c, filtered, writers::raw_frame(98, 0, long_payload)), 0);
  ASSERT_EQ(expandtest::feed(*c, filtered, legacy_layout_records()[0]), 0);
  EXPECT_TRUE(filtered.records().empty());
}

// A frame one byte short of the refinement, and more satellites than the
// lists hold: the converter refuses, and the legacy path writes the record
// with both lists whole.
TEST(TypedConverter, Type11FramesBeyondTheRoomTakeTheLegacyPath) {
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
