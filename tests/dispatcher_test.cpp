// The raw record dispatcher: checks by origin and the type-30 rule on the
// compact epoch references.
#include <gtest/gtest.h>

#include "core/frame_rules.h"
#include "testdata/frame_writer.h"
#include "testdata/t0x_writers.h"
#include "tests/expand_harness.h"

namespace {

using d01ozu::ExpansionContext;
using writers::Bytes;
using writers::Payload;

d01ozu::ReaderStatus expand(ExpansionContext& c, const Bytes& frame, int origin) {
  return expandtest::expand(c, frame, origin).status;
}

constexpr int kPacket = d01ozu::kOriginPacketStream;
constexpr int kZlib = 2, kStored = 4;

TEST(Dispatcher, ChecksumTestedOnlyWhereTheRecordCarriedOne) {
  auto c = d01ozu::CreateExpansionContext();
  Bytes good = writers::raw_frame(17, 0, Payload().be32(1).be16(2));
  Bytes zero_sum = good;
  zero_sum[zero_sum.size() - 3] = zero_sum[zero_sum.size() - 2] = 0;
  EXPECT_EQ(expand(*c, good, kPacket), 0);
  EXPECT_EQ(expand(*c, zero_sum, kZlib), 0);
  EXPECT_EQ(expand(*c, zero_sum, kStored), d01ozu::kReaderBadChecksum);
  EXPECT_EQ(expand(*c, zero_sum, kPacket), d01ozu::kReaderBadChecksum);
  Bytes no_etx = good;
  no_etx.back() = 0x04;
  EXPECT_EQ(expand(*c, no_etx, kZlib), d01ozu::kReaderNoEtx);
  EXPECT_EQ(expand(*c, no_etx, kPacket), d01ozu::kReaderNoEtx);
}

// A full epoch with no satellites (type 67: the type-17 layout, checksum
// taken with type byte 17) and its header fields.
Bytes full_epoch(uint32_t h1) {
  Bytes f = writers::frame(17, Payload().be32(h1).be24(0x0A0B0C));
  f[2] = 67;
  return f;
}

// A delta epoch with header control 0: header from the prediction, the
// previous epoch's satellites (none), carrying the checksum of the type-17
// frame that an epoch with header h1 gives.
Bytes delta_epoch(uint32_t h1) {
  Bytes expected = writers::frame(17, Payload().be32(h1).be24(0x0A0B0C));
  size_t n = expected.size();
  return Bytes{0x02, 7, 66, 0x00, expected[n - 3], expected[n - 2], 0x03};
}

// The first file record (type 30, sub-code 0) of a context leaves the epoch
// references alone; every later one blanks them, so a delta epoch that needs
// the reference fails. File-information records (sub-code not 0) do not.
TEST(Dispatcher, SecondFileRecordResetsTheEpochReferences) {
  const Bytes file_record = writers::t00_file_record();
  const Bytes file_info = writers::raw_frame(30, 1, Payload().u8(0));
  auto c = d01ozu::CreateExpansionContext();
  EXPECT_EQ(expand(*c, full_epoch(0x11), kPacket), 0);
  EXPECT_EQ(expand(*c, file_record, kPacket), 0);
  EXPECT_EQ(expand(*c, delta_epoch(0x11), kPacket), 0);
  EXPECT_EQ(expand(*c, file_record, kPacket), 0);
  EXPECT_EQ(expand(*c, delta_epoch(0x11), kPacket), d01ozu::kReaderRefused);
  EXPECT_EQ(expand(*c, full_epoch(0x22), kPacket), 0);
  EXPECT_EQ(expand(*c, file_info, kPacket), 0);
  EXPECT_EQ(expand(*c, delta_epoch(0x22), kPacket), 0);
}

}  // namespace
