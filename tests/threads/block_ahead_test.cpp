// The workers' side of the hand-over, driven directly: every block of a sound
// chain comes back decoded, in file order, and stays intact in its slot until
// a later block is asked for; what the workers do not hold is left to the
// reader. Runs under ThreadSanitizer with the other thread tests.
#include "input/block_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "input/container_layout.h"
#include "testdata/block_container.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A container: a header, then data blocks of kind with a stored block after
// every third (the workers pass over it).
struct Chain {
  Bytes file;
  std::vector<uint64_t> offsets;  // of the data blocks of kind
  std::vector<Bytes> blocks;
  std::vector<Bytes> data;  // what each decodes to
};

void Add(Chain& chain, const Bytes& block) {
  chain.file.insert(chain.file.end(), block.begin(), block.end());
}

Chain MakeChain(uint8_t kind, int count) {
  Chain chain;
  Add(chain, writers::container_header(9, 9, kind >= 7));
  for (int i = 0; i < count; ++i) {
    Bytes data(2000 + 37 * i);
    for (size_t j = 0; j < data.size(); ++j) data[j] = static_cast<uint8_t>(j * (i + 3) >> 4);
    chain.offsets.push_back(chain.file.size());
    chain.blocks.push_back(writers::data_block(kind, data));
    chain.data.push_back(data);
    Add(chain, chain.blocks.back());
    if (i % 3 == 2) Add(chain, writers::data_block(d01ozu::kBlockStored, Bytes(90, 0x55)));
  }
  return chain;
}

std::unique_ptr<d01ozu::BlockAhead> StartOver(const Bytes& file, unsigned workers) {
  std::unique_ptr<d01ozu::InputStream> input(new d01ozu::InputStream);
  input->open_bytes(file.data(), file.size());
  return d01ozu::BlockAhead::Start(std::move(input), 0, workers);
}

TEST(BlockAhead, EveryBlockInFileOrderAndReadInPlace) {
  for (uint8_t kind : {1, 2, 5, 7, 8})
    for (unsigned workers : {1u, 2u, 3u}) {
      const Chain chain = MakeChain(kind, 24);
      auto ahead = StartOver(chain.file, workers);
      ASSERT_TRUE(ahead);
      for (size_t i = 0; i < chain.blocks.size(); ++i) {
        const Bytes& block = chain.blocks[i];
        uint8_t* data = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(ahead->Take(chain.offsets[i], block.data(), block.size(), &data, &length), 1)
            << "kind " << int{kind} << " workers " << workers << " block " << i;
        // The workers run on meanwhile; the slot handed out stays as it was.
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        EXPECT_TRUE(Bytes(data, data + length) == chain.data[i]) << "block " << i;
      }
    }
}

TEST(BlockAhead, WhatTheWorkersDoNotHoldIsLeftToTheReader) {
  Chain chain = MakeChain(d01ozu::kBlockZlib, 9);
  chain.blocks[4].back() ^= 1;  // its checksum no longer matches: the decoder fails
  chain.file[chain.offsets[4] + chain.blocks[4].size() - 1] ^= 1;
  auto ahead = StartOver(chain.file, 2);
  ASSERT_TRUE(ahead);
  uint8_t* data = nullptr;
  uint32_t length = 0;
  const Bytes& first = chain.blocks[0];
  // Not where a block of the chain starts, then not the bytes read there.
  EXPECT_EQ(ahead->Take(chain.offsets[0] - 1, first.data(), first.size(), &data, &length), -1);
  Bytes other = first;
  other[other.size() / 2] ^= 0x10;
  EXPECT_EQ(ahead->Take(chain.offsets[0], other.data(), other.size(), &data, &length), -1);
  const Bytes& second = chain.blocks[1];
  EXPECT_EQ(ahead->Take(chain.offsets[1], second.data(), second.size() - 1, &data, &length), -1);
  // The chain goes on behind them, and a block its decoder refuses says so.
  for (size_t i = 2; i < chain.blocks.size(); ++i) {
    const Bytes& block = chain.blocks[i];
    EXPECT_EQ(ahead->Take(chain.offsets[i], block.data(), block.size(), &data, &length),
              i == 4 ? 0 : 1)
        << "block " << i;
  }
  // Behind the last block the workers have nothing.
  EXPECT_EQ(ahead->Take(chain.file.size(), first.data(), first.size(), &data, &length), -1);
}

TEST(BlockAhead, OnlyForABlockContainer) {
  const Chain chain = MakeChain(d01ozu::kBlockZstd, 2);
  Bytes text(chain.file.size(), 'a');
  EXPECT_FALSE(StartOver(text, 2));
  EXPECT_FALSE(StartOver(chain.file, 0));
  EXPECT_TRUE(StartOver(chain.file, 9));  // more than the most: the most
}

}  // namespace
