// The compact measurement codec against the project's encoder: full and
// delta epochs must rebuild the original type-17 frames exactly.
#include <gtest/gtest.h>

#include <memory>

#include "core/frame_rules.h"
#include "processing/compact_codec.h"
#include "testdata/compact_encoder.h"

using d01ozu::CompactReferences;
using writers::Bytes;
using Entry = std::array<uint8_t, 29>;

namespace {

// An entry with recognisable field values; l2 adds the L2 part.
Entry make_entry(uint8_t sv, uint32_t range, uint64_t phase, bool l2) {
  Entry e{};
  e[0] = sv;
  e[1] = l2 ? 0xD1 : 0xD0;
  e[2] = 0x08;
  e[3] = 40;
  e[4] = 7;
  e[5] = 45;
  for (int i = 0; i < 4; ++i) e[6 + i] = static_cast<uint8_t>(range >> (24 - 8 * i));
  for (int i = 0; i < 6; ++i) e[10 + i] = static_cast<uint8_t>(phase >> (40 - 8 * i));
  e[16] = 0x00;
  e[17] = 0x12;
  e[18] = sv;
  if (l2) {
    e[20] = 30;
    for (int i = 0; i < 6; ++i) e[21 + i] = static_cast<uint8_t>((phase / 2) >> (40 - 8 * i));
    e[27] = 0x01;
    e[28] = sv;
  }
  return e;
}

// Epoch t of a smooth run: ranges and phases move linearly, so the
// prediction is exact, with a wobble that leaves small differences.
std::vector<Entry> epoch_entries(int t, const std::vector<uint8_t>& svs) {
  std::vector<Entry> v;
  for (uint8_t sv : svs) {
    uint32_t range = 20000000u + sv * 1000u + static_cast<uint32_t>(t) * (100u + sv);
    uint64_t phase = 0x100000000ull * sv + static_cast<uint64_t>(t) * 70000u + (t % 3);
    v.push_back(make_entry(sv, range, phase, sv % 2 == 1));
  }
  return v;
}

Bytes epoch_frame(int t, const std::vector<uint8_t>& svs) {
  return writers::type17_frame_from_entries(1000u * static_cast<uint32_t>(t) + 5000u,
                                            static_cast<uint32_t>(t * 3), epoch_entries(t, svs));
}

struct Codec {
  std::unique_ptr<CompactReferences> refs = std::make_unique<CompactReferences>();
  bool message_flag = false;
  Codec() { d01ozu::reset_compact_references(*refs, d01ozu::kLegacyCompactSatellites); }
  // Converts a copy of in; returns the result code and leaves the frame in out.
  int convert(const Bytes& in, Bytes& out) {
    out = in;
    out.resize(d01ozu::kCompactMaxFrame + 1);
    size_t length = 0;
    int r = d01ozu::convert_compact_epoch(*refs, out.data(), in.size(), out.size(), message_flag,
                                          &length);
    out.resize(r == 0 ? length : in.size());
    return r;
  }
};

TEST(CompactCodec, ListChangesRearrangeTheReferences) {
  Codec codec;
  writers::CompactEncoder enc;
  Bytes out;
  ASSERT_EQ(codec.convert(enc.full(epoch_frame(0, {2, 4, 6})), out), 0);
  // a satellite leaves, one arrives, the order changes
  for (auto [t, svs] : std::vector<std::pair<int, std::vector<uint8_t>>>{
           {1, {6, 2, 9}}, {2, {9, 6}}, {3, {9, 6, 2, 4}}, {4, {9, 6, 2, 4}}}) {
    Bytes want = epoch_frame(t, svs);
    ASSERT_EQ(codec.convert(enc.delta(want), out), 0) << "epoch " << t;
    EXPECT_EQ(out, want) << "epoch " << t;
  }
  // Without a list the decoder takes the previous epoch's satellites.
  enc.set_send_list(false);
  Bytes want = epoch_frame(5, {9, 6, 2, 4});
  Bytes coded = enc.delta(want);
  ASSERT_FALSE(coded.empty());
  EXPECT_EQ(coded[3] & 0x80, 0);
  ASSERT_EQ(codec.convert(coded, out), 0);
  EXPECT_EQ(out, want);
}

// Without a list the satellites are those of P with a number and a byte 5;
// each list position decodes against P and Q at that same position, so a
// skipped entry shifts the later satellites onto its reference.
TEST(CompactCodec, ImpliedListKeepsTheReferencePositions) {
  Codec codec;
  writers::CompactEncoder enc;
  std::vector<Entry> first = epoch_entries(0, {3, 5, 7});
  first[0][5] = 0;
  Bytes out;
  ASSERT_EQ(codec.convert(enc.full(writers::type17_frame_from_entries(1, 2, first)), out), 0);
  enc.set_send_list(false);
  for (int t = 1; t <= 2; ++t) {
    Bytes want = epoch_frame(t, {5, 7});
    ASSERT_EQ(codec.convert(enc.delta(want), out), 0) << "epoch " << t;
    EXPECT_EQ(out, want) << "epoch " << t;
  }
}

TEST(CompactCodec, LongDeltaRunStaysExactAndGrowsIntoType117) {
  Codec codec;
  writers::CompactEncoder enc;
  std::vector<uint8_t> svs;
  for (uint8_t sv = 1; sv <= 16; ++sv) svs.push_back(sv);
  Bytes out;
  Bytes first = epoch_frame(0, svs);
  ASSERT_EQ(first[2], 117);  // 16 entries, 8 with the L2 part: 405 bytes
  ASSERT_EQ(codec.convert(enc.full(first), out), 0);
  EXPECT_EQ(out, first);
  for (int t = 1; t <= 400; ++t) {
    Bytes want = epoch_frame(t, svs);
    Bytes coded = enc.delta(want);
    ASSERT_LT(coded.size(), want.size() / 2);
    ASSERT_EQ(codec.convert(coded, out), 0) << "epoch " << t;
    ASSERT_EQ(out, want) << "epoch " << t;
  }
}

TEST(CompactCodec, FlagModesFollowTheMessageFlag) {
  for (int mode : {1, 2, 3}) {
    Codec codec;
    codec.message_flag = true;
    writers::CompactEncoder enc;
    std::vector<Entry> e0 = epoch_entries(0, {5, 12});
    std::vector<Entry> e1 = epoch_entries(1, {5, 12});
    for (std::vector<Entry>* v : {&e0, &e1})
      for (Entry& x : *v) {
        if (mode == 2) x[1] = 0xD8, x[2] = 0;
        if (mode == 3) x[1] = 0xFD, x[2] = 4;  // 0xD8 | 0x25: L2 part, G bits 7, 6, 5
      }
    Bytes f0 = writers::type17_frame_from_entries(1, 2, e0);
    Bytes f1 = writers::type17_frame_from_entries(3, 4, e1);
    Bytes out;
    ASSERT_EQ(codec.convert(enc.full(f0), out), 0);
    enc.set_flag_mode(mode);
    Bytes coded = enc.delta(f1);
    ASSERT_FALSE(coded.empty()) << "mode " << mode;
    ASSERT_EQ(codec.convert(coded, out), 0) << "mode " << mode;
    EXPECT_EQ(out, f1) << "mode " << mode;
  }
}

TEST(CompactCodec, FullEpochChecksAndTypes) {
  Codec codec;
  writers::CompactEncoder enc;
  Bytes out;
  Bytes full = enc.full(epoch_frame(0, {1, 2, 3}));
  Bytes damaged = full;
  damaged[12] ^= 0x40;
  EXPECT_EQ(codec.convert(damaged, out), d01ozu::kCompactBadChecksum);
  EXPECT_EQ(out, damaged);  // type byte restored
  Bytes no_etx = full;
  no_etx.back() = 0;
  EXPECT_EQ(codec.convert(no_etx, out), d01ozu::kCompactNoEtx);
  Bytes no_stx = full;
  no_stx[0] = 0;
  EXPECT_EQ(codec.convert(no_stx, out), d01ozu::kCompactNoStx);
  for (uint8_t type : {64, 65, 17}) {
    Bytes other = writers::frame(type, writers::Payload().zeros(8));
    EXPECT_EQ(codec.convert(other, out), d01ozu::kCompactBadType);
  }
  // A type-75 frame counts 256 beyond its length byte and becomes type 117.
  std::vector<uint8_t> many;
  for (uint8_t sv = 1; sv <= 12; ++sv) many.push_back(sv);
  Bytes long_frame = epoch_frame(0, many);
  ASSERT_EQ(long_frame.size(), 307u);
  Bytes type75 = enc.full(long_frame);
  EXPECT_EQ(type75[1], 307 - 256);
  EXPECT_EQ(type75[2], 75);
  ASSERT_EQ(codec.convert(type75, out), 0);
  EXPECT_EQ(out, long_frame);
}

TEST(CompactCodec, FieldCodes) {
  const uint8_t ref[4] = {0x00, 0x00, 0x01, 0x00};
  uint8_t out[4];
  const uint8_t diff[] = {0x85};
  d01ozu::ByteCursor in(diff, 1);
  ASSERT_TRUE(d01ozu::decode_compact_field(in, 1, 0, 4, ref, out));
  EXPECT_EQ(out[2] << 8 | out[3], 0x100 - 5);
  // A code larger than the width fails; so does a difference the record lacks.
  d01ozu::ByteCursor any(diff, 1);
  EXPECT_FALSE(d01ozu::decode_compact_field(any, 5, 7, 4, ref, out));
  d01ozu::ByteCursor empty(diff, 0);
  EXPECT_FALSE(d01ozu::decode_compact_field(empty, 2, 7, 4, ref, out));
}

TEST(CompactCodec, DamagedDeltaEpochsFailAndLeaveTheReferences) {
  Codec codec;
  writers::CompactEncoder enc;
  Bytes out;
  ASSERT_EQ(codec.convert(enc.full(epoch_frame(0, {1, 2})), out), 0);
  Bytes good = enc.delta(epoch_frame(1, {1, 2}));
  // A rebuilt frame that misses the carried checksum: the input comes back.
  Bytes bad = good;
  bad[bad.size() - 2] ^= 0x01;
  EXPECT_EQ(codec.convert(bad, out), d01ozu::kCompactBadChecksum);
  EXPECT_EQ(out, bad);
  // A satellite list longer than 24 (header fields taken from the prediction).
  Bytes crowded = writers::frame(66, writers::Payload().u8(0x80).u8(25).data());
  EXPECT_EQ(codec.convert(crowded, out), d01ozu::kCompactTooManySatellites);
  // Trailing bytes the entries do not use.
  Bytes padded(good.begin(), good.end() - 3);
  padded.push_back(0);
  padded.insert(padded.end(), good.end() - 3, good.end());
  padded[1] = static_cast<uint8_t>(padded.size());
  EXPECT_EQ(codec.convert(padded, out), d01ozu::kCompactBadLength);
  // A record cut inside an entry.
  for (size_t cut = 6; cut + 3 < good.size(); cut += 5) {
    Bytes shortened(good.begin(), good.begin() + cut);
    shortened.insert(shortened.end(), good.end() - 3, good.end());
    shortened[1] = static_cast<uint8_t>(shortened.size());
    EXPECT_NE(codec.convert(shortened, out), 0) << cut;
  }
  ASSERT_EQ(codec.convert(good, out), 0);
  EXPECT_EQ(out, epoch_frame(1, {1, 2}));
}

}  // namespace
