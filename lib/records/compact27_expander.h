// Compact forms of the raw type-27 measurement epoch, expanded back into
// framed type-27 records:
//
//   type 38  a whole type-27 epoch: the type-27 frame without its end byte
//            (the last two bytes stand where the check value goes). It
//            starts a new reference.
//   type 39  an epoch coded against the predicted epoch: control byte E,
//            time (E bit 7: week and time, 6 bytes; else one byte k, time =
//            predicted + 10 k), clock offset (DeltaField n = E bits 5-6),
//            clock drift when the epoch has one (n = E bits 3-4); then per
//            measurement block a control byte C, the phase (n = C bits 5-7)
//            and the doppler when the block has one (n = C bits 3-4); then
//            the two check bytes of the expanded record.
//   type 36  like 39, every field a zigzag varint difference (below) from
//   type 37  the predicted epoch (36) or from the last epoch (37).
//
// DeltaField of a field of w bytes with n from the control bits: n = w, the
// next w bytes are the value; n > w is an error; else n bytes of magnitude
// whose top bit, when set, subtracts it from the reference value instead of
// adding it (n = 0 keeps the reference value).
//
// Types 36 and 37 after the 4 header bytes: zigzag varints (groups of 7
// bits, lowest first, bit 7 on every byte but the last, at most 10 bytes;
// zigzag: 0, -1, 1, -2 ... as 0, 1, 2, 3 ...) of the changes of the week, the
// receive time, the clock offset, the clock drift when the epoch has one,
// then per measurement block of the phase and, when the block has one, the
// doppler; each change wraps in the field's width. Then the two check bytes.
//
// In types 36, 37 and 39 every other field is the reference's: the same
// satellites, blocks and flags; the pseudoranges are projected from the last
// epoch by the phase change over the carrier wavelength.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

constexpr int kCompactSatellites = 116;
constexpr int kCompactBlocks = 6;
constexpr int kCompactOffsetItems = 7;
constexpr int kCompactFurtherFlags = 4;  // flag bytes kept behind flags 3

// The fields of a measurement block as sent: integers in their widths.
struct CompactBlock {
  uint8_t type, track;
  uint16_t strength;
  uint32_t range;    // block 0: 4 bytes; others: 2, or 3 with flags2 bit 0
  uint64_t phase;    // 6 bytes
  uint32_t doppler;  // 3 bytes, with flags bit 2
  uint8_t slip, flags, flags2, flags3;
  uint8_t further_count;
  uint8_t further[kCompactFurtherFlags];
};

struct CompactSatellite {
  uint8_t sv, system, channel, block_count, b6, b8, flags, flags2;
  uint8_t extension[3];
  CompactBlock blocks[kCompactBlocks];
};

// One type-27 epoch held field by field.
struct EpochFields {
  uint16_t week;
  uint32_t time;
  uint32_t clock;  // 3 bytes
  uint8_t sv_count, flags;
  uint32_t drift;  // 3 bytes, with flags bit 1
  uint8_t extra;
  uint8_t offset_byte;                       // low nibble and item count
  uint8_t offset_item[kCompactOffsetItems];  // kind and value size
  uint64_t offset_value[kCompactOffsetItems];
  CompactSatellite satellites[kCompactSatellites];
};

// The last epoch and the epoch predicted from the last two; work is where
// the epoch being expanded is built.
struct EpochReferences {
  EpochFields last;
  EpochFields predicted;
  EpochFields work;
};

void reset_epoch_references(EpochReferences& refs);

// Errors of the expander.
enum : uint8_t { kCompactEpochOk = 0, kCompactEpochRefused = 7, kCompactEpochBadDelta = 8 };

struct ExpandedEpoch {
  uint16_t length;  // of the framed type-27 record
  uint16_t week;
  uint32_t time_ms;
};

// Expands the raw record (type 36 to 39, length bytes 1 and 3) into a framed
// type-27 record in out (capacity bytes) against refs, which it advances.
// Returns 0, or an error (nothing usable in out; refs unchanged, except that
// a type 38 has cleared them).
uint8_t ExpandCompactEpoch(const uint8_t* raw, size_t raw_length, uint8_t* out, size_t capacity,
                           EpochReferences& refs, ExpandedEpoch* result);

}  // namespace d01ozu
