// The container reader on block containers (T02, T04): every block kind,
// header versions, limits, refused kinds and the resynchronisation.
#include <gtest/gtest.h>

#include <cstdio>

#include "expansion/container_layout.h"
#include "su/diagnostics.h"
#include "tests/t0x_harness.h"
#include "writers/block_container.h"
#include "writers/su_encoder.h"
#include "writers/t0x_writers.h"

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

// What the reader rebuilds from a block without STX: the frame with both
// checksum bytes zero (the ETX is put back for types that are not exempt).
Bytes rebuilt(Bytes frame) {
  frame[frame.size() - 3] = 0;
  frame[frame.size() - 2] = 0;
  return frame;
}

Bytes file_of(std::initializer_list<Bytes> blocks) {
  Bytes file;
  for (const Bytes& b : blocks) append(file, b);
  return file;
}

TEST(ReaderBlock, EveryKindDeliversTheSameRecords) {
  const std::vector<Bytes> recs = records(0, 30);
  for (uint8_t kind : {1, 2, 3, 4, 5, 7, 8}) {
    for (bool t04 : {false, true}) {
      Bytes file = container_header(9, 9, t04);
      append(file, frames_block(kind, recs));
      append(file, frames_block(kind, records(30, 3)));
      t0xtest::ReadLog log = read_su(file);
      std::vector<Bytes> expected = recs;
      for (const Bytes& r : records(30, 3)) expected.push_back(r);
      if (!d01ozu::block_records_with_stx(kind))
        for (Bytes& r : expected) r = rebuilt(r);
      EXPECT_EQ(log.frames(), expected) << "kind " << int(kind);
      EXPECT_TRUE(log.statuses().empty()) << "kind " << int(kind);
      EXPECT_EQ(log.events.back().origin, kind);
    }
  }
}

// Without STX the stored length N counts length, type, byte 3 and payload:
// exempt types come back N + 3 bytes long, the others N + 4 with an ETX.
TEST(ReaderBlock, RecordsWithoutStxAreRebuiltIntoFrames) {
  const Bytes exempt = raw_frame(36, 0, Payload().be32(77).be32(88));
  const Bytes plain = raw_frame(17, 0, Payload().be32(5).be16(6));
  const Bytes wide = raw_frame(27, 0, Bytes(400, 0x31));
  Bytes file = container_header();
  append(file, frames_block(2, {exempt, plain, wide}));
  t0xtest::ReadLog log = read_su(file);
  const std::vector<Bytes> got = log.frames();
  ASSERT_EQ(got.size(), 3u);
  const Bytes& got36 = got[0];
  const Bytes& got17 = got[1];
  EXPECT_EQ(got36.size(), writers::stored_without_stx(exempt).size() + 3);
  EXPECT_EQ(Bytes(got36.begin(), got36.end() - 2), Bytes(exempt.begin(), exempt.end() - 2));
  EXPECT_EQ(got36[got36.size() - 1], 0);
  EXPECT_EQ(got17.size(), writers::stored_without_stx(plain).size() + 4);
  EXPECT_EQ(got17, rebuilt(plain));
  EXPECT_EQ(got[2], rebuilt(wide));
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

// Stored data that fills a block of exactly 530134 bytes: frames of 200 and
// one of 124 bytes make its 530124 data bytes.
std::vector<Bytes> filling_records() {
  std::vector<Bytes> out;
  for (int i = 0; i < 2650; ++i) out.push_back(raw_frame(16, 0, Bytes(193, uint8_t(i))));
  out.push_back(raw_frame(16, 0, Bytes(117, 0x44)));
  return out;
}

TEST(ReaderBlock, BlockLengthLimit) {
  const std::vector<Bytes> fill = filling_records();
  Bytes largest = frames_block(4, fill);
  ASSERT_EQ(largest.size(), d01ozu::kBlockLimit);
  t0xtest::ReadLog ok = read_su(file_of({container_header(), largest}));
  EXPECT_EQ(ok.frames().size(), fill.size());
  EXPECT_TRUE(ok.statuses().empty());

  Bytes over = largest;
  over.push_back(0);
  over[3] += 1;  // L + 4 = 530135
  t0xtest::ReadLog refused = read_su(file_of({container_header(), over}));
  ASSERT_FALSE(refused.statuses().empty());
  EXPECT_EQ(refused.statuses()[0], d01ozu::kReaderBlockTooLong);
  EXPECT_TRUE(refused.ended);
}

Bytes damaged_zlib_block(size_t swallow) {
  Bytes damaged = frames_block(2, records(0, 5));
  for (size_t i = 12; i < damaged.size(); i += 3) damaged[i] ^= 0x5A;
  damaged[3] = static_cast<uint8_t>(damaged[3] + swallow);  // small blocks: L < 256
  return damaged;
}

// A damaged zlib block whose length swallows the next block: the search
// finds that block whole inside it, and its first record comes with 18.
TEST(ReaderBlock, ResynchronisationDeliversABlockFoundInsideTheDamage) {
  const Bytes next = frames_block(4, records(5, 3));
  Bytes file = file_of({container_header(), damaged_zlib_block(next.size() + 20), next});
  append(file, Bytes(20, 0x00));
  append(file, frames_block(8, records(8, 2)));
  t0xtest::ReadLog log = read_su(file);
  // The failure and the search happen in one call, which returns the first
  // record found, with 18.
  ASSERT_GE(log.events.size(), 1u);
  EXPECT_EQ(log.events[0].status, d01ozu::kReaderResynchronised);
  EXPECT_EQ(log.events[0].frame, records(5, 1)[0]);
  std::vector<Bytes> rest = records(6, 2);
  for (const Bytes& r : records(8, 2)) rest.push_back(rebuilt(r));
  EXPECT_EQ(log.frames(), rest);
  EXPECT_TRUE(log.ended);
}

// After damage followed by garbage, the search waits for a block signature;
// the block it finds while still incomplete is read as usual.
TEST(ReaderBlock, ResynchronisationFindsTheNextBlockBehindGarbage) {
  Bytes garbage(70000, 0);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 31 + 7);
  Bytes file = file_of({container_header(), damaged_zlib_block(0), garbage,
                        frames_block(4, records(5, 3)), frames_block(7, records(8, 2))});
  t0xtest::ReadLog log = read_su(file);
  EXPECT_EQ(log.statuses(), (std::vector<int>{d01ozu::kReaderZlibFailed}));
  std::vector<Bytes> rest = records(5, 3);
  for (const Bytes& r : records(8, 2)) rest.push_back(rebuilt(r));
  EXPECT_EQ(log.frames(), rest);
  EXPECT_TRUE(log.ended);
}

TEST(ReaderBlock, ZeroLengthAndOverlongRecordsDropTheRestOfTheBlock) {
  std::FILE* diag = std::tmpfile();
  d01ozu::SetDiagnosticStream(diag);
  Bytes zero{0x02, 0x00, 21, 0x00};
  Bytes overlong = raw_frame(27, 0, Bytes(20, 1));
  overlong[3] = 0x15;  // length 0x15xx > 5120
  std::vector<Bytes> with_zero = records(0, 1);
  with_zero.push_back(zero);
  append(with_zero.back(), records(1, 1)[0]);
  std::vector<Bytes> with_long{overlong};
  Bytes file = file_of({container_header(), frames_block(4, with_zero), frames_block(4, with_long),
                        frames_block(4, records(2, 1))});
  t0xtest::ReadLog log = read_su(file);
  d01ozu::SetDiagnosticStream(nullptr);
  EXPECT_EQ(log.frames(), (std::vector<Bytes>{records(0, 1)[0], records(2, 1)[0]}));
  EXPECT_EQ(log.statuses(), (std::vector<int>{3, 3}));
  EXPECT_EQ(log.events[1].type, 255);
  std::rewind(diag);
  char text[200] = {};
  size_t n = std::fread(text, 1, sizeof text - 1, diag);
  std::fclose(diag);
  EXPECT_EQ(std::string(text, n),
            "Warning: 0-length raw record type 21\nt01buf length overflow 0 5403 5120\n");
}

// An su-coded block whose output would not fit t01buf is refused once and
// passed over; an empty su-coded block yields nothing.
TEST(ReaderBlock, SuCodedBlockLimits) {
  Bytes coded = writers::su_encode(Bytes(1400000, 0));  // 3 bits a byte
  Bytes body(d01ozu::kBlockSignatures[3].bytes, d01ozu::kBlockSignatures[3].bytes + 6);
  append(body, coded);
  ASSERT_LE(body.size() + 4, d01ozu::kBlockLimit);
  Bytes file = file_of({container_header(), writers::raw_block(3, body),
                        writers::data_block(3, Bytes{}), frames_block(3, records(0, 2))});
  t0xtest::ReadLog log = read_su(file);
  EXPECT_EQ(log.statuses(), (std::vector<int>{d01ozu::kReaderBlockTooLong}));
  EXPECT_EQ(log.frames(), records(0, 2));
}

TEST(ReaderBlock, FormDecidedFromTheFirstTenBytes) {
  // A header block of 0x77 body bytes: byte 3 (the length's low byte) is
  // any value; bytes 0 to 2 zero and the magic make the container.
  Bytes body(d01ozu::kT04Magic, d01ozu::kT04Magic + 6);
  body.resize(0x77, 0);
  Bytes container = file_of({writers::raw_block(0, body), frames_block(4, records(0, 1))});
  EXPECT_EQ(read_su(container).frames(), records(0, 1));
  Bytes stream = container;
  stream[1] = 1;  // now a packet stream: the stored record is a coded mess
  t0xtest::ReadLog log = read_su(stream);
  EXPECT_NE(log.frames(), records(0, 1));
  EXPECT_TRUE(log.ended);
}

}  // namespace
