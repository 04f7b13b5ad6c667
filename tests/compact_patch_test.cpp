// Compact type-25 and type-40 records: the same records written plain and
// compact give the same DAT file; records that cannot be expanded are
// refused.
#include <gtest/gtest.h>

#include "testdata/compact_patches.h"
#include "testdata/legacy_records.h"
#include "testdata/t0x_writers.h"
#include "tests/expand_harness.h"
#include "tests/test_support.h"

namespace {

using writers::Bytes;
using writers::Payload;

// A type-25 record of sub-code 0 or 2 at time t, with a changing byte.
Bytes type25(uint8_t sub_code, uint32_t t, uint8_t changing) {
  Payload p;
  p.be32(t).be16(0x0506).u8(7);
  if (sub_code == 2) p.u8(0x40);
  p.zeros(20).u8(changing).zeros(7);
  if (sub_code == 2) p.u8(9).be32(10);
  return writers::raw_record(25, sub_code, p.data());
}

Bytes type40(uint8_t sub_code, uint8_t a, uint8_t b) {
  return writers::raw_frame(40, sub_code, Payload().be32(0x01020304).u8(a).zeros(5).u8(b));
}

struct Streams {
  std::vector<Bytes> plain, compact;
};

// Sub-codes 0 and 2 interleaved, times stepping by 1000 with one jump; type
// 40 with byte changes and a sub-code change.
Streams streams() {
  Streams s;
  std::vector<Bytes> zero, two;
  for (uint32_t i = 0; i < 5; ++i) {
    zero.push_back(type25(0, 345600000 + 1000 * i + (i == 3 ? 7777777 : 0), uint8_t(i)));
    two.push_back(type25(2, 500 * i * i, uint8_t(i % 2)));
  }
  for (size_t i = 0; i < zero.size(); ++i) {
    s.plain.push_back(zero[i]);
    s.plain.push_back(two[i]);
    if (i == 0) {
      s.compact.push_back(writers::compact_type25_full(zero[0]));
      s.compact.push_back(writers::compact_type25_full(two[0]));
      continue;
    }
    const size_t before = i >= 2 ? i - 2 : 0;
    s.compact.push_back(writers::compact_type25_delta(zero[before], zero[i - 1], zero[i], true));
    s.compact.push_back(writers::compact_type25_delta(two[before], two[i - 1], two[i], i % 2));
  }
  const std::vector<Bytes> forty = {type40(1, 1, 2), type40(1, 1, 3), type40(4, 9, 3)};
  s.plain.insert(s.plain.end(), forty.begin(), forty.end());
  s.compact.push_back(forty[0]);
  s.compact.push_back(writers::compact_type40_patch(forty[0], forty[1]));
  s.compact.push_back(writers::compact_type40_patch(forty[1], forty[2]));
  return s;
}

Bytes convert(const std::vector<Bytes>& records) {
  testsupport::TempDir dir;
  std::vector<Bytes> stream{writers::t00_file_record()};
  stream.insert(stream.end(), records.begin(), records.end());
  testsupport::write_file(dir.file("n.t00"), writers::t00_stream(stream));
  const testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), {"-d", "-o+", "n.t00"});
  EXPECT_EQ(r.status, 0) << r.output;
  return testsupport::read_file(dir.file("n.dat"));
}

TEST(CompactPatch, PlainAndCompactGiveTheSameDatFile) {
  const Streams s = streams();
  for (const Bytes& record : s.compact) ASSERT_FALSE(record.empty());
  const Bytes plain = convert(s.plain);
  EXPECT_GT(plain.size(), 800u);
  EXPECT_EQ(convert(s.compact), plain);
}

// A delta before its reference, a sub-code without one, a patch outside the
// payload, a record with bytes beyond its fields and a type 41 before any
// type 40 are refused (status 7), leaving the references as they were.
TEST(CompactPatch, RefusedRecords) {
  const Bytes first = type25(0, 1000, 0), second = type25(0, 2000, 1);
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
  EXPECT_EQ(expandtest::expand(*c, writers::compact_type40_patch(type40(1, 1, 2), type40(1, 1, 3)))
                .status,
            d01ozu::kReaderRefused);
}

}  // namespace
