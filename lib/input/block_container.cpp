#include "input/block_container.h"

#include <cstring>

#include "core/byte_cursor.h"
#include "core/diagnostics.h"
#include "core/frame_rules.h"
#include "input/block_ahead.h"
#include "input/block_decoders.h"
#include "input/container_layout.h"
#include "input/packet_framer.h"

namespace d01ozu {

namespace {

// What parsing the block at the front of the block buffer came to.
enum class BlockOutcome {
  kNeedMore,  // the block is not whole yet
  kDecoded,   // data block decoded into t01buf and removed
  kNoRecord,  // header block accepted and removed
  kRefused,   // block removed unread, status set
  kFailed,    // too long, or its decoder failed: status set, block left in place
};

constexpr size_t kResyncGiveUp = 4096;  // positions searched before old bytes go

uint32_t block_body_length(const uint8_t* block) {
  ByteCursor cur(block + kBlockLengthOffset, 3);
  return cur.be24();
}

void drop_block_bytes(ExpansionContext& c, size_t n) {
  if (n > c.block_count) n = c.block_count;
  std::memmove(c.block, c.block + n, c.block_count - n);
  c.block_count = static_cast<uint32_t>(c.block_count - n);
}

void empty_t01buf(ExpansionContext& c) {
  c.t01_length = 0;
  c.t01_pos = 0;
  c.pending = false;
}

// Decodes a block of a decompressed kind: t01buf becomes the read-ahead's
// slot when it has this very block (read in place until the next block),
// the decoder fills the reader's own t01buf otherwise.
bool decompress(ExpansionContext& c, int kind, size_t total) {
  if (c.ahead) {
    const uint64_t origin = c.input_pos - c.block_count;
    uint8_t* data = nullptr;
    const int taken = c.ahead->Take(origin, c.block, total, &data, &c.t01_length);
    if (taken == 1) c.t01buf = data;
    if (taken >= 0) return taken == 1;
  }
  const uint8_t* body;
  size_t size;
  BlockBody(kind, c.block, total, &body, &size);
  return DecompressBlock(kind, body, size, c.t01buf, kT01BufCapacity, &c.t01_length);
}

ReaderStatus failure_status(int kind) {
  switch (kind) {
    case kBlockZlib:
      return kReaderZlibFailed;
    case kBlockBrotli:
      return kReaderBrotliFailed;
    case kBlockZstd:
      return kReaderZstdFailed;
    default:
      return kReaderBlockTooLong;  // bzip2
  }
}

// Kind 0: keeps its bytes and accepts it when its version is at most 909.
BlockOutcome take_header(ExpansionContext& c, size_t total, ReaderStatus* status) {
  ByteCursor cur(c.block, total);
  ContainerHeader& h = c.header;
  cur.seek(kHeaderKept10);
  h.kept10 = cur.u8();
  h.kept11 = cur.u8();
  uint8_t flag_value = cur.u8();
  h.flag = flag_value >> 7;
  h.value = flag_value & 0x7F;
  h.kept13 = cur.u8();
  h.major = cur.u8();
  h.minor = cur.u8();
  h.kept16 = cur.u8();
  drop_block_bytes(c, total);
  c.header_seen = h.major * 100 + h.minor <= kHighestHeaderVersion;
  if (c.header_seen) return BlockOutcome::kNoRecord;
  *status = kReaderBadVersion;
  return BlockOutcome::kRefused;
}

// Decodes the whole data block of total bytes at the front of the buffer.
BlockOutcome decode_data_block(ExpansionContext& c, int kind, size_t total, ReaderStatus* status) {
  const uint8_t* body;
  size_t size;
  BlockBody(kind, c.block, total, &body, &size);
  empty_t01buf(c);
  c.t01buf = c.buffers->t01buf;  // the reader's own until the read-ahead lends a slot
  if (kind == kBlockStored) {
    std::memcpy(c.t01buf, body, size);  // size < kBlockLimit == capacity
    c.t01_length = static_cast<uint32_t>(size);
  } else if (kind == kBlockSuCoded) {
    long n = su_decode_run(*su_tables(), c.su, body, size, c.t01buf, kT01BufCapacity);
    if (n < 0) {  // more than t01buf holds: the block is dropped whole
      drop_block_bytes(c, total);
      *status = kReaderBlockTooLong;
      return BlockOutcome::kRefused;
    }
    c.t01_length = static_cast<uint32_t>(n);
  } else if (!decompress(c, kind, total)) {
    empty_t01buf(c);
    *status = failure_status(kind);
    return BlockOutcome::kFailed;
  }
  drop_block_bytes(c, total);
  c.decoded_kind = kind;
  return BlockOutcome::kDecoded;
}

// Parses the block at the front of the block buffer and decodes it when whole.
// Refused blocks (kinds 6 and 9 up, a header of unsupported version, data
// while such a header is in force) are removed so they are never parsed again.
BlockOutcome parse_block(ExpansionContext& c, ReaderStatus* status) {
  if (c.block_count <= kBlockHeaderSize) return BlockOutcome::kNeedMore;
  size_t total = block_body_length(c.block) + kBlockHeaderSize;
  if (total > kBlockLimit) {
    *status = kReaderBlockTooLong;
    empty_t01buf(c);
    return BlockOutcome::kFailed;
  }
  if (c.block_count < total) return BlockOutcome::kNeedMore;
  int kind = c.block[kBlockKindOffset];
  if (kind == kBlockHeader) return take_header(c, total, status);
  if (kind >= kBlockFirstUnknown || kind == kBlockScrambled || !c.header_seen) {
    *status = kind >= kBlockFirstUnknown ? kReaderRefused
              : kind == kBlockScrambled  ? kReaderScrambledBlock
                                         : kReaderBadVersion;
    drop_block_bytes(c, total);
    return BlockOutcome::kRefused;
  }
  return decode_data_block(c, kind, total, status);
}

// The kind whose start matches at position p (p + 10 <= count), or -1.
int signature_at(const ExpansionContext& c, size_t p) {
  const uint8_t* at = c.block + p;
  int kind = at[kBlockKindOffset];
  if (kind > kBlockFirstUnknown) return -1;
  const BlockSignature& sig = kBlockSignatures[kind];
  if (std::memcmp(at + kBlockSignatureOffset, sig.bytes, sig.size) != 0) return -1;
  if (block_body_length(at) + kBlockHeaderSize > kBlockLimit) return -1;
  return kind;
}

// Runs the search over the positions not yet examined. True when it ended
// with a decoded data block (status 18, its records ready in t01buf).
bool resync_search(ExpansionContext& c, ReaderStatus* status) {
  while (c.resynchronising && c.resync_next + kProbeSize <= c.block_count) {
    size_t p = c.resync_next;
    ++c.resync_scanned;
    if (signature_at(c, p) < 0) {
      ++c.resync_next;
      continue;
    }
    drop_block_bytes(c, p);
    switch (parse_block(c, status)) {
      case BlockOutcome::kNeedMore:
        c.resynchronising = false;
        return false;
      case BlockOutcome::kDecoded:
        c.resynchronising = false;
        *status = kReaderResynchronised;
        return true;
      case BlockOutcome::kFailed:
        c.resync_next = 1;
        break;
      default:  // removed: the search goes on with the bytes behind it
        c.resync_next = 0;
    }
  }
  if (c.resynchronising && c.resync_scanned > kResyncGiveUp && c.block_count > kProbeSize) {
    size_t drop = c.block_count - kProbeSize;
    drop_block_bytes(c, drop);
    c.resync_next = c.resync_next > drop ? static_cast<uint32_t>(c.resync_next - drop) : 0;
    c.resync_scanned = 0;
  }
  return false;
}

bool start_resync(ExpansionContext& c, ReaderStatus* status) {
  c.resynchronising = true;
  c.resync_next = 1;
  c.resync_scanned = 0;
  return resync_search(c, status);
}

// Copies the n bytes at the read position into the RawRecord as a frame of
// total bytes. Records stored without STX go to offset 1 behind a new STX,
// get their total length written back, an ETX unless exempt, and zero
// checksum bytes.
void copy_record(ExpansionContext& c, bool with_stx, uint8_t type, size_t n, size_t total) {
  clear_raw_record(c.record);
  std::memcpy(c.record.data + (with_stx ? 0 : 1), c.t01buf + c.t01_pos, n);
  c.record.length = static_cast<uint16_t>(total);
  if (with_stx) return;
  c.record.data[kRawStxOffset] = kStx;
  write_raw_frame_length(c.record.data, type, static_cast<int>(total));
  if (!raw_type_checksum_exempt(type)) c.record.data[total - 1] = kEtx;
}

// Reads the next record from t01buf into the RawRecord (see BlockStep).
int extract_record(ExpansionContext& c, ReaderStatus* status) {
  if (c.t01_length == 0) return 0;
  const bool with_stx = block_records_with_stx(c.decoded_kind);
  const size_t offset = with_stx ? 0 : 1;
  // With STX the length sits at byte 1; without it the record starts there.
  ByteCursor cur(c.t01buf + c.t01_pos, c.t01_length - c.t01_pos);
  cur.skip(with_stx ? 1 : 0);
  uint8_t length_byte = cur.u8(), type = cur.u8(), high_byte = cur.u8();
  size_t n = static_cast<size_t>(raw_frame_length(type, length_byte, high_byte));
  size_t total = with_stx ? n : n + (raw_type_checksum_exempt(type) ? 3 : 4);
  if (n + offset > kRawRecordCapacity || total > kRawRecordCapacity || n > cur.size()) {
    diagnostic(c.diagnostics, "t01buf length overflow %d %d %d\n", static_cast<int>(offset),
               static_cast<int>(n), static_cast<int>(kRawRecordCapacity));
    *status = kReaderBadLength;
    empty_t01buf(c);
    return 255;
  }
  copy_record(c, with_stx, type, n, total);
  if (n == 0) {
    diagnostic(c.diagnostics, "Warning: 0-length raw record type %d\n", type);
    *status = kReaderBadLength;
    empty_t01buf(c);
    return 255;
  }
  c.t01_pos = static_cast<uint32_t>(c.t01_pos + n);
  if (c.t01_pos < c.t01_length)
    c.pending = true;
  else
    empty_t01buf(c);
  c.record_origin = c.decoded_kind;
  c.record_checked = false;
  return c.record.data[kRawTypeOffset];
}

// Record extraction followed by the record-35 page assembly.
int deliver(ExpansionContext& c, ReaderStatus* status) {
  int type = extract_record(c, status);
  if (type == 0) return 0;
  return AssembleRecord35(c.record35, c.record35_content.get(), c.record.data, c.record.length,
                          type, status);
}

void append_block_byte(ExpansionContext& c, uint8_t byte) {
  if (c.block_count == kBlockBufferSize) drop_block_bytes(c, 1);  // cannot happen; stays bounded
  c.block[c.block_count++] = byte;
}

}  // namespace

bool BlockReady(const ExpansionContext& c) {
  if (c.pending) return true;
  if (c.resynchronising || c.block_count <= kBlockHeaderSize) return false;
  size_t total = block_body_length(c.block) + kBlockHeaderSize;
  return total > kBlockLimit || c.block_count >= total;
}

int BlockStep(ExpansionContext& c, int byte, ReaderStatus* status) {
  if (byte != kNoByte) {
    append_block_byte(c, static_cast<uint8_t>(byte));
  } else if (c.pending) {
    return deliver(c, status);
  }
  if (c.resynchronising) {
    if (byte == kNoByte || !resync_search(c, status)) return 0;
    return deliver(c, status);
  }
  switch (parse_block(c, status)) {
    case BlockOutcome::kDecoded:
      return deliver(c, status);
    case BlockOutcome::kRefused:
      return -1;
    case BlockOutcome::kFailed:
      return start_resync(c, status) ? deliver(c, status) : -1;
    default:
      return 0;
  }
}

void BlockFill(ExpansionContext& c, InputStream& input) {
  if (c.pending || c.resynchronising || c.block_count <= kBlockHeaderSize) return;
  size_t total = block_body_length(c.block) + kBlockHeaderSize;
  if (total > kBlockLimit || c.block_count + 1 >= total) return;
  size_t want = total - 1 - c.block_count;
  c.block_count = static_cast<uint32_t>(c.block_count + input.read(c.block + c.block_count, want));
}

void BlockStart(ExpansionContext& c, const uint8_t* first, size_t n) {
  c.t01buf = c.buffers->t01buf;  // no slot of an earlier input's read-ahead
  std::memcpy(c.block, first, n);
  c.block_count = static_cast<uint32_t>(n);
}

}  // namespace d01ozu
