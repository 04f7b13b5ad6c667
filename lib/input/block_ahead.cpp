#include "input/block_ahead.h"

#include <cstring>
#include <new>
#include <system_error>

#include "core/byte_cursor.h"
#include "input/block_decoders.h"
#include "input/container_layout.h"
#include "records/expansion_context.h"

namespace d01ozu {

// One block as read, and its decoded data once ready.
struct BlockAhead::Slot {
  uint64_t offset;
  uint32_t total;
  bool ready;  // decoded; guarded by mutex_
  bool ok;
  uint32_t length;
  uint8_t block[kBlockLimit];
  uint8_t data[kT01BufCapacity];
};

// Beside the slot each worker decodes into: the one the reader reads in
// place and one decoded block waiting for it.
constexpr size_t kSlotsBesideWorkers = 2;

std::unique_ptr<BlockAhead> BlockAhead::Start(std::unique_ptr<InputStream> input, uint64_t offset,
                                              unsigned workers) {
  uint8_t probe[kProbeSize];
  if (!input || !input->is_open() || !input->seek(offset)) return nullptr;
  // An input that does not start as a block container is left to the reader.
  if (input->read(probe, kProbeSize) != kProbeSize || !looks_like_block_container(probe) ||
      !input->seek(offset))
    return nullptr;
  std::unique_ptr<BlockAhead> ahead(new (std::nothrow) BlockAhead());
  if (!ahead || workers == 0) return nullptr;
  if (workers > kMaxWorkers) workers = kMaxWorkers;
  ahead->slot_count_ = workers + kSlotsBesideWorkers;
  ahead->slots_.reset(new (std::nothrow) Slot[ahead->slot_count_]);  // not cleared: see ready
  if (!ahead->slots_) return nullptr;
  ahead->input_ = std::move(input);
  ahead->pos_ = offset;
  // No thread to be had leaves the reader on its own.
  return ahead->StartWorkers(workers) > 0 ? std::move(ahead) : nullptr;
}

unsigned BlockAhead::StartWorkers(unsigned workers) {
  unsigned started = 0;
  for (; started < workers; ++started) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++running_;  // before it runs, so that one stopping at once counts down
    }
    try {
      workers_[started] = std::thread(&BlockAhead::Run, this);
    } catch (const std::system_error&) {
      std::lock_guard<std::mutex> lock(mutex_);
      --running_;
      break;  // fewer threads to be had: the ones started do the work
    }
  }
  return started;
}

BlockAhead::~BlockAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_)
    if (worker.joinable()) worker.join();
}

// Reads the blocks from pos_ on until one of a decompressed kind is whole in
// the slot. False at the end of the input or of the chain (a length over the
// limit, a block cut short).
bool BlockAhead::ReadBlock(Slot& s) {
  for (;;) {
    if (input_->read(s.block, kBlockHeaderSize) != kBlockHeaderSize) return false;
    ByteCursor cur(s.block + kBlockLengthOffset, 3);
    const size_t total = cur.be24() + kBlockHeaderSize;
    if (total > kBlockLimit) return false;
    const size_t rest = total - kBlockHeaderSize;
    if (input_->read(s.block + kBlockHeaderSize, rest) != rest) return false;
    s.offset = pos_;
    s.total = static_cast<uint32_t>(total);
    pos_ += total;
    if (DecompressedKind(s.block[kBlockKindOffset])) return true;
  }
}

// Takes the next block of the chain into the free slot behind the taken
// ones, once one is free; nullptr when asked to stop or the chain ended.
// Holding the chain while waiting for a slot keeps the blocks in file order.
BlockAhead::Slot* BlockAhead::Claim() {
  std::lock_guard<std::mutex> chain(chain_mutex_);
  if (chain_ended_) return nullptr;
  size_t tail;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || count_ < slot_count_; });
    if (stop_) return nullptr;
    tail = (head_ + count_) % slot_count_;  // stays the tail while the reader releases
  }
  Slot& s = slots_[tail];  // free: no one else looks at it
  if (!ReadBlock(s)) {
    chain_ended_ = true;
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  s.ready = false;
  ++count_;
  return &s;
}

void BlockAhead::Finish(Slot& s) {
  std::lock_guard<std::mutex> lock(mutex_);
  s.ready = true;
  changed_.notify_all();
}

// A worker: claims blocks and decodes each in its slot, outside the locks.
void BlockAhead::Run() {
  while (Slot* s = Claim()) {
    const int kind = s->block[kBlockKindOffset];
    const uint8_t* body;
    size_t size;
    BlockBody(kind, s->block, s->total, &body, &size);
    s->ok = DecompressBlock(kind, body, size, s->data, kT01BufCapacity, &s->length);
    Finish(*s);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  --running_;
  changed_.notify_all();
}

void BlockAhead::ReleaseHead() {
  head_ = (head_ + 1) % slot_count_;
  --count_;
  changed_.notify_all();
}

// Releases the slots before origin and returns the decoded slot at or after
// it; nullptr when the block ahead starts after origin or the workers have
// stopped without one. A slot still decoding is waited for, even one
// before origin: its worker writes to it until then.
BlockAhead::Slot* BlockAhead::WaitForHead(uint64_t origin) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (count_ > 0) {
      Slot& s = slots_[head_];
      if (s.ready && s.offset < origin) {
        ReleaseHead();
        continue;
      }
      if (s.ready) return &s;
      if (s.offset > origin) return nullptr;
    } else if (running_ == 0) {
      return nullptr;
    }
    changed_.wait(lock);
  }
}

int BlockAhead::Take(uint64_t origin, const uint8_t* block, size_t total, uint8_t** data,
                     uint32_t* length) {
  Slot* s = WaitForHead(origin);
  // The head slot stays the reader's until a later origin releases it.
  if (!s || s->offset != origin || s->total != total || std::memcmp(s->block, block, total) != 0)
    return -1;
  *data = s->data;
  *length = s->length;
  return s->ok ? 1 : 0;
}

}  // namespace d01ozu
