// Compact measurement records (types 66, 67, 74, 75) turned back into
// ordinary type-17 / type-117 measurement frames.
//
// Types 67 and 75 carry a whole epoch in the type-17 layout and become the
// reference; types 66 and 74 carry an epoch as differences against a
// prediction made from the two preceding epochs. The codec keeps two
// reference epochs, P (the previous epoch) and Q (the prediction); each
// caller owns its own pair (the R00 path one per run, the container path one
// per input file) and chooses how many satellites an epoch may list.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/byte_cursor.h"

namespace d01ozu {

// Satellite entry of an epoch image (29 bytes):
//   0 satellite number, 1 flag byte (bit 0: L2 part present), 2 second flag
//   byte, 3..5 three single-byte values, 6..9 F1, 10..15 F2, 16..18 F3,
//   19 always 0, 20 L2 value, 21..26 F4, 27..28 F5.
// In a type-17 frame an entry takes bytes 0..19, plus 20..28 with the L2 part.
constexpr size_t kCompactEntrySize = 29;
constexpr size_t kCompactEntryBase = 20;
constexpr size_t kCompactEntryL2 = 9;
// Epoch header: STX, length, type, H1 (bytes 3..6), H2 (bytes 7..9).
constexpr size_t kCompactHeaderSize = 10;

constexpr int kLegacyCompactSatellites = 24;      // R00 path
constexpr int kContainerCompactSatellites = 116;  // container path
// Longest frame the length rule can express (type 117: byte 1 + 256).
constexpr size_t kCompactMaxFrame = 511;

// Decoded form of one type-17 epoch.
struct CompactEpoch {
  uint8_t header[kCompactHeaderSize];
  uint8_t entries[kContainerCompactSatellites][kCompactEntrySize];
};

struct CompactReferences {
  int capacity = kLegacyCompactSatellites;  // satellites one epoch may list
  int count = 0;                            // entries of P in use
  CompactEpoch previous;                    // P
  CompactEpoch prediction;                  // Q
};

// Conversion results. 0 is success; 104 means the rebuilt frame did not match
// the checksum it carried (the caller treats it as a bad checksum), every
// other code is an expansion failure.
enum : int {
  kCompactOk = 0,
  kCompactNoStx = 101,
  kCompactBadType = 102,
  kCompactBadLength = 103,  // bytes read do not match the frame length
  kCompactBadChecksum = 104,
  kCompactNoEtx = 105,
  kCompactHeaderField = 106,
  kCompactTooManySatellites = 107,
  kCompactShortRecord = 108,  // a field runs past the end of the frame
  kCompactSatelliteField = 109,
  kCompactL2Field = 110,
  kCompactFrameTooLong = 111,  // rebuilt frame exceeds the buffer or 511 bytes
};

// All ones in the low width bytes: coded fields count modulo 256^width.
uint64_t width_mask(size_t width);

// Decodes one big-endian field of width bytes (1 to 8) into out, by the code
// taken from a control byte: code == raw_code reads the value whole, 0 takes
// the reference, 1..width reads a difference of that many bytes (top bit set:
// subtract, else add; modulo 256^width). Returns false for a code larger than
// the width or a record too short for the bytes the code asks for.
bool decode_compact_field(ByteCursor& in, unsigned code, unsigned raw_code, size_t width,
                          const uint8_t* reference, uint8_t* out);

// Blanks both references and sets the satellite capacity (1 to 116).
void reset_compact_references(CompactReferences& refs, int capacity);

// Converts the compact frame at frame (size valid bytes, in a buffer of
// capacity bytes) in place into a type-17 or type-117 frame. Returns 0 and the
// new frame length in *out_length, or 101..111 with the input frame left as it
// was. Types 64 and 65 (and any other type) give kCompactBadType.
// message_flag: the run's message flag, which enables the flag modes of delta
// epochs.
int convert_compact_epoch(CompactReferences& refs, uint8_t* frame, size_t size, size_t capacity,
                          bool message_flag, size_t* out_length);

}  // namespace d01ozu
