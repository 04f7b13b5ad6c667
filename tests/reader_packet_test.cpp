// The container reader on packet streams: T00 (plain) and T01 (su-coded).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "input/packet_framer.h"
#include "testdata/su_encoder.h"
#include "testdata/t0x_writers.h"
#include "tests/t0x_harness.h"

namespace {

using d01ozu::StreamMode;
using t0xtest::Bytes;
using t0xtest::read_all;
using t0xtest::read_su;
using writers::Payload;
using writers::raw_frame;

// A mixed set of records: the file record, a message, an extended-length
// type 27 longer than 255 bytes, checksum-exempt compact types (type 74 adds
// 256 to byte 1).
std::vector<Bytes> sample_frames() {
  Payload big;
  for (int i = 0; i < 600; ++i) big.u8(static_cast<uint8_t>(i * 7 + 1));
  return {writers::t00_file_record(),
          raw_frame(16, 3, Payload().text("Hello", 12)),
          raw_frame(27, 0, big),
          raw_frame(36, 0, Payload().be32(0xA1B2C3D4).be16(9)),
          raw_frame(74, 0, Bytes(259, 0x55)),
          raw_frame(12, 0, Payload().be32(123456).be16(2100))};
}

// Plain, su-coded, and su-coded with an end symbol behind every frame: each
// such end symbol is reported (status 6) and reading goes on.
TEST(ReaderPacket, PlainAndCodedStreamsDeliverEveryFrameAsWritten) {
  const std::vector<Bytes> frames = sample_frames();
  ASSERT_EQ(frames[2][3], 2);   // 607 bytes: length high byte in byte 3
  ASSERT_EQ(frames[4][1], 10);  // 266 bytes
  for (int form = 0; form < 3; ++form) {
    t0xtest::ReadLog log = form == 0 ? read_all(writers::t00_stream(frames), StreamMode::kPlain)
                                     : read_su(writers::t01_stream(frames, form == 2));
    EXPECT_TRUE(log.ended);
    EXPECT_EQ(log.frames(), frames);
    EXPECT_EQ(log.statuses(), std::vector<int>(form == 2 ? frames.size() : 0, 6));
    EXPECT_EQ(log.events.front().origin, d01ozu::kOriginPacketStream);
  }
}

// One coded byte can complete several tiny frames; the ones still held when
// the last input byte has been read are delivered before end of input. A
// file shorter than the ten probe bytes never gets its form decided: it ends
// with nothing delivered.
TEST(ReaderPacket, HeldFramesAreDeliveredBeforeEndOfInput) {
  std::vector<Bytes> tiny;
  for (int i = 0; i < 40; ++i) tiny.push_back(raw_frame(20, 0, Bytes{}));  // 7 bytes each
  t0xtest::ReadLog coded = read_su(writers::t01_stream(tiny));
  EXPECT_EQ(coded.frames(), tiny);
  EXPECT_TRUE(coded.ended);

  t0xtest::ReadLog short_file = read_all(tiny[0], StreamMode::kPlain);
  EXPECT_TRUE(short_file.events.empty());
  EXPECT_TRUE(short_file.ended);
}

// A type-16 frame whose only 0x02 byte is its STX (the status byte is chosen
// so that the checksum holds none), so a search cannot stop inside it.
Bytes frame_without_inner_stx(const char* text) {
  for (unsigned status = 0;; ++status) {
    Bytes f = raw_frame(16, static_cast<uint8_t>(status), Payload().text(text, 8));
    if (std::count(f.begin(), f.end(), 0x02) == 1) return f;
  }
}

// Damaged packets are skipped one byte at a time until the next STX.
TEST(ReaderPacket, DamagedPacketsAreReportedAndSkipped) {
  const Bytes good1 = frame_without_inner_stx("first");
  const Bytes good2 = frame_without_inner_stx("second");
  Bytes bad_sum = frame_without_inner_stx("broken");
  bad_sum[bad_sum.size() - 2] ^= 0x40;
  const Bytes zero_length{0x02, 0x00, 17, 0x00};
  const Bytes too_long{0x02, 0x01, 27, 0x15};  // 0x1501 > 5120
  const std::vector<Bytes> parts{good1, bad_sum, zero_length, too_long, good2};
  for (bool plain : {true, false}) {
    t0xtest::ReadLog log = plain ? read_all(writers::t00_stream(parts), StreamMode::kPlain)
                                 : read_su(writers::t01_stream(parts));
    EXPECT_EQ(log.frames(), (std::vector<Bytes>{good1, good2}));
    EXPECT_EQ(log.statuses(), (std::vector<int>{2, 3, 3}));
    EXPECT_TRUE(log.ended);
  }
}

// The framer offered one byte per step and never filled in bulk, as a reader
// that takes the stream byte by byte would drive it: the reference the
// reader's bulk collection must match event for event.
t0xtest::ReadLog read_bytewise(const Bytes& file, StreamMode mode) {
  d01ozu::ExpansionContextPtr c = d01ozu::CreateExpansionContext();
  t0xtest::ReadLog log;
  for (size_t pos = 0;;) {
    const bool ready = d01ozu::FramerReady(*c);
    if (!ready && pos == file.size()) break;
    t0xtest::Event e;
    e.type = d01ozu::FramerStep(*c, mode, ready ? d01ozu::kNoByte : file[pos++], &e.status);
    if (e.type == 0 && e.status == 0) continue;
    if (e.type > 0) e.frame.assign(c->record.data, c->record.data + c->record.length);
    log.events.push_back(e);
  }
  log.ended = true;
  return log;
}

// Frames of random types and sizes, some with a broken checksum, a few with a
// length the reader refuses, some tiny; the coded form gets end symbols
// between some frames and inside some (where the rest of the byte is lost).
// Long streams span several input buffers. Damage then flips bytes, inserts
// noise and cuts the stream anywhere.
Bytes random_stream(std::mt19937& rng, StreamMode mode, bool long_stream) {
  const uint8_t types[] = {17, 27, 35, 36, 74, 16, 20, 99, 57};
  writers::SuEncoder encoder;
  Bytes plain = writers::t00_file_record();
  for (int i = 0, n = long_stream ? 400 : 1 + static_cast<int>(rng() % 30); i < n; ++i) {
    const uint8_t type = types[rng() % sizeof types];
    Bytes payload(type == 74 ? 250 + rng() % 200 : rng() % (rng() % 4 ? 40 : 900));
    for (uint8_t& b : payload) b = static_cast<uint8_t>(rng() % 8 ? rng() % 4 : rng());
    Bytes frame = raw_frame(type, static_cast<uint8_t>(rng()), payload);
    if (rng() % 6 == 0) frame[frame.size() - 2] ^= 1;
    if (rng() % 10 == 0) frame = {0x02, static_cast<uint8_t>(rng()), 27, 0x15};
    const auto cut = frame.begin() + static_cast<long>(rng() % 8 ? 0 : rng() % frame.size());
    encoder.put(Bytes(frame.begin(), cut));
    if (cut != frame.begin()) encoder.put_end();
    encoder.put(Bytes(cut, frame.end()));
    plain.insert(plain.end(), frame.begin(), frame.end());
    if (rng() % 5 == 0) encoder.put_end();
  }
  Bytes out = mode == StreamMode::kPlain ? plain : encoder.finish();
  for (int flips = static_cast<int>(rng() % 4); flips > 0; --flips)
    out[rng() % out.size()] ^= static_cast<uint8_t>(1 << rng() % 8);
  if (out.size() > 32 && rng() % 3 == 0) {
    Bytes noise(rng() % 20);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());
    out.insert(out.begin() + static_cast<long>(16 + rng() % (out.size() - 16)), noise.begin(),
               noise.end());
  }
  if (out.size() > 32 && rng() % 2) out.resize(16 + rng() % (out.size() - 16));
  return out;
}

// Bulk collection (header bytes, whole frames, coded runs decoded without a
// bounds test per byte) against the one-byte-per-step framer.
TEST(ReaderPacket, BulkReadingMatchesTheBytewiseFramer) {
  std::mt19937 rng(11);
  for (StreamMode mode : {StreamMode::kPlain, StreamMode::kSuCoded}) {
    for (int round = 0; round < 300; ++round) {
      const Bytes file = random_stream(rng, mode, round % 50 == 0);
      const t0xtest::ReadLog bulk = read_all(file, mode);
      const t0xtest::ReadLog bytewise = read_bytewise(file, mode);
      ASSERT_TRUE(bulk.ended);
      ASSERT_EQ(bulk.events.size(), bytewise.events.size()) << round;
      for (size_t i = 0; i < bulk.events.size(); ++i) {
        ASSERT_EQ(bulk.events[i].type, bytewise.events[i].type) << round << " " << i;
        ASSERT_EQ(bulk.events[i].status, bytewise.events[i].status) << round << " " << i;
        ASSERT_EQ(bulk.events[i].frame, bytewise.events[i].frame) << round << " " << i;
      }
    }
  }
}

}  // namespace
