// The output file's own buffer: bytes and text reach the file in order
// whatever their sizes against the buffer, positions count buffered bytes,
// and reading back or rewriting in place sees everything written before.
#include "output/out_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace d01ozu {
namespace {

using testsupport::Bytes;

constexpr size_t kBuffer = 64 * 1024;

// n bytes that differ from their neighbours, a pattern that starts at seed.
Bytes pattern(size_t n, uint8_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7);
  return b;
}

TEST(OutFile, WritesAndTextOfEverySizeArriveInOrder) {
  // Pieces just below, at and above the buffer's size and its free room,
  // text included, so every path through the buffer is taken.
  const struct {
    size_t size;
    bool text;
  } pieces[] = {{1, false},           {kBuffer - 2, false}, {5, true},           {kBuffer, false},
                {100, true},          {kBuffer + 3, false}, {kBuffer - 1, true}, {3, false},
                {kBuffer + 10, true}, {0, false},           {7, false}};
  testsupport::TempDir dir;
  const std::string path = dir.file("out.dat");
  OutFile out;
  ASSERT_TRUE(out.open(path.c_str(), "wb"));
  Bytes expected;
  uint8_t seed = 1;
  for (const auto& p : pieces) {
    if (p.text) {
      const std::string line(p.size, static_cast<char>('a' + seed % 26));
      ASSERT_TRUE(out.printf("%s", line.c_str()));
      expected.insert(expected.end(), line.begin(), line.end());
    } else {
      const Bytes b = pattern(p.size, seed);
      ASSERT_TRUE(out.write(b.data(), b.size()));
      expected.insert(expected.end(), b.begin(), b.end());
    }
    ++seed;
    EXPECT_EQ(out.tell(), expected.size());
  }
  EXPECT_TRUE(out.close());
  EXPECT_EQ(testsupport::read_file(path), expected);
}

TEST(OutFile, ReadsBackAndRewritesInPlace) {
  testsupport::TempDir dir;
  const std::string path = dir.file("out.dat");
  OutFile out;
  ASSERT_TRUE(out.open(path.c_str(), "wb+"));
  Bytes expected = pattern(kBuffer + 500, 9);
  ASSERT_TRUE(out.write(expected.data(), 300));
  ASSERT_TRUE(out.write(expected.data() + 300, expected.size() - 300));
  uint8_t head[4] = {};
  ASSERT_TRUE(out.seek(kBuffer + 100));
  ASSERT_EQ(out.read(head, 4), 4u);
  EXPECT_EQ(Bytes(head, head + 4),
            Bytes(expected.begin() + kBuffer + 100, expected.begin() + kBuffer + 104));
  const Bytes patch = {0xEE, 0xDD};
  ASSERT_TRUE(out.seek(2));
  ASSERT_TRUE(out.write(patch.data(), patch.size()));
  ASSERT_TRUE(out.flush());
  expected[2] = 0xEE;
  expected[3] = 0xDD;
  EXPECT_EQ(testsupport::read_file(path), expected);
  EXPECT_TRUE(out.close());
}

}  // namespace
}  // namespace d01ozu
