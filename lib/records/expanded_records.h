// Typed legacy records produced by the container path and handed to
// process_expanded_record together with their 4-byte DAT record header
// (0x74, length low byte, sub-code or length high byte, type). Values are in
// host order; the processor writes them little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <variant>

namespace d01ozu {

// Type 5: one page of receiver facts (page = DAT header byte 2), 106 bytes
// in the page's own layout (26 single-precision values and one word).
constexpr size_t kType5Size = 106;
struct Type5Record {
  uint8_t bytes[kType5Size];
};

// Type 11: one position solution with the satellites used.
constexpr int kType11ListCapacity = 32;
struct Type11Record {
  double values[9];  // value 1 and 2 already refined
  uint32_t word;     // the u32 after the values
  uint8_t fix_byte;  // the byte before the count
  uint8_t count;     // satellites in each list, at most 32
  uint8_t first_list[kType11ListCapacity];
  uint8_t second_list[kType11ListCapacity];
};

// Type 17: one whole measurement epoch.
constexpr int kType17EntryCapacity = 116;
struct Type17Entry {
  uint8_t sv;
  uint8_t flags1;  // bit 0: the L2 values are present
  uint8_t flags2;
  uint8_t flags3;
  uint16_t word4;
  uint16_t word6;
  // L1 strength, pseudorange, phase, doppler, 0; L2 strength, phase,
  // pseudorange difference; 0. The DAT entry takes the first 5, or 8 with L2.
  double values[9];
};
struct Type17Record {
  double receive_time;  // milliseconds of week
  double clock_offset;
  uint8_t count;
  Type17Entry entries[kType17EntryCapacity];
};

// Type 27: the measurement epoch of the newer receivers.
constexpr int kType27SatelliteCapacity = 116;
constexpr int kType27BlockCapacity = 6;
constexpr int kType27OffsetItems = 8;
struct Type27Block {
  uint8_t length;  // 27, plus 1 per flags byte beyond the first
  uint8_t block_type;
  uint8_t track_type;
  uint16_t strength;
  double pseudorange;
  double phase;   // cycles
  float doppler;  // Hz
  uint8_t slip_count;
  uint8_t flags;   // bit 7: flags2 present
  uint8_t flags2;  // bit 7: flags3 present
  uint8_t flags3;
};
struct Type27Satellite {
  uint8_t length;  // 10, 11 or 14
  uint8_t sv;
  uint8_t system;    // low 6 bits
  uint8_t top_bits;  // top 2 bits of the raw system byte, shifted down (0 to 3)
  uint8_t channel;
  uint8_t block_count;  // at most 6
  uint16_t word6;
  uint16_t word8;
  uint8_t flags;   // bit 7: flags2 present
  uint8_t flags2;  // bit 0: three extension bytes present
  uint8_t extension[3];
  Type27Block blocks[kType27BlockCapacity];
};
struct Type27Record {
  uint8_t header_length;  // 17, +4 with the clock drift, +1 with the extra byte
  uint16_t week;
  double receive_time;  // milliseconds
  float clock_offset;
  uint8_t sv_count;     // at most 116
  uint8_t epoch_flags;  // bit 1 drift, bit 4 extra byte, bit 5 offset block
  float clock_drift;
  uint8_t extra;
  uint8_t offset_length;  // 3 + 9 per item
  uint8_t offset_nibble;
  uint8_t offset_count;
  uint8_t offset_kind[kType27OffsetItems];
  double offset_value[kType27OffsetItems];
  Type27Satellite satellites[kType27SatelliteCapacity];
};

// Type 29: a position record of six sections; a section whose length byte
// is 0 is absent.
constexpr int kType29SatelliteCapacity = 116;
struct Type29Record {
  uint8_t header_length;  // 15
  uint16_t h1;
  uint32_t h2;
  uint8_t b[8];             // b[1] satellite entries, b[4] section flags, b[6] qualifier
  uint8_t position_length;  // 93
  double p[6];
  float q[11];
  uint8_t section3_length;  // 7 when b[6] is 3 to 6
  uint8_t s1;
  float s2;
  uint8_t s3;
  uint16_t s3_word;
  float s3_values[3];
  uint32_t s3_long;
  uint8_t section4_length;  // 10 with b[4] bit 1
  float t1;
  float t2;
  uint8_t t3;
  float t3_value;
  uint8_t section5_length;  // 3 + 9n with b[4] bit 4
  uint8_t c;
  uint8_t n;
  uint8_t kinds[7];
  double values[7];
  uint8_t satellites_length;  // 3 x b[1] + 1
  uint8_t satellites[kType29SatelliteCapacity][3];
};

// Types 25, 26, 28, 32, 33, 40, 98 and 99: the converter lays out the DAT
// payload itself (little-endian, by the field conversions, in input field
// order); the processor writes the header and these bytes.
constexpr size_t kNewerPayloadCapacity = 4096;
struct NewerTypeRecord {
  uint16_t length;  // payload bytes
  uint8_t payload[kNewerPayloadCapacity];
};

// One decoded record as the dispatcher hands it to the processor: its legacy
// type, its DAT header and the structure its converter filled (none: nothing
// to hand over).
using ExpandedPayload =
    std::variant<std::monostate, const Type5Record*, const Type11Record*, const Type17Record*,
                 const Type27Record*, const Type29Record*, const NewerTypeRecord*>;
struct ExpandedRecord {
  int type = 0;
  uint8_t header[4] = {};
  ExpandedPayload payload;
};

}  // namespace d01ozu
