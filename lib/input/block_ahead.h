// Decompression ahead of the reader on worker threads. The workers walk the
// block chain of their own view of the input, block header to block header,
// one at a time: each takes the next block of a decompressed kind into the
// next slot of a small ring and decodes it there while the next worker takes
// the block after it, so blocks decode side by side and the ring holds them
// in file order. The reader stays the only judge of the input: it asks for
// the block at a file offset and takes a slot only when it holds that offset
// and byte for byte the same block, so what it decodes is exactly what it
// would have decoded itself. Anything else (damage, resynchronisation, a
// chain the workers lost) is decoded in place.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "input/input_stream.h"

namespace d01ozu {

class BlockAhead {
 public:
  static constexpr unsigned kMaxWorkers = 3;  // each holds a slot and a decoder: peak memory

  // Starts workers (1 to kMaxWorkers) over input from offset; nullptr when
  // none can run.
  static std::unique_ptr<BlockAhead> Start(std::unique_ptr<InputStream> input, uint64_t offset,
                                           unsigned workers);
  ~BlockAhead();  // stops the workers and waits for them
  BlockAhead(const BlockAhead&) = delete;
  BlockAhead& operator=(const BlockAhead&) = delete;

  // The workers' result for the total bytes of block at file offset origin:
  // 1 decoded (*data and *length set; the bytes stay the reader's to read in
  // place until the next call), 0 its decoder failed, -1 no such block ahead
  // (the caller decodes it). Origins rise from call to call; slots before
  // origin are released.
  int Take(uint64_t origin, const uint8_t* block, size_t total, uint8_t** data, uint32_t* length);

 private:
  struct Slot;

  BlockAhead() = default;
  unsigned StartWorkers(unsigned workers);
  void Run();
  Slot* Claim();
  bool ReadBlock(Slot& slot);
  void Finish(Slot& slot);
  Slot* WaitForHead(uint64_t origin);
  void ReleaseHead();

  // The chain: one worker at a time reads from the input.
  std::mutex chain_mutex_;
  std::unique_ptr<InputStream> input_;
  uint64_t pos_ = 0;          // offset of the next block header
  bool chain_ended_ = false;  // no block can follow

  // The ring: slots [head_, head_ + count_) are taken, in file order; the
  // reader looks only at ready ones, a worker only at the one it claimed.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::unique_ptr<Slot[]> slots_;
  size_t slot_count_ = 0;
  size_t head_ = 0, count_ = 0;
  unsigned running_ = 0;  // workers not yet stopped
  bool stop_ = false;     // asked to stop
  std::thread workers_[kMaxWorkers];
};

}  // namespace d01ozu
