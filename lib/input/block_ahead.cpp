#include "input/block_ahead.h"

#include <cstring>
#include <new>
#include <system_error>

#include "core/byte_cursor.h"
#include "input/block_decoders.h"
#include "input/container_layout.h"
#include "records/expansion_context.h"

namespace d01ozu {

// One block as read, and its decoded data.
struct BlockAhead::Slot {
  uint64_t offset;
  uint32_t total;
  bool ok;
  uint32_t length;
  uint8_t block[kBlockLimit];
  uint8_t data[kT01BufCapacity];
};

std::unique_ptr<BlockAhead> BlockAhead::Start(std::unique_ptr<InputStream> input, uint64_t offset) {
  if (!input || !input->is_open() || !input->seek(offset)) return nullptr;
  std::unique_ptr<BlockAhead> ahead(new (std::nothrow) BlockAhead());
  if (!ahead) return nullptr;
  ahead->slots_.reset(new (std::nothrow) Slot[kSlots]);  // not cleared: read below counts only
  if (!ahead->slots_) return nullptr;
  ahead->input_ = std::move(input);
  try {
    ahead->worker_ = std::thread(&BlockAhead::Run, ahead.get());
  } catch (const std::system_error&) {
    return nullptr;  // no thread to be had: the reader decodes on its own
  }
  return ahead;
}

BlockAhead::~BlockAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

// Reads the blocks from *pos on until one of a decompressed kind is whole in
// the slot, and decodes it. False at the end of the input or of the chain
// (a length over the limit, a block cut short).
bool BlockAhead::FillSlot(Slot& s, uint64_t* pos) {
  for (;;) {
    if (input_->read(s.block, kBlockHeaderSize) != kBlockHeaderSize) return false;
    ByteCursor cur(s.block + kBlockLengthOffset, 3);
    const size_t total = cur.be24() + kBlockHeaderSize;
    if (total > kBlockLimit) return false;
    const size_t rest = total - kBlockHeaderSize;
    if (input_->read(s.block + kBlockHeaderSize, rest) != rest) return false;
    s.offset = *pos;
    s.total = static_cast<uint32_t>(total);
    *pos += total;
    const int kind = s.block[kBlockKindOffset];
    if (!DecompressedKind(kind)) continue;
    const uint8_t* body;
    size_t size;
    BlockBody(kind, s.block, total, &body, &size);
    s.ok = DecompressBlock(kind, body, size, s.data, kT01BufCapacity, &s.length);
    return true;
  }
}

// The worker: fills the free slot behind the filled ones while one is free.
// An input that does not start as a block container is left alone.
void BlockAhead::Run() {
  uint64_t pos = input_->tell();
  uint8_t probe[kProbeSize];
  const bool container =
      input_->read(probe, kProbeSize) == kProbeSize && looks_like_block_container(probe);
  input_->seek(pos);
  for (bool filled = container; filled;) {
    size_t tail;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return stop_ || count_ < kSlots; });
      if (stop_) break;
      tail = (head_ + count_) % kSlots;
    }
    filled = FillSlot(slots_[tail], &pos);  // the reader never looks at a free slot
    std::lock_guard<std::mutex> lock(mutex_);
    if (filled) ++count_;
    changed_.notify_all();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = true;
  changed_.notify_all();
}

// Releases the slots before origin and waits for a slot at or after it;
// nullptr once the worker has stopped without one.
BlockAhead::Slot* BlockAhead::WaitForHead(uint64_t origin) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    while (count_ > 0 && slots_[head_].offset < origin) {
      head_ = (head_ + 1) % kSlots;
      --count_;
      changed_.notify_all();
    }
    if (count_ > 0) return &slots_[head_];
    if (done_) return nullptr;
    changed_.wait(lock);
  }
}

void BlockAhead::Release() {
  std::lock_guard<std::mutex> lock(mutex_);
  head_ = (head_ + 1) % kSlots;
  --count_;
  changed_.notify_all();
}

int BlockAhead::Take(uint64_t origin, const uint8_t* block, size_t total, uint8_t* out,
                     size_t capacity, uint32_t* length) {
  const Slot* s = WaitForHead(origin);
  // The head slot stays the reader's until it is released.
  if (!s || s->offset != origin || s->total != total || std::memcmp(s->block, block, total) != 0)
    return -1;
  const bool ok = s->ok;
  const uint32_t n = s->length <= capacity ? s->length : 0;
  if (ok) std::memcpy(out, s->data, n);
  *length = n;
  Release();
  return ok ? 1 : 0;
}

}  // namespace d01ozu
