// Decompression ahead on workers changes nothing a caller can see: the same
// T02 and T04 inputs, sound and damaged, in every block kind, give the same
// status, events and outputs with one thread as with two or three, read from
// memory and from a file. Runs under ThreadSanitizer with the other thread tests.
#include <d01ozu/d01ozu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "testdata/block_container.h"
#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "testdata/t0x_writers.h"
#include "tests/test_support.h"
#include "tests/threads/run_capture.h"

namespace {

using testsupport::Bytes;
using testsupport::TempDir;
using threadtests::Convert;
using threadtests::Mode;
using threadtests::Seen;
using threadtests::SessionFrames;

// A container of one header and `count` data blocks of kind (fewer when
// there are fewer frames).
std::vector<Bytes> Blocks(uint8_t kind, size_t count = 8) {
  const std::vector<Bytes> frames = SessionFrames(64);
  std::vector<Bytes> blocks{writers::container_header(9, 9, kind >= 7)};
  const size_t per_block = (frames.size() + count - 1) / count;
  for (size_t i = 0; i < frames.size(); i += per_block) {
    std::vector<Bytes> part(frames.begin() + i,
                            frames.begin() + std::min(frames.size(), i + per_block));
    blocks.push_back(writers::frames_block(kind, part));
  }
  return blocks;
}

Bytes Join(const std::vector<Bytes>& blocks) {
  Bytes out;
  for (const Bytes& b : blocks) out.insert(out.end(), b.begin(), b.end());
  return out;
}

// Damage to a container, by name: what the reader must meet the same way on
// both paths.
struct Damage {
  const char* name;
  Bytes (*apply)(std::vector<Bytes> blocks);
};

const Damage kDamages[] = {
    {"sound", [](std::vector<Bytes> b) { return Join(b); }},
    {"flipped body byte",
     [](std::vector<Bytes> b) {
       b[3][b[3].size() / 2] ^= 0x5A;
       return Join(b);
     }},
    {"ends inside a block",
     [](std::vector<Bytes> b) {
       Bytes all = Join(b);
       all.resize(all.size() - b.back().size() / 2);
       return all;
     }},
    {"ends inside a header",
     [](std::vector<Bytes> b) {
       b.push_back(Bytes{2, 0});
       return Join(b);
     }},
    {"zeroed across a boundary",
     [](std::vector<Bytes> b) {
       Bytes all = Join(b);
       const size_t at = b[0].size() + b[1].size() + b[2].size() - 20;
       for (size_t i = at; i < at + 60 && i < all.size(); ++i) all[i] = 0;
       return all;
     }},
    {"length over the limit",
     [](std::vector<Bytes> b) {
       b[2][1] = 0xFF;
       return Join(b);
     }},
    {"garbage between blocks",
     [](std::vector<Bytes> b) {
       b[2].insert(b[2].begin(), 300, 0x42);
       return Join(b);
     }},
    {"refused kinds and a newer header",
     [](std::vector<Bytes> b) {
       b.insert(b.begin() + 2, writers::raw_block(9, Bytes(40, 1)));
       b.insert(b.begin() + 4, writers::raw_block(6, Bytes(40, 2)));
       b.insert(b.begin() + 6, writers::container_header(10, 0));
       return Join(b);
     }},
    {"a block repeated",
     [](std::vector<Bytes> b) {
       b.insert(b.begin() + 3, b[3]);
       return Join(b);
     }},
};

TEST(ReadAhead, MoreThreadsSeeWhatOneThreadSees) {
  TempDir dir;
  int run = 0;
  for (uint8_t kind : {1, 2, 3, 4, 5, 7, 8}) {
    const auto format = kind >= 7 ? d01ozu::InputFormat::kT04 : d01ozu::InputFormat::kT02;
    for (const Damage& damage : kDamages) {
      const Bytes input = damage.apply(Blocks(kind));
      for (Mode mode : {Mode::kPlain, Mode::kQuick, Mode::kAbort}) {
        const std::string tag = "kind " + std::to_string(kind) + ", " + damage.name + ", mode " +
                                std::to_string(static_cast<int>(mode));
        const std::string one = dir.file("r" + std::to_string(run++));
        ASSERT_TRUE(std::filesystem::create_directory(one));
        const Seen alone = Convert({input}, format, mode, 1, false, one);
        ASSERT_FALSE(alone.events.empty()) << tag;
        if (mode == Mode::kPlain && &damage == &kDamages[0]) {
          EXPECT_EQ(alone.status, d01ozu::Status::kOk) << tag;
        }
        // Two workers decode side by side; three put more blocks in flight.
        for (unsigned threads : {2u, 3u})
          for (bool from_file : {false, true}) {
            const std::string more = dir.file("r" + std::to_string(run++));
            ASSERT_TRUE(std::filesystem::create_directory(more));
            const Seen ahead = Convert({input}, format, mode, threads, from_file, more);
            const std::string where = tag + ", threads " + std::to_string(threads) + ", file " +
                                      std::to_string(from_file);
            EXPECT_EQ(ahead.status, alone.status) << where;
            EXPECT_EQ(ahead.events, alone.events) << where;
            EXPECT_TRUE(ahead.outputs == alone.outputs) << where;
          }
      }
    }
  }
}

// One frame per block: many more blocks than slots, so the workers wait for
// the reader, pass blocks to each other and meet the chain's end in every
// order; a flipped byte makes one of them fail in the middle.
TEST(ReadAhead, ManySmallBlocksComeInFileOrder) {
  TempDir dir;
  int run = 0;
  for (uint8_t kind : {1, 2, 5, 7, 8}) {
    const auto format = kind >= 7 ? d01ozu::InputFormat::kT04 : d01ozu::InputFormat::kT02;
    std::vector<Bytes> blocks = Blocks(kind, 1000);
    ASSERT_GT(blocks.size(), 60u);
    const Bytes sound = Join(blocks);
    blocks[30][blocks[30].size() / 2] ^= 0x5A;
    const Bytes damaged = Join(blocks);
    for (const Bytes* input : {&sound, &damaged}) {
      const std::string one = dir.file("m" + std::to_string(run++));
      ASSERT_TRUE(std::filesystem::create_directory(one));
      const Seen alone = Convert({*input}, format, Mode::kPlain, 1, false, one);
      for (unsigned threads : {2u, 3u}) {
        const std::string more = dir.file("m" + std::to_string(run++));
        ASSERT_TRUE(std::filesystem::create_directory(more));
        const Seen ahead = Convert({*input}, format, Mode::kPlain, threads, true, more);
        const std::string where = "kind " + std::to_string(kind) + ", threads " +
                                  std::to_string(threads) + ", damaged " +
                                  std::to_string(input == &damaged);
        EXPECT_EQ(ahead.status, alone.status) << where;
        EXPECT_EQ(ahead.events, alone.events) << where;
        EXPECT_TRUE(ahead.outputs == alone.outputs) << where;
      }
    }
  }
}

}  // namespace
