#include "core/byte_cursor.h"

#include <gtest/gtest.h>

#include <vector>

namespace d01ozu {
namespace {

TEST(ByteCursor, ReadsBigEndianFieldsAndSignExtends) {
  const uint8_t data[] = {0x12, 0x34, 0xFF, 0xFF, 0xFE, 0x80, 0x00, 0x00, 0x00, 0x00, 0x01};
  ByteCursor c(data, sizeof data);
  EXPECT_EQ(c.be16(), 0x1234);
  EXPECT_EQ(c.sbe24(), -2);
  EXPECT_EQ(c.sbe48(), -140737488355327LL);
  EXPECT_TRUE(c.ok());
  EXPECT_EQ(c.remaining(), 0u);
}

TEST(ByteCursor, ScaledFieldsOfEveryWidth) {
  struct Case {
    std::vector<uint8_t> bytes;
    int e;
    double s, u;
  };
  const Case cases[] = {
      {{0xFF}, 0, -1.0, 255.0},
      {{0x80, 0x00}, -8, -128.0, 128.0},
      {{0xFF, 0xFF, 0xFE}, -19, -2.0 / 524288, 16777214.0 / 524288},
      {{0x00, 0x00, 0x00, 0x40}, -7, 0.5, 0.5},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0}, -15, -16.0 / 32768, 281474976710640.0 / 32768},
      {{0x01, 0x00, 0x00, 0x00, 0x00, 0x00}, 0, 1099511627776.0, 1099511627776.0},
  };
  for (const Case& c : cases) {
    ByteCursor s(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(s.scaled_s(c.bytes.size(), c.e), c.s);
    ByteCursor u(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(u.scaled_u(c.bytes.size(), c.e), c.u);
    EXPECT_TRUE(s.ok() && u.ok());
  }
  const uint8_t two[] = {1, 2};
  ByteCursor short_read(two, sizeof two);
  EXPECT_EQ(short_read.scaled_s(3, 0), 0.0);
  EXPECT_FALSE(short_read.ok());
}

template <size_t W>
uint64_t fixed_width(const uint8_t* p) {
  return load_be(p, W);
}

// A width known when compiling takes the register path; it must give what
// the byte loop gives for a width known only when running.
TEST(ByteCursor, FixedWidthLoadsMatchTheByteLoop) {
  const uint8_t data[] = {0x00, 0xF1, 0x82, 0x73, 0x64, 0x55, 0x46, 0x37, 0xA8, 0x19};
  const uint64_t fixed[] = {fixed_width<1>(data + 1), fixed_width<2>(data + 1),
                            fixed_width<3>(data + 1), fixed_width<4>(data + 1),
                            fixed_width<5>(data + 1), fixed_width<6>(data + 1),
                            fixed_width<7>(data + 1), fixed_width<8>(data + 1)};
  volatile size_t width = 0;  // keeps the width unknown to the compiler
  for (size_t w = 1; w <= 8; ++w) {
    width = w;
    uint64_t expected = 0;
    for (size_t i = 0; i < w; ++i) expected = expected << 8 | data[1 + i];
    EXPECT_EQ(fixed[w - 1], expected) << w;
    EXPECT_EQ(load_be(data + 1, width), expected) << w;
  }
}

TEST(ByteCursor, ShortReadYieldsZeroKeepsPositionAndSticks) {
  const uint8_t data[] = {1, 2, 3};
  ByteCursor c(data, sizeof data);
  EXPECT_EQ(c.u8(), 1);
  EXPECT_EQ(c.be32(), 0u);
  EXPECT_EQ(c.position(), 1u);
  EXPECT_FALSE(c.ok());
  EXPECT_EQ(c.u8(), 0);  // the error sticks even where a byte would fit
  uint8_t out[4] = {9, 9, 9, 9};
  c.bytes(out, 4);
  EXPECT_EQ(out[0], 0);
}

TEST(ByteWriter, RefusesToWritePastCapacity) {
  uint8_t buf[5] = {};
  ByteWriter w(buf, sizeof buf);
  w.le32(0x04030201);
  EXPECT_TRUE(w.ok());
  w.le16(0xFFFF);
  EXPECT_FALSE(w.ok());
  EXPECT_EQ(w.position(), 4u);
  EXPECT_EQ(buf[4], 0);
  EXPECT_EQ(buf[0], 1);
}

}  // namespace
}  // namespace d01ozu
