// Typed converters of the newer record types: the container path writes what
// the legacy path writes for types 25 and 33, and the carried payload of the
// other types, subject to the filter mask.
#include <gtest/gtest.h>

#include "testdata/legacy_records.h"
#include "testdata/t0x_writers.h"
#include "tests/dat_fixture.h"
#include "tests/expand_harness.h"

namespace {

using dattest::Le;
using writers::Bytes;
using writers::Payload;

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

// Types 25 (every sub-code) and 33 give the DAT records of the legacy path.
TEST(NewerTypeConverter, Types25And33AsTheLegacyPathWritesThem) {
  dattest::Processor legacy, typed;
  auto c = d01ozu::CreateExpansionContext();
  for (const Bytes& frame : legacy_layout_records()) {
    ASSERT_EQ(legacy.feed(frame), 0);
    ASSERT_EQ(expandtest::feed(*c, typed, frame), 0);
  }
  EXPECT_EQ(typed.records().size(), 39u + 45 + 40 + 63 + 20);
  EXPECT_EQ(typed.records(), legacy.records());
}

// Types 26, 28, 32 and 40 carry their payload with byte 3 as the sub-code;
// 98 and 99 carry the record length in header bytes 1 and 2. A payload
// beyond the structure's room is refused and the legacy path ignores it.
TEST(NewerTypeConverter, CarriedPayloadsAndLongRecords) {
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
  // Filter bit 0x200 keeps type 98 out, and only it.
  dattest::Processor no98;
  d01ozu::AddRecordFilter(*no98.rp, 0x200);
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

}  // namespace
