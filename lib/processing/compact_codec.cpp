#include "processing/compact_codec.h"

#include <cstring>
#include <initializer_list>

#include "core/frame_rules.h"

namespace d01ozu {
namespace {

// Offsets of the fields inside the epoch header and a satellite entry, with
// their widths. The codes that select how each is coded sit in the control
// bytes described at the decoding functions below.
constexpr size_t kH1 = 3, kH1Width = 4;
constexpr size_t kH2 = 7, kH2Width = 3;
constexpr size_t kF1 = 6, kF1Width = 4;
constexpr size_t kF2 = 10, kF2Width = 6;
constexpr size_t kF3 = 16, kF3Width = 3;
constexpr size_t kL2Value = 20;
constexpr size_t kF4 = 21, kF4Width = 6;
constexpr size_t kF5 = 27, kF5Width = 2;
constexpr size_t kFlags = 1, kFlags2 = 2, kZeroByte = 19;
constexpr uint8_t kFlagL2 = 0x01;

// A blank epoch image: STX and type 17 in the header, zeros elsewhere (the
// first capacity entries).
void blank_epoch(CompactEpoch& e, int capacity) {
  std::memset(e.header, 0, sizeof e.header);
  e.header[0] = kStx;
  e.header[2] = 17;
  std::memset(e.entries, 0, kCompactEntrySize * capacity);
}

// Frame bytes of an entry: 20, or 29 with the L2 part.
size_t entry_frame_size(const uint8_t* entry) {
  return kCompactEntryBase + ((entry[kFlags] & kFlagL2) ? kCompactEntryL2 : 0);
}

// One single-byte value against P's byte: magnitude m and sign s; a set sign
// with magnitude 0 means the byte itself follows in the record.
uint8_t decode_small(ByteCursor& in, bool sign, unsigned magnitude, uint8_t previous) {
  if (sign && magnitude == 0) return in.u8();
  return static_cast<uint8_t>(sign ? previous - magnitude : previous + magnitude);
}

}  // namespace

uint64_t width_mask(size_t width) {
  return width >= 8 ? ~0ull : (1ull << (8 * width)) - 1;
}

bool decode_compact_field(ByteCursor& in, unsigned code, unsigned raw_code, size_t width,
                          const uint8_t* reference, uint8_t* out) {
  if (code == raw_code) {
    in.bytes(out, width);
    return in.ok();
  }
  if (code == 0) {
    std::memcpy(out, reference, width);
    return true;
  }
  if (code > width) return false;
  const uint8_t* d = in.take(code);
  if (d == nullptr) return false;
  uint64_t diff = load_be(d, code);
  bool subtract = (d[0] & 0x80) != 0;
  if (subtract) diff &= ~(0x80ull << (8 * (code - 1)));
  uint64_t r = load_be(reference, width);
  store_be(out, width, (subtract ? r - diff : r + diff) & width_mask(width));
  return true;
}

void reset_compact_references(CompactReferences& refs, int capacity) {
  if (capacity < 1) capacity = 1;
  if (capacity > kContainerCompactSatellites) capacity = kContainerCompactSatellites;
  refs.capacity = capacity;
  refs.count = 0;
  blank_epoch(refs.previous, capacity);
  blank_epoch(refs.prediction, capacity);
}

namespace {

using EntryBytes = uint8_t[kCompactEntrySize];

// Working state of one delta-epoch conversion. Only the listed positions are
// built, in the job's own arrays (P and Q rearranged into list order, and
// the new entries), so a failed conversion leaves the references untouched
// and a conversion copies no more than the epoch's own entries.
struct DeltaJob {
  DeltaJob(const CompactReferences& r, ByteCursor c) : refs(r), in(c) {}
  const CompactReferences& refs;
  ByteCursor in;
  int mode = 0;  // flag mode M
  int count = 0;
  uint8_t header[kCompactHeaderSize];
  uint8_t list[kContainerCompactSatellites];
  EntryBytes p[kContainerCompactSatellites];
  EntryBytes q[kContainerCompactSatellites];
  EntryBytes next[kContainerCompactSatellites];
};

// Header control byte: bit 7 list follows, bits 6-5 code of H1, bits 4-3 code
// of H2, bits 1-0 the flag mode (only with the message flag). 0 or 106.
int decode_header(DeltaJob& job, bool message_flag, bool* has_list) {
  uint8_t c = job.in.u8();
  *has_list = (c & 0x80) != 0;
  job.mode = message_flag ? (c & 0x03) : 0;
  const uint8_t* q = job.refs.prediction.header;
  std::memcpy(job.header, job.refs.previous.header, kCompactHeaderSize);
  bool ok = decode_compact_field(job.in, (c >> 5) & 3, 3, kH1Width, q + kH1, job.header + kH1) &&
            decode_compact_field(job.in, (c >> 3) & 3, 3, kH2Width, q + kH2, job.header + kH2);
  return ok && job.in.ok() ? kCompactOk : kCompactHeaderField;
}

// The satellite list: transmitted, or the satellites of P whose number and
// byte 5 are both non-zero, in P's order. 0, 107 or 108.
int read_satellite_list(DeltaJob& job, bool has_list) {
  job.count = 0;
  if (has_list) {
    int n = job.in.u8();
    if (n > job.refs.capacity) return kCompactTooManySatellites;
    for (int k = 0; k < n; ++k) job.list[k] = job.in.u8();
    job.count = n;
    return job.in.ok() ? kCompactOk : kCompactShortRecord;
  }
  for (int j = 0; j < job.refs.capacity; ++j) {
    const uint8_t* e = job.refs.previous.entries[j];
    if (e[0] != 0 && e[5] != 0) job.list[job.count++] = e[0];
  }
  return kCompactOk;
}

// Brings P and Q into list order. With a transmitted list, an entry that P
// and Q both hold at one position moves to the satellite's list position and
// a satellite without one gets a blank entry carrying only its number. A list
// taken from P leaves P and Q where they are: list position k decodes against
// their entries at k, whichever satellite those name.
void rearrange_references(DeltaJob& job, bool has_list) {
  const CompactEpoch& p = job.refs.previous;
  const CompactEpoch& q = job.refs.prediction;
  for (int k = 0; k < job.count; ++k) {
    const uint8_t sv = job.list[k];
    int found = has_list ? -1 : k;
    for (int j = 0; j < job.refs.capacity && found < 0; ++j)
      if (p.entries[j][0] == sv && q.entries[j][0] == sv) found = j;
    if (found >= 0) {
      std::memcpy(job.p[k], p.entries[found], kCompactEntrySize);
      std::memcpy(job.q[k], q.entries[found], kCompactEntrySize);
    } else {
      std::memset(job.p[k], 0, kCompactEntrySize);
      std::memset(job.q[k], 0, kCompactEntrySize);
      job.p[k][0] = job.q[k][0] = sv;
    }
  }
}

// Flag bytes 1 and 2 of a new entry by the flag mode.
void decode_flag_bytes(DeltaJob& job, uint8_t* e, const uint8_t* pe) {
  switch (job.mode) {
    case 2:
      e[kFlags] |= 0xD8;
      e[kFlags2] = 0;
      break;
    case 1:
      e[kFlags] = pe[kFlags];
      e[kFlags2] = pe[kFlags2];
      break;
    case 0:
      e[kFlags] = job.in.u8();
      e[kFlags2] = job.in.u8();
      break;
    default: {
      uint8_t g = job.in.u8();
      e[kFlags] = (g & 0x80) ? static_cast<uint8_t>(e[kFlags] | 0xD8) : 0;
      e[kFlags2] = 0;
      if (g & 0x40) {
        e[kFlags] |= (g & 0x20) ? 0x25 : 0x21;
        e[kFlags2] = 4;
      }
    }
  }
}

// One satellite entry at list position k: S1 (three single-byte values
// against P), S2 (F1, F2, F3 against Q), the flag bytes, and with the L2 part
// S3 (L2 value against P, F4 and F5 against Q). 0, 108, 109 or 110.
int decode_entry(DeltaJob& job, int k) {
  uint8_t* e = job.next[k];
  const uint8_t* pe = job.p[k];
  const uint8_t* qe = job.q[k];
  std::memset(e, 0, kCompactEntrySize);
  e[0] = job.list[k];
  uint8_t s1 = job.in.u8();
  e[3] = decode_small(job.in, s1 & 0x80, (s1 >> 6) & 1, pe[3]);
  e[4] = decode_small(job.in, s1 & 0x20, (s1 >> 4) & 1, pe[4]);
  e[5] = decode_small(job.in, s1 & 0x08, s1 & 7, pe[5]);
  uint8_t s2 = job.in.u8();
  if (!job.in.ok()) return kCompactShortRecord;
  if (!decode_compact_field(job.in, (s2 >> 5) & 3, 0, kF1Width, qe + kF1, e + kF1) ||
      !decode_compact_field(job.in, (s2 >> 2) & 7, 7, kF2Width, qe + kF2, e + kF2) ||
      !decode_compact_field(job.in, s2 & 3, 3, kF3Width, qe + kF3, e + kF3))
    return kCompactSatelliteField;
  e[kFlags] = static_cast<uint8_t>(((s2 & 0x80) ? 0x02 : 0) | 0xD0);
  e[kZeroByte] = 0;
  decode_flag_bytes(job, e, pe);
  if (!job.in.ok()) return kCompactShortRecord;
  if (!(e[kFlags] & kFlagL2)) return kCompactOk;
  uint8_t s3 = job.in.u8();
  e[kL2Value] = decode_small(job.in, s3 & 0x80, (s3 >> 4) & 7, pe[kL2Value]);
  if (!job.in.ok() ||
      !decode_compact_field(job.in, (s3 >> 1) & 7, 7, kF4Width, qe + kF4, e + kF4) ||
      !decode_compact_field(job.in, s3 & 1, 0, kF5Width, qe + kF5, e + kF5))
    return kCompactL2Field;
  return kCompactOk;
}

// Writes the type-17/117 frame of the new epoch over frame, with the carried
// checksum bytes and ETX. Returns the frame length, or 0 when it exceeds the
// buffer or the length rule.
size_t build_frame(const DeltaJob& job, uint8_t* frame, size_t capacity, const uint8_t sum[2]) {
  size_t length = kCompactHeaderSize + 3;
  for (int k = 0; k < job.count; ++k) length += entry_frame_size(job.next[k]);
  if (length > kCompactMaxFrame || length > capacity) return 0;
  std::memcpy(frame, job.header, kCompactHeaderSize);
  frame[0] = kStx;
  frame[1] = static_cast<uint8_t>(length);
  frame[2] = length > 255 ? 117 : 17;
  size_t at = kCompactHeaderSize;
  for (int k = 0; k < job.count; ++k) {
    size_t n = entry_frame_size(job.next[k]);
    std::memcpy(frame + at, job.next[k], n);
    at += n;
  }
  frame[at] = sum[0];
  frame[at + 1] = sum[1];
  frame[at + 2] = kEtx;
  return length;
}

struct Field {
  size_t at, width;
};

// Q = 2 x new - P in the field's width.
void predict(uint8_t* q, const uint8_t* p, const uint8_t* n, Field f) {
  uint64_t v = 2 * load_be(n + f.at, f.width) - load_be(p + f.at, f.width);
  store_be(q + f.at, f.width, v & width_mask(f.width));
}

// Advances the references: Q = 2 x new - P for the header fields and the
// coded fields of each entry (F4 and F5 only with the L2 part), P becomes the
// new epoch; past the list, P is blank and Q keeps its bytes without numbers.
void advance_references(DeltaJob& job, CompactReferences& refs) {
  predict(refs.prediction.header, refs.previous.header, job.header, {kH1, kH1Width});
  predict(refs.prediction.header, refs.previous.header, job.header, {kH2, kH2Width});
  std::memcpy(refs.previous.header, job.header, kCompactHeaderSize);
  for (int k = 0; k < job.count; ++k) {
    const uint8_t* n = job.next[k];
    for (Field f : {Field{kF1, kF1Width}, Field{kF2, kF2Width}, Field{kF3, kF3Width}})
      predict(job.q[k], job.p[k], n, f);
    if (n[kFlags] & kFlagL2)
      for (Field f : {Field{kF4, kF4Width}, Field{kF5, kF5Width}})
        predict(job.q[k], job.p[k], n, f);
    std::memcpy(refs.prediction.entries[k], job.q[k], kCompactEntrySize);
    std::memcpy(refs.previous.entries[k], n, kCompactEntrySize);
  }
  for (int k = job.count; k < refs.capacity; ++k) refs.prediction.entries[k][0] = 0;
  for (int k = job.count; k < refs.count; ++k)
    std::memset(refs.previous.entries[k], 0, kCompactEntrySize);
  refs.count = job.count;
}

// Checks the outer frame of a compact record: 0, 101, 103 or 105.
int check_outer(const uint8_t* frame, size_t size, size_t* length) {
  if (size < 3 || frame[0] != kStx) return kCompactNoStx;
  *length = static_cast<size_t>(legacy_frame_length(frame[1], frame[2]));
  if (*length < 7 || *length > size) return kCompactBadLength;
  if (frame[*length - 1] != kEtx) return kCompactNoEtx;
  return kCompactOk;
}

// Decodes the header, the list and the entries of a delta epoch into job.
int decode_delta(DeltaJob& job, bool message_flag) {
  bool has_list = false;
  int status = decode_header(job, message_flag, &has_list);
  if (status == kCompactOk) status = read_satellite_list(job, has_list);
  if (status != kCompactOk) return status;
  rearrange_references(job, has_list);
  for (int k = 0; k < job.count && status == kCompactOk; ++k) status = decode_entry(job, k);
  return status;
}

// A delta epoch (66, 74) rebuilt into a type-17/117 frame over the input.
// 0 or 101 to 111; on failure the frame and the references are unchanged.
int convert_delta(CompactReferences& refs, uint8_t* frame, size_t size, size_t capacity,
                  bool message_flag, size_t* out_length) {
  size_t length = 0;
  int status = check_outer(frame, size, &length);
  if (status != kCompactOk) return status;
  DeltaJob job(refs, ByteCursor(frame, length - 3));
  job.in.seek(3);
  status = decode_delta(job, message_flag);
  if (status != kCompactOk) return status;
  if (job.in.position() != length - 3) return kCompactBadLength;
  uint8_t saved[kCompactMaxFrame];
  std::memcpy(saved, frame, length);
  const uint8_t carried[2] = {frame[length - 3], frame[length - 2]};
  size_t rebuilt = build_frame(job, frame, capacity, carried);
  if (rebuilt == 0) return kCompactFrameTooLong;
  if (byte_sum16(frame, rebuilt - 3) != (carried[0] << 8 | carried[1])) {
    std::memcpy(frame, saved, length);
    return kCompactBadChecksum;
  }
  advance_references(job, refs);
  *out_length = rebuilt;
  return kCompactOk;
}

// Reads a checked type-17 frame into P and Q: the header, then entries of
// 20 bytes (29 with the L2 part) while more than the 3 closing bytes remain,
// at most capacity of them.
void parse_full_epoch(const uint8_t* frame, size_t length, CompactReferences& refs) {
  const int previous_count = refs.count;
  CompactEpoch& e = refs.previous;
  std::memcpy(e.header, frame, kCompactHeaderSize);
  size_t at = kCompactHeaderSize;
  int k = 0;
  for (; k < refs.capacity && at + 3 < length; ++k) {
    size_t n = entry_frame_size(frame + at);
    if (at + n > length - 3) break;
    std::memset(e.entries[k], 0, kCompactEntrySize);
    std::memcpy(e.entries[k], frame + at, n);
    at += n;
  }
  refs.count = k;
  for (int j = k; j < previous_count; ++j) std::memset(e.entries[j], 0, kCompactEntrySize);
  std::memcpy(refs.prediction.header, e.header, kCompactHeaderSize);
  std::memcpy(refs.prediction.entries, e.entries, kCompactEntrySize * refs.capacity);
}

// A full epoch (67, 75): checked as type 17/117, then both references.
// 0, 101, 103, 104 or 105 (the type byte restored on failure).
int convert_full(CompactReferences& refs, uint8_t* frame, size_t size, size_t* out_length) {
  if (size < 3 || frame[0] != kStx) return kCompactNoStx;
  const uint8_t original_type = frame[2];
  frame[2] = original_type == 67 ? 17 : 117;
  size_t length = 0;
  int status = check_outer(frame, size, &length);
  if (status == kCompactNoEtx || status == kCompactOk) {
    uint16_t carried = static_cast<uint16_t>(frame[length - 3] << 8 | frame[length - 2]);
    if (byte_sum16(frame, length - 3) != carried) status = kCompactBadChecksum;
  }
  if (status != kCompactOk) {
    frame[2] = original_type;
    return status;
  }
  parse_full_epoch(frame, length, refs);
  *out_length = length;
  return kCompactOk;
}

}  // namespace

int convert_compact_epoch(CompactReferences& refs, uint8_t* frame, size_t size, size_t capacity,
                          bool message_flag, size_t* out_length) {
  if (size < 3) return kCompactNoStx;
  switch (frame[2]) {
    case 66:
    case 74:
      return convert_delta(refs, frame, size, capacity, message_flag, out_length);
    case 67:
    case 75:
      return convert_full(refs, frame, size, out_length);
    default:
      return frame[0] != kStx ? kCompactNoStx : kCompactBadType;
  }
}

}  // namespace d01ozu
