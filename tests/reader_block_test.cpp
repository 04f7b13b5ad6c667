// The container reader on block containers (T02, T04): every block kind,
// header versions, limits, refused kinds and the resynchronisation.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/diagnostics.h"
#include "input/container_layout.h"
#include "testdata/block_container.h"
#include "testdata/su_encoder.h"
#include "testdata/t0x_writers.h"
#include "tests/t0x_harness.h"

namespace {

using t0xtest::Bytes;
using t0xtest::read_su;
using writers::append;
using writers::container_header;
using writers::frames_block;
using writers::Payload;
using writers::raw_frame;

std::vector<Bytes> records(int first, int n) {
  std::vector<Bytes> out;
  for (int i = first; i < first + n; ++i)
    out.push_back(raw_frame(16, 1, Payload().be16(static_cast<unsigned>(i)).text("rec", 6)));
  return out;
}

// What the reader rebuilds from a block without STX: zero checksum bytes and
// an ETX; an exempt type gets neither, so its last two bytes are zero.
Bytes rebuilt(Bytes frame) {
  const size_t n = frame.size();
  const bool exempt = d01ozu::raw_type_checksum_exempt(frame[2]);
  frame[n - 3] = exempt ? frame[n - 3] : 0;
  frame[n - 2] = 0;
  frame[n - 1] = exempt ? 0 : frame[n - 1];
  return frame;
}

// records as the reader rebuilds them, behind the frames of with_stx.
std::vector<Bytes> then_rebuilt(std::vector<Bytes> with_stx, const std::vector<Bytes>& records) {
  for (const Bytes& r : records) with_stx.push_back(rebuilt(r));
  return with_stx;
}

Bytes file_of(std::initializer_list<Bytes> blocks) {
  Bytes file;
  for (const Bytes& b : blocks) append(file, b);
  return file;
}

// Without STX the stored length N counts length, type, byte 3 and payload:
// an exempt type comes back N + 3 bytes long, the others N + 4 with an ETX,
// the extended type 27 with its length high byte rebuilt.
TEST(ReaderBlock, EveryKindDeliversTheSameRecords) {
  std::vector<Bytes> recs = records(0, 30);
  recs.push_back(raw_frame(36, 0, Payload().be32(77).be32(88)));
  recs.push_back(raw_frame(27, 0, Bytes(400, 0x31)));
  for (uint8_t kind : {1, 2, 3, 4, 5, 7, 8}) {
    for (bool t04 : {false, true}) {
      Bytes file = file_of({container_header(9, 9, t04), frames_block(kind, recs),
                            frames_block(kind, records(30, 3))});
      t0xtest::ReadLog log = read_su(file);
      std::vector<Bytes> expected = recs;
      for (const Bytes& r : records(30, 3)) expected.push_back(r);
      if (!d01ozu::block_records_with_stx(kind)) expected = then_rebuilt({}, expected);
      EXPECT_EQ(log.frames(), expected) << "kind " << int(kind);
      EXPECT_TRUE(log.statuses().empty()) << "kind " << int(kind);
      EXPECT_EQ(log.events.back().origin, kind);
    }
  }
}

// A header above version 909 refuses every block until an accepted header;
// kinds 6 and 9 up are refused on their own. All of them are passed over.
TEST(ReaderBlock, RefusedBlocksArePassedOver) {
  Bytes versions = file_of({container_header(9, 10), frames_block(4, records(0, 2)),
                            frames_block(2, records(2, 2)), container_header(9, 9),
                            frames_block(4, records(4, 2))});
  t0xtest::ReadLog log = read_su(versions);
  EXPECT_EQ(log.statuses(), (std::vector<int>{9, 9, 9}));
  EXPECT_EQ(log.frames(), records(4, 2));

  Bytes kinds = file_of({container_header(), writers::raw_block(6, Bytes{0x42, 0x5A, 0x68, 1}),
                         frames_block(4, records(0, 1)), writers::data_block(9, Bytes(50, 0x02)),
                         writers::raw_block(200, Bytes(20, 0x02)), frames_block(4, records(1, 1))});
  log = read_su(kinds);
  EXPECT_EQ(log.statuses(), (std::vector<int>{14, 7, 7}));
  EXPECT_EQ(log.frames(), records(0, 2));
}

// A stored block of exactly 530134 bytes (2650 frames of 200 bytes and one
// of 124) is read; one byte more is refused with 8.
TEST(ReaderBlock, BlockLengthLimit) {
  std::vector<Bytes> fill;
  for (int i = 0; i < 2650; ++i) fill.push_back(raw_frame(16, 0, Bytes(193, uint8_t(i))));
  fill.push_back(raw_frame(16, 0, Bytes(117, 0x44)));
  Bytes largest = frames_block(4, fill);
  ASSERT_EQ(largest.size(), d01ozu::kBlockLimit);
  t0xtest::ReadLog ok = read_su(file_of({container_header(), largest}));
  EXPECT_EQ(ok.frames().size(), fill.size());
  EXPECT_TRUE(ok.statuses().empty());

  largest.push_back(0);
  largest[3] += 1;  // L + 4 = 530135
  t0xtest::ReadLog refused = read_su(file_of({container_header(), largest}));
  ASSERT_FALSE(refused.statuses().empty());
  EXPECT_EQ(refused.statuses()[0], d01ozu::kReaderBlockTooLong);
  EXPECT_TRUE(refused.ended);
}

// A zlib block made undecodable, its length raised by swallow (L < 256).
Bytes damaged_zlib_block(size_t swallow) {
  Bytes damaged = frames_block(2, records(0, 5));
  for (size_t i = 12; i < damaged.size(); i += 3) damaged[i] ^= 0x5A;
  damaged[3] = static_cast<uint8_t>(damaged[3] + swallow);
  return damaged;
}

// A damaged block whose length swallows the next block: the search finds
// that block whole inside it, in the same call, and its first record comes
// with 18. Behind a damaged block and garbage the search waits for the next
// block, which is then read as usual.
TEST(ReaderBlock, ResynchronisationFindsTheNextBlock) {
  const Bytes next = frames_block(4, records(5, 3));
  Bytes file = file_of({container_header(), damaged_zlib_block(next.size() + 20), next,
                        Bytes(20, 0x00), frames_block(8, records(8, 2))});
  t0xtest::ReadLog log = read_su(file);
  ASSERT_GE(log.events.size(), 1u);
  EXPECT_EQ(log.events[0].status, d01ozu::kReaderResynchronised);
  EXPECT_EQ(log.events[0].frame, records(5, 1)[0]);
  EXPECT_EQ(log.frames(), then_rebuilt(records(6, 2), records(8, 2)));
  EXPECT_TRUE(log.ended);

  Bytes garbage(70000, 0);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 31 + 7);
  log = read_su(file_of({container_header(), damaged_zlib_block(0), garbage,
                         frames_block(4, records(5, 3)), frames_block(7, records(8, 2))}));
  EXPECT_EQ(log.statuses(), (std::vector<int>{d01ozu::kReaderZlibFailed}));
  EXPECT_EQ(log.frames(), then_rebuilt(records(5, 3), records(8, 2)));
}

TEST(ReaderBlock, ZeroLengthAndOverlongRecordsDropTheRestOfTheBlock) {
  Bytes overlong = raw_frame(27, 0, Bytes(20, 1));
  overlong[3] = 0x15;  // length 0x15xx > 5120
  std::vector<Bytes> with_zero = records(0, 1);
  with_zero.push_back(Bytes{0x02, 0x00, 21, 0x00});
  append(with_zero.back(), records(1, 1)[0]);
  Bytes file = file_of({container_header(), frames_block(4, with_zero), frames_block(4, {overlong}),
                        frames_block(4, records(2, 1))});
  std::string diagnostics;
  t0xtest::ReadLog log =
      t0xtest::read_all(file, d01ozu::StreamMode::kSuCoded, 100000, &diagnostics);
  EXPECT_EQ(log.frames(), (std::vector<Bytes>{records(0, 1)[0], records(2, 1)[0]}));
  EXPECT_EQ(log.statuses(), (std::vector<int>{3, 3}));
  EXPECT_EQ(log.events[1].type, 255);
  EXPECT_EQ(diagnostics,
            "Warning: 0-length raw record type 21\nt01buf length overflow 0 5403 5120\n");
}

// An su-coded block whose output would not fit t01buf is refused once and
// passed over; an empty su-coded block yields nothing.
TEST(ReaderBlock, SuCodedBlockLimits) {
  Bytes body(d01ozu::kBlockSignatures[3].bytes, d01ozu::kBlockSignatures[3].bytes + 6);
  append(body, writers::su_encode(Bytes(1400000, 0)));  // 3 bits a byte
  ASSERT_LE(body.size() + 4, d01ozu::kBlockLimit);
  Bytes file = file_of({container_header(), writers::raw_block(3, body),
                        writers::data_block(3, Bytes{}), frames_block(3, records(0, 2))});
  t0xtest::ReadLog log = read_su(file);
  EXPECT_EQ(log.statuses(), (std::vector<int>{d01ozu::kReaderBlockTooLong}));
  EXPECT_EQ(log.frames(), records(0, 2));
}

// Bytes 0 to 2 zero and a magic at 4 make a container whatever byte 3 (the
// length's low byte) is; byte 1 non-zero makes the same bytes a packet stream.
TEST(ReaderBlock, FormDecidedFromTheFirstTenBytes) {
  Bytes body(d01ozu::kT04Magic, d01ozu::kT04Magic + 6);
  body.resize(0x77, 0);
  Bytes container = file_of({writers::raw_block(0, body), frames_block(4, records(0, 1))});
  EXPECT_EQ(read_su(container).frames(), records(0, 1));
  container[1] = 1;
  t0xtest::ReadLog log = read_su(container);
  EXPECT_NE(log.frames(), records(0, 1));
  EXPECT_TRUE(log.ended);
}

}  // namespace
