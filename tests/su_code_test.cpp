// The su prefix code: the tree the weight table and tie rules give and the
// table-driven decoder against a plain walk of the tree; the packet rules.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/frame_rules.h"
#include "input/su_code.h"
#include "input/su_compr_common.h"
#include "testdata/su_encoder.h"

namespace {

using d01ozu::su_tables;
using d01ozu::SuDecoder;
using d01ozu::SuTables;
using writers::Bytes;

std::string code_of(int symbol) {
  const d01ozu::SuTree& tree = su_tables()->tree;
  std::string path;
  for (int node = symbol; node != tree.root;) {
    int parent = 0;
    while (tree.nodes[parent].left != node && tree.nodes[parent].right != node) ++parent;
    path.insert(path.begin(), tree.nodes[parent].left == node ? '1' : '0');
    node = parent;
  }
  return path;
}

// Codes worked out by hand from the construction: the three pairs of equal
// weights (88/161, 179/250, 203/246) get different codes only by the order
// the stable sort and the insertion rule give them.
TEST(SuCode, TreeGivesTheCodesOfTheConstruction) {
  const std::pair<int, const char*> codes[] = {
      {0, "100"},          {34, "0100"},        {255, "00111"},      {88, "101111111"},
      {161, "110010010"},  {179, "0000110000"}, {250, "0000110001"}, {203, "1010000011"},
      {246, "0111001001"}, {256, "10111001111"}};
  for (const auto& c : codes) EXPECT_EQ(code_of(c.first), c.second) << c.first;
}

// Decodes in with the per-byte tables, or (walk) bit by bit down the tree;
// a byte that holds the end symbol adds nothing and counts as an end.
Bytes decode(const Bytes& in, bool walk, int* ends) {
  const SuTables& t = *su_tables();
  SuDecoder d;
  d01ozu::su_reset(d, t);
  Bytes out;
  int node = t.tree.root;
  for (uint8_t byte : in) {
    uint8_t of_byte[d01ozu::kSuMaxOutputPerByte];
    int n = 0;
    for (int bit = 7; walk && bit >= 0 && n >= 0; --bit) {
      node = (byte >> bit & 1) ? t.tree.nodes[node].left : t.tree.nodes[node].right;
      const int symbol = t.tree.nodes[node].symbol;
      if (symbol < 0) continue;
      node = t.tree.root;
      if (symbol == d01ozu::kSuEndSymbol)
        n = d01ozu::kSuEndMet;
      else
        of_byte[n++] = static_cast<uint8_t>(symbol);
    }
    if (!walk) n = d01ozu::su_decode_byte(t, d, byte, of_byte);
    if (n == d01ozu::kSuEndMet)
      ++*ends;
    else
      out.insert(out.end(), of_byte, of_byte + n);
  }
  return out;
}

// Random bytes, half of them behind an end code, decode alike both ways; the
// encoder's output of every byte value decodes to the input.
TEST(SuCode, TableDecoderMatchesTheTreeWalk) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    Bytes in(1 + rng() % 400);
    for (uint8_t& b : in) b = static_cast<uint8_t>(rng());
    if (round % 2) in.insert(in.begin(), {0xB9, 0xE0});
    int walk_ends = 0, table_ends = 0;
    ASSERT_EQ(decode(in, true, &walk_ends), decode(in, false, &table_ends)) << round;
    ASSERT_EQ(walk_ends, table_ends);
  }
  Bytes all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
  int ends = 0;
  EXPECT_EQ(decode(writers::su_encode(all, true), false, &ends), all);
  EXPECT_EQ(ends, 1);
}

// su_decode_run (whole runs without a bound test, then byte by byte near the
// capacity) against su_decode_step byte by byte: same bytes, same refusal
// when the output would not fit, same position in the tree afterwards.
TEST(SuCode, RunDecoderMatchesTheByteStepAtEveryCapacity) {
  const SuTables& t = *su_tables();
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    Bytes plain(rng() % 700);
    for (uint8_t& b : plain) b = static_cast<uint8_t>(rng() % 3 ? rng() % 8 : rng());
    Bytes in = writers::su_encode(plain, round % 3 == 0);
    for (int flips = static_cast<int>(rng() % 3); flips > 0 && !in.empty(); --flips)
      in[rng() % in.size()] ^= static_cast<uint8_t>(1 << rng() % 8);
    const size_t capacity = round % 4 ? rng() % (plain.size() + 8) : plain.size() + 100;
    SuDecoder run_decoder, step_decoder;
    d01ozu::su_reset(run_decoder, t);
    d01ozu::su_reset(step_decoder, t);
    Bytes out(capacity + 16, 0xEE);
    const long got =
        d01ozu::su_decode_run(t, run_decoder, in.data(), in.size(), out.data(), capacity);
    Bytes want;
    long want_count = 0;
    for (uint8_t byte : in) {
      uint8_t symbols[d01ozu::kSuMaxOutputPerByte];
      const int n = d01ozu::su_decode_byte(t, step_decoder, byte, symbols);
      if (n <= 0) continue;
      if (want.size() + static_cast<size_t>(n) > capacity) {
        want_count = -1;
        break;
      }
      want.insert(want.end(), symbols, symbols + n);
    }
    if (want_count == 0) want_count = static_cast<long>(want.size());
    ASSERT_EQ(got, want_count) << round;
    ASSERT_EQ(run_decoder.node, step_decoder.node) << round;
    if (got >= 0) {
      ASSERT_EQ(Bytes(out.begin(), out.begin() + got), want) << round;
    }
    ASSERT_EQ(out[capacity], 0xEE) << round;  // nothing written past the capacity
  }
}

TEST(SuCompr, LengthRuleAndItsReverse) {
  struct Case {
    uint8_t type, b1, b3;
    int length;
  };
  const Case cases[] = {
      {74, 10, 0xFF, 266},   {77, 0, 0, 256},      {27, 0x10, 2, 528},   {99, 5, 1, 261},
      {35, 0x20, 0xA3, 800}, {35, 0x20, 0x30, 32}, {17, 200, 0x55, 200}, {76, 255, 9, 511},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(d01ozu::raw_frame_length(c.type, c.b1, c.b3), c.length) << int(c.type);
    uint8_t frame[4] = {2, 0, c.type, c.b3};
    EXPECT_TRUE(d01ozu::write_raw_frame_length(frame, c.type, c.length));
    EXPECT_EQ(d01ozu::raw_frame_length(c.type, frame[1], frame[3]), c.length);
    if (c.type == 35 || c.type == 17) {
      EXPECT_EQ(frame[3] & 0xF0, c.b3 & 0xF0);  // status kept
    }
  }
  uint8_t frame[4] = {2, 0, 0, 0};
  EXPECT_FALSE(d01ozu::write_raw_frame_length(frame, 74, 255));
  EXPECT_FALSE(d01ozu::write_raw_frame_length(frame, 74, 512));
  EXPECT_FALSE(d01ozu::write_raw_frame_length(frame, 17, 256));
  EXPECT_FALSE(d01ozu::write_raw_frame_length(frame, 35, 4096));
}

// The word-at-a-time byte sum against the plain one, at every alignment and
// tail length and with all-0xFF bytes (the largest lane sums).
TEST(SuCompr, WordAtATimeByteSumMatchesThePlainSum) {
  std::mt19937 rng(3);
  Bytes data(6000);
  for (uint8_t& b : data) b = static_cast<uint8_t>(rng());
  Bytes ones(5128, 0xFF);
  for (const Bytes* d : {&data, &ones}) {
    for (size_t start = 0; start < 8; ++start) {
      for (size_t n :
           {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{9}, size_t{245}, size_t{5117}}) {
        unsigned plain = 0;
        for (size_t i = 0; i < n; ++i) plain += (*d)[start + i];
        EXPECT_EQ(d01ozu::byte_sum16(d->data() + start, n), static_cast<uint16_t>(plain));
      }
    }
  }
}

}  // namespace
