// Readable builders of the framed legacy records that reach the DAT stream
// directly: measurement epoch parts (types 7, 17/117, 102), events (19) and
// the directly converted types (10, 11, 12, 20, 25, 33, 101). Field values
// are given as the receiver stores them (raw integers of their width).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

// Type 7: one part of a measurement epoch header. size is the frame length:
// 51, 61 or 73 (the longer parts carry the extra fields).
struct Type7Part {
  uint8_t part = 0;  // byte 3; 0 marks the last part
  uint16_t word_a = 0, word_b = 0;
  int32_t clock = 0;  // first value, x 2^-9
  uint32_t second = 0, third = 0;
  uint16_t fourth = 0;
  double fifth = 0;
  uint32_t time_ms = 0;  // sixth value: the epoch time
  uint32_t seventh = 0, eighth = 0;
  std::array<uint8_t, 6> bytes{};  // bytes[4] bit 3 sets the time; bytes[5] the satellite
  int size = 51;
  uint16_t extra_word = 0;
  uint32_t extra_a = 0, extra_b = 0, extra_c = 0;
  double extra_double = 0;
};
Bytes type7_part(const Type7Part& p);

// One satellite entry of a type-17 part: 20 frame bytes, 29 with flag bit 0.
struct Type17Entry {
  uint8_t sv = 1;
  uint8_t flags = 0;  // bit 0: L2 part; bit 5: fine L2 value and third L2 field
  uint8_t flags2 = 0;
  uint8_t b3 = 0, b4 = 0, b5 = 0;
  uint32_t range = 0;    // x 2^-7
  int64_t phase = 0;     // 48-bit, x 2^-15
  int32_t doppler = 0;   // 24-bit, x 2^-6
  int8_t b19 = 0;        // x 2^-7
  uint8_t l2_value = 0;  // x 2^-2 (bit 5) or 2^-5
  int64_t l2_phase = 0;  // 48-bit, x 2^-15
  int16_t l2_range = 0;  // x 2^-8, only with flag bit 5
};
// A type-17 part (type 117 when longer than 255 bytes); more sets bit 7 of
// byte 3.
Bytes type17_part(uint32_t time_ms, int32_t value2, bool more,
                  const std::vector<Type17Entry>& entries);
// The 20 or 29 frame bytes of one entry.
Bytes type17_entry_bytes(const Type17Entry& e);

// Type 102: one part with entries of 2 bytes and 4 doubles.
struct Type102Entry {
  uint8_t a = 0, b = 0;
  std::array<double, 4> values{};
};
Bytes type102_part(uint32_t time_ms, int32_t value2, bool more,
                   const std::vector<Type102Entry>& entries);

// Type 19 events: sub-code, word, time long, then further words (sub-codes 0
// to 2, 4 to 8) or a text (sub-code 3).
Bytes event_record(uint8_t sub_code, uint16_t word, uint32_t time_long,
                   const std::vector<uint16_t>& words = {});
Bytes event_text_record(uint16_t word, uint32_t time_long, const std::string& text);

// Types 10 and 11: nine values as raw integers, the long, the two bytes
// before the lists (for type 11 the second is the count c), 2c list bytes,
// and optional refinement bytes for the first two values.
struct PositionSolution {
  std::array<int32_t, 5> head{};  // values 1 to 5
  uint16_t sixth = 0;
  std::array<int32_t, 3> tail{};  // values 7 to 9
  uint32_t word = 0;
  uint8_t fix_byte = 0;
  std::vector<uint8_t> lists;  // 2c bytes (type 10: 8)
  bool refine = false;
  int8_t refine_a = 0, refine_b = 0;
};
Bytes position_solution(uint8_t type, const PositionSolution& s);

// Type 12: entry count c, the receiver type code, the GPS week and the
// further fields as counters; entries beyond the first give two words each.
struct Type12Record {
  uint8_t count = 1;
  uint8_t receiver_type = 5;
  uint16_t week = 1000;
  uint8_t seed = 1;  // other fields are filled from seed upward
  std::vector<std::array<int16_t, 2>> further;
};
Bytes type12_record(const Type12Record& r);

// Type 101: an unsigned long, 4 doubles and 2 bytes.
Bytes type101_record(uint32_t value, const std::array<double, 4>& doubles, uint8_t a, uint8_t b);

// A record of type whose payload after byte 3 (sub-code) is given raw.
Bytes raw_record(uint8_t type, uint8_t byte3, const Bytes& rest);

}  // namespace writers
