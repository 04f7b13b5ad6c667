// Su decoding ahead of the packet framer on a worker thread.
//
// In a packet stream the su decoder's position depends on the coded bytes
// alone: the framer decodes every input byte once and in order, never resets
// the position, and an end symbol returns it to the root whether the framer
// reports the symbol or skips it. So the worker can decode its own view of
// the input from where the records begin, slot by slot, into a small ring:
// each slot keeps the coded bytes, the decoded bytes (end symbols skipped)
// and, per coded byte, where its output ends and the tree node it ends on.
//
// The reader stays the only judge of the input. It asks for the decoding of
// the bytes at its own offset and takes the worker's result only when the
// slot holds that offset, the node before it equals the reader's own and the
// coded bytes it takes are byte for byte the reader's; anything else it
// decodes itself, as it would without a worker.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "input/input_stream.h"

namespace d01ozu {

class SuAhead {
 public:
  // Starts the worker over input from offset, where the decoder stands at the
  // root; nullptr when it cannot run.
  static std::unique_ptr<SuAhead> Start(std::unique_ptr<InputStream> input, uint64_t offset);
  ~SuAhead();  // stops the worker and waits for it
  SuAhead(const SuAhead&) = delete;
  SuAhead& operator=(const SuAhead&) = delete;

  // As the framer's own decoding of whole bytes of in[0..n), the reader's
  // bytes at file offset, from node (updated) until out reaches frame_end:
  // appends their output at out (moved on; the last byte may add symbols
  // past frame_end) and returns the bytes used, which stop early at the end
  // of a slot (the caller asks again). Returns 0, with nothing changed, when
  // the worker has no result that matches: the caller decodes itself, and
  // from then on always. Slots before offset are released.
  size_t DecodeUntil(uint64_t offset, const uint8_t* in, size_t n, uint8_t& node, uint8_t*& out,
                     const uint8_t* frame_end);

 private:
  struct Slot;
  static constexpr size_t kSlots = 4;

  SuAhead() = default;
  void Run();
  bool FillSlot(Slot& slot, uint64_t* pos, uint8_t* node, uint8_t* redo);
  const Slot* SlotAt(uint64_t offset);

  std::unique_ptr<InputStream> input_;
  std::unique_ptr<Slot[]> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t head_ = 0, count_ = 0;  // the filled slots, in file order
  bool done_ = false;            // the worker has stopped
  bool stop_ = false;            // asked to stop
  const Slot* held_ = nullptr;   // the slot the reader reads from (reader only)
  bool lost_ = false;            // no result of the worker fits the reader (reader only)
  std::thread worker_;
};

}  // namespace d01ozu
