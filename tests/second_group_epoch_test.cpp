// Compact epochs of the second satellite group (raw types 68, 69, 76, 77):
// interleaved with those of the first group (66, 67) and past a second file
// record, each group expands against its own references into the type-17
// frames it was made from.
#include <gtest/gtest.h>

#include "testdata/compact_encoder.h"
#include "testdata/t0x_writers.h"
#include "tests/expand_harness.h"
#include "tests/test_support.h"

namespace {

using writers::Bytes;

// An epoch of count satellites from first on, at time t; the values move
// with n.
Bytes epoch(uint32_t t, uint8_t first, int count, uint32_t n) {
  std::vector<std::array<uint8_t, 29>> entries(count);
  for (int k = 0; k < count; ++k) {
    std::array<uint8_t, 29>& e = entries[k];
    e = {};
    e[0] = static_cast<uint8_t>(first + k);
    e[1] = k % 2 ? 0xD1 : 0xD0;
    e[5] = 9;
    for (int b = 6; b < 19; ++b) e[b] = static_cast<uint8_t>(n * (b + k) + 5 * k);
    for (int b = 20; b < 29; ++b) e[b] = static_cast<uint8_t>(n * 2 + b);
  }
  return writers::type17_frame_from_entries(t, 0x10203, entries);
}

Bytes convert(const std::vector<Bytes>& records) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("e.t00"), writers::t00_stream(records));
  const testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), {"-d", "e.t00"});
  EXPECT_EQ(r.status, 0) << r.output;
  return testsupport::read_file(dir.file("e.dat"));
}

TEST(SecondGroupEpochs, EachGroupExpandsAgainstItsOwnReferences) {
  writers::CompactEncoder first(116), second(116);
  std::vector<Bytes> plain{writers::t00_file_record()}, compact{writers::t00_file_record()};
  for (uint32_t n = 0; n < 6; ++n) {
    const Bytes a = epoch(60000 + 1000 * n, 3, 3, n);
    const Bytes b = epoch(60500 + 1000 * n, 40, 6, n);
    plain.push_back(a);
    plain.push_back(b);
    compact.push_back(n == 0 ? first.full(a) : first.delta(a));
    compact.push_back(writers::second_group_epoch(n == 0 ? second.full(b) : second.delta(b)));
    ASSERT_FALSE(compact[compact.size() - 2].empty());
    ASSERT_FALSE(compact.back().empty());
  }
  EXPECT_EQ(compact[2][2], 69);
  EXPECT_EQ(compact[4][2], 68);
  // A second file record blanks the first group's references only.
  const Bytes later = epoch(70000, 40, 6, 9);
  plain.push_back(writers::t00_file_record());
  plain.push_back(later);
  compact.push_back(writers::t00_file_record());
  compact.push_back(writers::second_group_epoch(second.delta(later)));
  const Bytes expected = convert(plain);
  EXPECT_GT(expected.size(), 3500u);
  EXPECT_EQ(convert(compact), expected);
}

// Epochs longer than 255 bytes (type 117) come as full records of type 77 and
// expand back into type 117, the deltas included.
TEST(SecondGroupEpochs, LongEpochsExpandIntoType117) {
  writers::CompactEncoder encoder(116);
  auto c = d01ozu::CreateExpansionContext();
  for (uint32_t n = 0; n < 3; ++n) {
    const Bytes b = epoch(60000 + 1000 * n, 40, 12, n);
    ASSERT_EQ(b[2], 117);
    const Bytes record = writers::second_group_epoch(n == 0 ? encoder.full(b) : encoder.delta(b));
    if (n == 0) {
      ASSERT_EQ(record[2], 77);  // deltas stay short: 68
    }
    const expandtest::Expanded e = expandtest::expand(*c, record);
    ASSERT_EQ(e.status, 0) << n;
    EXPECT_EQ(e.legacy, 17);
    EXPECT_EQ(Bytes(c->work.data, c->work.data + c->work.length), b) << n;
  }
}

}  // namespace
