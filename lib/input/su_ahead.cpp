#include "input/su_ahead.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

#include "input/container_layout.h"
#include "input/su_code.h"
#include "records/expansion_context.h"

namespace d01ozu {

namespace {

// Coded bytes per slot: enough that the hand-over costs little per byte,
// small enough that the ring stays near a megabyte.
constexpr size_t kSlotInput = 32 * 1024;

// A whole slot is decoded as lanes side by side, so that the table lookups
// of one lane need not wait for those of another: each lane after the first
// starts from a guess (the root) and is put right once the node the lane
// before it ends on is known. Each lane's output has room of its own.
constexpr size_t kLanes = 4;
constexpr size_t kLaneInput = kSlotInput / kLanes;
static_assert(kSlotInput % kLanes == 0, "the lanes cover a whole slot");
constexpr size_t kLaneOutput = 3 * kLaneInput + 1;  // each byte stores four, keeps at most three

}  // namespace

// A run of coded bytes as read and their decoding: out_end[i] is the count
// of decoded bytes through coded byte i, node_after[i] the node it ends on.
struct SuAhead::Slot {
  uint64_t offset;
  uint32_t count;
  uint8_t node_in;  // the node before in[0]
  uint8_t in[kSlotInput];
  uint8_t node_after[kSlotInput];
  uint32_t out_end[kSlotInput];
  uint8_t out[kLanes * kLaneOutput];
};

namespace {

// Decodes in[0..n) from node as the framer does (end symbols skipped),
// keeping where each byte's output ends and the node after it.
void decode_marked(const SuTables& tables, uint8_t node, const uint8_t* in, size_t n,
                   uint8_t* out_start, uint32_t* out_end, uint8_t* node_after) {
  size_t state = node;
  uint8_t* out = out_start;
  for (size_t i = 0; i < n; ++i) {
    out += su_store_byte(tables, state, in[i], out);
    out_end[i] = static_cast<uint32_t>(out - out_start);
    node_after[i] = static_cast<uint8_t>(state);
  }
}

// Decodes the kLanes lanes of in side by side as decode_marked does, lane 0
// from node and the others from the root, lane j's output at out + j *
// kLaneOutput with out_end counted from there.
void decode_lanes(const SuTables& tables, uint8_t node, const uint8_t* in, uint8_t* out,
                  uint32_t* out_end, uint8_t* node_after) {
  size_t state[kLanes];
  uint32_t produced[kLanes] = {};
  for (size_t j = 0; j < kLanes; ++j) state[j] = j == 0 ? node : tables.root_internal;
  for (size_t i = 0; i < kLaneInput; ++i) {
    for (size_t j = 0; j < kLanes; ++j) {
      const size_t b = j * kLaneInput + i;
      produced[j] += su_store_byte(tables, state[j], in[b], out + j * kLaneOutput + produced[j]);
      out_end[b] = produced[j];
      node_after[b] = static_cast<uint8_t>(state[j]);
    }
  }
}

// Puts lane j (j >= 1) right and in place, its output moved to out + end
// behind the lanes before it: redecodes its bytes from the node the lane
// before really ends on until the redecoding ends a byte on the node the
// guess ended it on (from there the two are the same), then moves the rest
// of the guessed output behind the redecoded. redo holds kLaneOutput bytes.
// Returns the new end of the output.
uint32_t join_lane(const SuTables& tables, size_t j, const uint8_t* in, uint8_t* out,
                   uint32_t* out_end, uint8_t* node_after, uint8_t* redo, uint32_t end) {
  const size_t first = j * kLaneInput, last = first + kLaneInput;
  size_t state = node_after[first - 1];
  uint32_t redone = 0, guessed_from = 0;
  size_t i = first;
  while (i < last) {
    redone += su_store_byte(tables, state, in[i], redo + redone);
    const bool met = state == node_after[i];
    guessed_from = out_end[i];
    out_end[i] = end + redone;
    node_after[i++] = static_cast<uint8_t>(state);
    if (met) break;
  }
  const uint32_t tail = i < last ? out_end[last - 1] - guessed_from : 0;
  std::memmove(out + end + redone, out + j * kLaneOutput + guessed_from, tail);
  std::memcpy(out + end, redo, redone);
  for (; i < last; ++i) out_end[i] += end + redone - guessed_from;
  return end + redone + tail;
}

}  // namespace

std::unique_ptr<SuAhead> SuAhead::Start(std::unique_ptr<InputStream> input, uint64_t offset) {
  if (!su_tables() || !input || !input->is_open() || !input->seek(offset)) return nullptr;
  std::unique_ptr<SuAhead> ahead(new (std::nothrow) SuAhead());
  if (!ahead) return nullptr;
  ahead->slots_.reset(new (std::nothrow) Slot[kSlots]);  // not cleared: read below counts only
  if (!ahead->slots_) return nullptr;
  ahead->input_ = std::move(input);
  try {
    ahead->worker_ = std::thread(&SuAhead::Run, ahead.get());
  } catch (const std::system_error&) {
    return nullptr;  // no thread to be had: the reader decodes on its own
  }
  return ahead;
}

SuAhead::~SuAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

// Reads the next run of coded bytes into the slot and decodes it from *node
// (redo: kLaneOutput bytes of room); *pos and *node move past it. False at
// the end of the input.
bool SuAhead::FillSlot(Slot& s, uint64_t* pos, uint8_t* node, uint8_t* redo) {
  const size_t n = input_->read(s.in, kSlotInput);
  if (n == 0) return false;
  s.offset = *pos;
  s.count = static_cast<uint32_t>(n);
  s.node_in = *node;
  const SuTables& tables = *su_tables();
  if (n < kSlotInput) {
    decode_marked(tables, *node, s.in, n, s.out, s.out_end, s.node_after);
  } else {
    decode_lanes(tables, *node, s.in, s.out, s.out_end, s.node_after);
    uint32_t end = s.out_end[kLaneInput - 1];
    for (size_t j = 1; j < kLanes; ++j)
      end = join_lane(tables, j, s.in, s.out, s.out_end, s.node_after, redo, end);
  }
  *pos += n;
  *node = s.node_after[n - 1];
  return true;
}

// The worker: fills the free slot behind the filled ones while one is free.
// An input that starts as a block container is no packet stream: left alone.
void SuAhead::Run() {
  uint64_t pos = input_->tell();
  uint8_t probe[kProbeSize];
  const bool container =
      input_->read(probe, kProbeSize) == kProbeSize && looks_like_block_container(probe);
  input_->seek(pos);
  uint8_t node = su_tables()->root_internal;
  std::unique_ptr<uint8_t[]> redo(new (std::nothrow) uint8_t[kLaneOutput]);
  for (bool filled = !container && redo; filled;) {
    size_t tail;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return stop_ || count_ < kSlots; });
      if (stop_) break;
      tail = (head_ + count_) % kSlots;
    }
    // The reader never looks at a free slot.
    filled = FillSlot(slots_[tail], &pos, &node, redo.get());
    std::lock_guard<std::mutex> lock(mutex_);
    if (filled) ++count_;
    changed_.notify_all();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = true;
  changed_.notify_all();
}

// The filled slot that holds offset, waiting for the worker when it has not
// got that far; the slots before it are released. nullptr when no slot will
// hold it. The slot returned stays the reader's until a later call.
const SuAhead::Slot* SuAhead::SlotAt(uint64_t offset) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    while (count_ > 0 && slots_[head_].offset + slots_[head_].count <= offset) {
      head_ = (head_ + 1) % kSlots;
      --count_;
      changed_.notify_all();
    }
    if (count_ > 0) break;
    if (done_) return nullptr;
    changed_.wait(lock);
  }
  const Slot& s = slots_[head_];
  return offset >= s.offset ? &s : nullptr;
}

size_t SuAhead::DecodeUntil(uint64_t offset, const uint8_t* in, size_t n, uint8_t& node,
                            uint8_t*& out, const uint8_t* frame_end) {
  if (lost_ || n == 0 || out >= frame_end) return 0;
  if (!held_ || offset < held_->offset || offset - held_->offset >= held_->count)
    held_ = SlotAt(offset);
  const Slot* s = held_;
  const size_t p = s ? static_cast<size_t>(offset - s->offset) : 0;
  if (!s || (p == 0 ? s->node_in : s->node_after[p - 1]) != node) {
    lost_ = true;  // the worker's decoding cannot be the reader's from here on
    return 0;
  }
  // The bytes used run through the first whose output reaches frame_end, or
  // through all the slot and the reader have.
  const uint32_t begin = p == 0 ? 0 : s->out_end[p - 1];
  const uint32_t* first = s->out_end + p;
  const uint32_t* last = first + std::min<size_t>(n, s->count - p);
  const uint32_t* reach =
      std::lower_bound(first, last, begin + static_cast<uint32_t>(frame_end - out));
  const size_t used = static_cast<size_t>((reach == last ? last : reach + 1) - first);
  if (std::memcmp(in, s->in + p, used) != 0) {
    lost_ = true;
    return 0;
  }
  const uint32_t end = s->out_end[p + used - 1];
  std::memcpy(out, s->out + begin, end - begin);
  out += end - begin;
  node = s->node_after[p + used - 1];
  return used;
}

}  // namespace d01ozu
