#include "su/byte_cursor.h"

#include <gtest/gtest.h>

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
