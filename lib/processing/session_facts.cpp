#include "processing/session_facts.h"

#include <algorithm>
#include <cstring>

#include "core/byte_cursor.h"
#include "core/frame_fields.h"

namespace d01ozu {

using namespace session;

uint16_t block_u16(const uint8_t* block, size_t offset) {
  return static_cast<uint16_t>(block[offset] | block[offset + 1] << 8);
}

uint32_t block_u32(const uint8_t* block, size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | block[offset + i];
  return v;
}

double block_f64(const uint8_t* block, size_t offset) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | block[offset + i];
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

void put_block_u32(uint8_t* block, size_t offset, uint32_t v) {
  ByteWriter(block + offset, 4).le32(v);
}

void put_block_f64(uint8_t* block, size_t offset, double v) {
  ByteWriter(block + offset, 8).f64(v);
}

namespace {

void put_u16(uint8_t* block, size_t offset, uint16_t v) {
  ByteWriter(block + offset, 2).le16(v);
}

// Reads count bytes for satellite indexes first.. into the byte array at
// offset; indexes past the last slot are read and dropped.
void read_sat_bytes(ByteCursor& c, uint8_t* block, size_t offset, size_t first, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    uint8_t b = c.u8();
    if (first + i < kSatSlots) block[offset + first + i] = b;
  }
}

// Reads the four count arrays for indexes first..first+count-1, each array
// whole before the next; words or longs as the record type says.
void read_sat_counts(ByteCursor& c, uint8_t* block, size_t first, size_t count, bool wide) {
  for (size_t array : kCountArrays) {
    for (size_t i = 0; i < count; ++i) {
      uint32_t v = wide ? c.be32() : c.be16();
      if (first + i < kSatSlots) put_block_u32(block, array + 4 * (first + i), v);
    }
  }
}

// Reads n big-endian doubles into consecutive block doubles at offset.
void read_doubles(ByteCursor& c, uint8_t* block, size_t offset, size_t n) {
  for (size_t i = 0; i < n; ++i) put_block_f64(block, offset + 8 * i, c.bef64());
}

// Copies n doubles of src at offset into dst.
void copy_doubles(uint8_t* dst, const uint8_t* src, size_t offset, size_t n) {
  std::memcpy(dst + offset, src + offset, 8 * n);
}

// Flag and unit bytes that a later session block always takes over.
constexpr size_t kTakenOverBytes[] = {
    kL2Tracked,      kTestMode,    kRefKind,         kScheduleFlag, kSvSelection,
    kAntennaInField, kAntennaUnit, kPositionLogging, kPositionOnly, kEveryCycle};

// Per-satellite counts of the first 24 slots: totals add, continuous counts
// keep the larger value.
void merge_counts(uint8_t* rep, const uint8_t* pend) {
  for (size_t slot = 0; slot < kMergedSlots; ++slot) {
    for (size_t array : {kTotalL1, kTotalL2}) {
      size_t at = array + 4 * slot;
      put_block_u32(rep, at, block_u32(rep, at) + block_u32(pend, at));
    }
    for (size_t array : {kContL1, kContL2}) {
      size_t at = array + 4 * slot;
      put_block_u32(rep, at, std::max(block_u32(rep, at), block_u32(pend, at)));
    }
  }
}

// Start times keep the reported value unless it is none; stop times take the
// pending value unless that is none.
void merge_times(uint8_t* rep, const uint8_t* pend) {
  for (size_t at : {kScheduleStart, kLoggingStart})
    if (block_u16(rep, at) == kNoTime) put_u16(rep, at, block_u16(pend, at));
  for (size_t at : {kScheduleStop, kLoggingStop})
    if (block_u16(pend, at) != kNoTime) put_u16(rep, at, block_u16(pend, at));
}

// Best-PDOP fixes replace a reported fix without PDOP or with a worse one;
// mean fixes replace one built from fewer fixes.
void merge_fixes(uint8_t* rep, const uint8_t* pend) {
  double rep3 = block_f64(rep, kBest3dPdop), rep2 = block_f64(rep, kBest2dPdop);
  if (rep3 == 0 || rep3 > block_f64(pend, kBest3dPdop)) copy_doubles(rep, pend, kBest3dLat, 4);
  if (rep2 == 0 || rep2 > block_f64(pend, kBest2dPdop)) copy_doubles(rep, pend, kBest2dLat, 3);
  if (block_u32(pend, kMean3dFixes) > block_u32(rep, kMean3dFixes)) {
    copy_doubles(rep, pend, kMean3dLat, 3);
    put_block_u32(rep, kMean3dFixes, block_u32(pend, kMean3dFixes));
  }
  if (block_u32(pend, kMean2dFixes) > block_u32(rep, kMean2dFixes)) {
    copy_doubles(rep, pend, kMean2dLat, 2);
    put_block_u32(rep, kMean2dFixes, block_u32(pend, kMean2dFixes));
  }
}

// Merges pend into rep; a reported session without data takes pend whole.
void merge_block(uint8_t* rep, bool& rep_valid, const uint8_t* pend) {
  if (!rep_valid && block_u16(rep, kLoggingStart) == 0) {
    std::memcpy(rep, pend, kSessionBlockSize);
    rep_valid = true;
    return;
  }
  merge_counts(rep, pend);
  merge_times(rep, pend);
  copy_doubles(rep, pend, kRefLatitude, 4);  // reference position, antenna height
  for (size_t at : kTakenOverBytes) rep[at] = pend[at];
  if (pend[kLongNameFlag])  // a long station name is kept once known
    std::memcpy(rep + kLongNameFlag, pend + kLongNameFlag, 2 + kLongNameCapacity);
  merge_fixes(rep, pend);
  rep_valid = true;
}

}  // namespace

// The fields of a type-4 or type-22 record, from byte 3 (N, the last
// satellite index) on, decoded over block.
static void read_session_fields(const uint8_t* frame, size_t size, bool wide, uint8_t* block) {
  ByteCursor c = frame_fields(frame, size, 3);
  size_t sats = size_t{c.u8()} + 1;
  read_doubles(c, block, kRefLatitude, 4);
  c.bytes(block + kSessionByteA, kFixedBytesA);
  read_sat_bytes(c, block, kSatBytesA, 0, sats);
  c.bytes(block + kSessionByteB, kFixedBytesB);
  read_sat_bytes(c, block, kSatBytesB, 0, sats);
  for (size_t at : {kScheduleStart, kScheduleStop, kLoggingStart, kLoggingStop})
    put_u16(block, at, c.be16());
  read_sat_counts(c, block, 0, sats, wide);
  put_u16(block, kSyncRate, c.be16());
  put_block_u32(block, kAntennaSerial, c.be32());
  put_block_u32(block, kReceiverSerial, c.be32());
  put_u16(block, kNavVersion, c.be16());
  put_u16(block, kSigVersion, c.be16());
}

// Types 4 and 22. A record of the pending session (same data-logging start)
// is decoded over the pending block. A record of a new session first merges
// the pending session and then becomes the pending block alone, so nothing of
// the merged session is counted twice.
void decode_session_record(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts) {
  uint8_t block[kSessionBlockSize];
  std::memcpy(block, s.pending, sizeof block);
  read_session_fields(frame, size, wide_counts, block);
  if (s.pending_session && block_u16(block, kLoggingStart) != block_u16(s.pending, kLoggingStart)) {
    merge_block(s.reported, s.reported_valid, s.pending);
    std::memset(block, 0, sizeof block);
    read_session_fields(frame, size, wide_counts, block);
  }
  std::memcpy(s.pending, block, sizeof block);
  s.pending_valid = s.pending_session = true;
}

// The long station name: a length byte and that many characters; a name
// longer than the field is cut to it and the rest stepped over.
static void read_long_name(ByteCursor& c, uint8_t* block) {
  size_t length = c.u8();
  size_t kept = std::min(length, kLongNameCapacity);
  std::memset(block + kLongNameText, 0, kLongNameCapacity);
  c.bytes(block + kLongNameText, kept);
  c.skip(length - kept);
  block[kLongNameLength] = static_cast<uint8_t>(kept);
  block[kLongNameFlag] = 1;
}

// Types 13 and 23: satellite indexes s..e (bytes 4 and 5), their byte and
// count arrays, the long station name and the further fields. A record whose
// last index precedes its first is refused.
void decode_session_setup(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts) {
  ByteCursor c = frame_fields(frame, size, 4);
  size_t first = c.u8(), last = c.u8();
  if (!c.ok() || last < first) return;
  uint8_t* block = s.pending;
  size_t count = last - first + 1;
  read_sat_bytes(c, block, kSatBytesA, first, count);
  read_sat_bytes(c, block, kSatBytesB, first, count);
  read_sat_counts(c, block, first, count, wide_counts);
  read_long_name(c, block);
  block[kSetupByte] = c.u8();
  put_block_f64(block, kSetupDouble, c.sbe32());
  c.bytes(block + kSetupBytes3, 3);
  for (size_t i = 0; i < 3; ++i) put_block_u32(block, kSetupLongs + 4 * i, c.be32());
  c.bytes(block + kSetupBytes4, 4);
  put_block_u32(block, kSetupLong, c.be32());
  c.bytes(block + kSetupBytes2, 2);
  put_block_f64(block, kSetupScaled, c.sbe16() / 16.0);
  put_u16(block, kSetupWord, c.be16());
  s.pending_valid = true;
}

// Types 5 and 24, from byte 4: twelve doubles (best and mean fixes) and the
// numbers of fixes in the 3D and 2D means (words in type 5, longs in 24).
void decode_position_record(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts) {
  ByteCursor c = frame_fields(frame, size, 4);
  read_doubles(c, s.pending, kBest3dLat, kPositionDoubles);
  for (size_t at : {kMean3dFixes, kMean2dFixes})
    put_block_u32(s.pending, at, wide_counts ? c.be32() : c.be16());
  s.pending_valid = true;
}

// Type 14: one satellite index (byte 3) with six longs: total L1, continuous
// L1, total L2, continuous L2 into the count arrays; the two further counts
// that follow are used by no output.
void decode_tracking_record(SessionFacts& s, const uint8_t* frame, size_t size) {
  ByteCursor c = frame_fields(frame, size, 3);
  size_t slot = c.u8();
  if (!c.ok() || slot >= kSatSlots) return;
  for (size_t array : kCountArrays) put_block_u32(s.pending, array + 4 * slot, c.be32());
  s.pending_valid = true;
  s.tracking_seen = true;
}

void merge_pending_session(SessionFacts& s) {
  if (!s.pending_valid) return;
  merge_block(s.reported, s.reported_valid, s.pending);
  s.pending_valid = s.pending_session = false;
}

void final_session_block(const SessionFacts& s, uint8_t* out) {
  std::memcpy(out, s.reported, kSessionBlockSize);
  bool valid = s.reported_valid;
  if (s.pending_valid) merge_block(out, valid, s.pending);
}

}  // namespace d01ozu
