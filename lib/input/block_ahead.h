// Decompression ahead of the reader on a worker thread. The worker walks the
// block chain of its own view of the input, block header to block header,
// and decodes every block of a decompressed kind into a small ring of slots,
// in file order. The reader stays the only judge of the input: it asks for
// the block at a file offset and takes the worker's result only when the
// slot holds that offset and byte for byte the same block, so what it
// decodes is exactly what it would have decoded itself. Anything else
// (damage, resynchronisation, a chain the worker lost) is decoded in place.
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
  // Starts the worker over input from offset; nullptr when it cannot run.
  static std::unique_ptr<BlockAhead> Start(std::unique_ptr<InputStream> input, uint64_t offset);
  ~BlockAhead();  // stops the worker and waits for it
  BlockAhead(const BlockAhead&) = delete;
  BlockAhead& operator=(const BlockAhead&) = delete;

  // The worker's result for the total bytes of block at file offset origin:
  // 1 decoded into out (*length set), 0 its decoder failed, -1 no such
  // block ahead (the caller decodes it). Slots before origin are released.
  int Take(uint64_t origin, const uint8_t* block, size_t total, uint8_t* out, size_t capacity,
           uint32_t* length);

 private:
  struct Slot;
  static constexpr size_t kSlots = 3;

  BlockAhead() = default;
  void Run();
  bool FillSlot(Slot& slot, uint64_t* pos);
  Slot* WaitForHead(uint64_t origin);
  void Release();

  std::unique_ptr<InputStream> input_;
  std::unique_ptr<Slot[]> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t head_ = 0, count_ = 0;  // the filled slots, in file order
  bool done_ = false;            // the worker has stopped
  bool stop_ = false;            // asked to stop
  std::thread worker_;
};

}  // namespace d01ozu
