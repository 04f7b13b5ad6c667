#include "input/packet_framer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/frame_rules.h"
#include "input/su_ahead.h"

namespace d01ozu {

namespace {

uint8_t* live(PacketFramer& f) {
  return f.buf + f.start;
}

// Drops bytes from the front until the buffer is empty or starts with STX.
void drop_to_stx(PacketFramer& f) {
  const uint8_t* p = live(f);
  if (f.count == 0 || p[0] == kStx) return;
  const void* stx = f.count ? std::memchr(p, kStx, f.count) : nullptr;
  uint16_t skip = stx ? static_cast<uint16_t>(static_cast<const uint8_t*>(stx) - p) : f.count;
  f.start = static_cast<uint16_t>(f.start + skip);
  f.count = static_cast<uint16_t>(f.count - skip);
  if (f.count == 0) f.start = 0;
}

void drop_front(PacketFramer& f, uint16_t n) {
  f.start = static_cast<uint16_t>(f.start + n);
  f.count = static_cast<uint16_t>(f.count - n);
  if (f.count == 0) f.start = 0;
}

// Makes room for n more bytes (at most a frame's worth) behind the live bytes.
void make_room(PacketFramer& f, size_t n = kSuMaxOutputPerByte) {
  if (f.start + f.count + n <= sizeof f.buf) return;
  std::memmove(f.buf, live(f), f.count);
  f.start = 0;
}

// Appends the output of one input byte. Returns kSuEndMet for an end symbol
// in su-coded mode (nothing appended), else the number of bytes appended.
int append_byte(ExpansionContext& c, StreamMode mode, uint8_t byte) {
  PacketFramer& f = c.framer;
  make_room(f);
  uint8_t* end = live(f) + f.count;
  int n = 1;
  if (mode == StreamMode::kPlain)
    *end = byte;
  else
    n = su_decode_byte(*su_tables(), c.su, byte, end);
  if (n > 0) f.count = static_cast<uint16_t>(f.count + n);
  return n;
}

// Frame length from the header of the held frame (at least 4 bytes held).
int held_frame_length(PacketFramer& f) {
  const uint8_t* p = live(f);
  return raw_frame_length(p[kRawTypeOffset], p[kRawLengthOffset], p[kRawLengthHighOffset]);
}

bool bad_length(int length) {
  return length == 0 || length > static_cast<int>(kRawRecordCapacity);
}

// Moves the whole held frame of length bytes into the RawRecord.
int deliver(ExpansionContext& c, int length) {
  PacketFramer& f = c.framer;
  clear_raw_record(c.record);
  std::memcpy(c.record.data, live(f), static_cast<size_t>(length));
  c.record.length = static_cast<uint16_t>(length);
  int type = c.record.data[kRawTypeOffset];
  drop_front(f, static_cast<uint16_t>(length));
  return type;
}

}  // namespace

bool FramerReady(ExpansionContext& c) {
  PacketFramer& f = c.framer;
  drop_to_stx(f);
  if (f.count < kRawHeaderSize) return false;
  int length = held_frame_length(f);
  return bad_length(length) || f.count >= length;
}

// Collecting (held frame started, offered byte appended) or between packets.
int FramerStep(ExpansionContext& c, StreamMode mode, int byte, ReaderStatus* status) {
  PacketFramer& f = c.framer;
  drop_to_stx(f);
  if (f.count < kRawHeaderSize) {
    if (byte == kNoByte) return 0;
    if (append_byte(c, mode, static_cast<uint8_t>(byte)) != kSuEndMet) return 0;
    *status = kReaderEndSymbol;
    return -1;
  }
  int length = held_frame_length(f);
  if (bad_length(length)) {
    drop_front(f, 1);
    *status = kReaderBadLength;
    return -1;
  }
  if (f.count < length && byte != kNoByte) {
    append_byte(c, mode, static_cast<uint8_t>(byte));  // an end symbol here is skipped
    byte = kNoByte;
  }
  if (f.count < length) return 0;
  uint8_t type = live(f)[kRawTypeOffset];
  if (!raw_type_checksum_exempt(type) && !raw_frame_checksum_ok(live(f), length)) {
    drop_front(f, 1);
    *status = kReaderBadChecksum;
    return -1;
  }
  int result = deliver(c, length);
  c.record_checked = !raw_type_checksum_exempt(type);
  if (byte != kNoByte) append_byte(c, mode, static_cast<uint8_t>(byte));
  return result;
}

namespace {

// Plain mode between packets: input bytes before an STX would each be
// appended and dropped again, so an empty buffer skips them with one search;
// then the bytes that complete the header are copied. False at end of input.
bool take_plain_header(PacketFramer& f, InputStream& input) {
  size_t available = 0;
  const uint8_t* in = input.buffered(available);
  if (available == 0) return false;
  if (f.count == 0) {
    const void* stx = std::memchr(in, kStx, available);
    const size_t skip =
        stx ? static_cast<size_t>(static_cast<const uint8_t*>(stx) - in) : available;
    input.consume(skip);
    in += skip;
    available -= skip;
    if (available == 0) return true;
  }
  const size_t n = std::min(available, kRawHeaderSize - f.count);
  make_room(f, n);
  std::memcpy(live(f) + f.count, in, n);
  f.count = static_cast<uint16_t>(f.count + n);
  input.consume(n);
  return true;
}

// Su-coded mode between packets: decodes one input byte. False at end of
// input, and before a byte that holds an end symbol, which the per-byte step
// takes and reports.
bool take_coded_header_byte(ExpansionContext& c, InputStream& input) {
  size_t available = 0;
  const uint8_t* in = input.buffered(available);
  if (available == 0) return false;
  PacketFramer& f = c.framer;
  make_room(f);
  uint8_t node = c.su.node;
  const int n = su_decode_step(*su_tables(), node, in[0], live(f) + f.count);
  if (n == kSuEndMet) return false;
  c.su.node = node;
  input.consume(1);
  f.count = static_cast<uint16_t>(f.count + n);
  return true;
}

// Decodes whole bytes of in[0..n) from node (updated) until out reaches
// frame_end; returns the bytes used. The last byte may add symbols past
// frame_end (two at most, stored with one spare byte).
size_t decode_until(const SuTables& tables, uint8_t& node, const uint8_t* in, size_t n,
                    uint8_t*& out, const uint8_t* frame_end) {
  // Eight bytes add at most 24 symbols, so groups that leave more room than
  // that go without a test per byte.
  constexpr size_t kGroup = 8;
  uint8_t state = node;  // a local: stores to out cannot change it
  size_t used = 0;
  while (n - used >= kGroup && frame_end - out > static_cast<std::ptrdiff_t>(3 * kGroup)) {
    out = su_decode_unchecked(tables, state, in + used, kGroup, out);
    used += kGroup;
  }
  while (used < n && out < frame_end) out = su_decode_unchecked(tables, state, in + used++, 1, out);
  node = state;
  return used;
}

// Collects the rest of the held frame of length bytes, as far as the input
// goes, reading whole input bytes: a coded byte's symbols beyond the frame
// stay in the buffer for the next frame. The worker's decoding is taken when
// it matches; the framer decodes itself otherwise.
void collect_frame(ExpansionContext& c, StreamMode mode, InputStream& input, int length) {
  PacketFramer& f = c.framer;
  const size_t want = static_cast<size_t>(length - f.count);
  if (mode == StreamMode::kPlain) {
    make_room(f, want);
    f.count = static_cast<uint16_t>(f.count + input.read(live(f) + f.count, want));
    return;
  }
  make_room(f, want + kSuMaxOutputPerByte);
  uint8_t* out = live(f) + f.count;
  uint8_t* const frame_end = live(f) + length;
  size_t available = 0;
  while (out < frame_end) {
    const uint8_t* in = input.buffered(available);
    if (available == 0) break;
    size_t used =
        c.su_ahead ? c.su_ahead->DecodeUntil(input.tell(), in, available, c.su.node, out, frame_end)
                   : 0;
    if (used == 0) used = decode_until(*su_tables(), c.su.node, in, available, out, frame_end);
    input.consume(used);
  }
  f.count = static_cast<uint16_t>(out - live(f));
}

}  // namespace

// Alternates between completing a header (bytes that the per-byte step would
// take between packets) and collecting the frame the header announces.
void FramerFill(ExpansionContext& c, StreamMode mode, InputStream& input) {
  PacketFramer& f = c.framer;
  for (;;) {
    drop_to_stx(f);
    if (f.count >= kRawHeaderSize) {
      const int length = held_frame_length(f);
      if (!bad_length(length) && f.count < length) collect_frame(c, mode, input, length);
      return;
    }
    const bool took =
        mode == StreamMode::kPlain ? take_plain_header(f, input) : take_coded_header_byte(c, input);
    if (!took) return;
  }
}

}  // namespace d01ozu
