// What the code needs to know of each record type, in one table: how a raw
// frame's length is read, whether it carries a checksum, whether it is a
// compact form and which legacy type the dispatcher makes of it, whether the
// legacy path acts on it and checks its frame, and whether it carries an
// epoch time.
#pragma once

#include <cstdint>

namespace d01ozu {

// How a raw frame's total length is read from header bytes 1 and 3.
enum class RawLength : uint8_t {
  kByte1,     // byte 1 alone
  kPlus256,   // byte 1 + 256 (types 74 to 77)
  kExtended,  // byte 1 + 256 x byte 3
  kRecord35,  // byte 1 + 256 x low nibble of byte 3 (the high nibble is a status)
};

constexpr int kNoLegacyType = 65535;  // raw types the dispatcher has no legacy type for

struct RecordTraits {
  RawLength raw_length = RawLength::kByte1;
  bool compact = false;             // a compact form: no checksum, expanded before use
  int legacy_type = kNoLegacyType;  // what the dispatcher delivers a raw record as
  bool legacy_handled = false;      // the legacy path acts on a frame of this type
  bool legacy_unchecked = false;    // R00 frames of the type carry their own checks
  bool has_time = false;            // the DAT line carries the time of the last epoch
  bool typed = false;  // the dispatcher hands this legacy type over as a typed structure
};

// One row per type 0 to 255, and a last, default row for every other value.
struct RecordTraitsTable {
  RecordTraits rows[257];
};

// The table, made when compiling (record_traits.cpp).
extern const RecordTraitsTable kRecordTraits;

// The traits of type (0 to 255; every other value gives the default row).
inline const RecordTraits& TraitsOf(int type) {
  return kRecordTraits.rows[static_cast<unsigned>(type) < 256 ? type : 256];
}

}  // namespace d01ozu
