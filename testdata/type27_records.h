// Writer of raw type-27 measurement epochs from readable descriptions. The
// values are given in the units of their fields (scaled integers), so tests
// know every bit the converter reads; the helpers below turn metres, cycles
// and hertz into those units.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

struct Raw27Block {
  uint8_t type = 0, track = 0;
  uint16_t strength = 0;
  // Block 0: unsigned 4-byte field; blocks 1 to 5: the signed difference to
  // block 0 in 2 bytes, or 3 with flags2 bit 0 (the high byte then follows
  // the doppler).
  int64_t range = 0;
  int64_t phase = 0;    // 48-bit, 2^-15 cycles
  int32_t doppler = 0;  // 24-bit, 2^-8 Hz, sent with flags bit 2
  uint8_t slip = 0;
  uint8_t flags = 0;   // bit 7: flags2 follows
  uint8_t flags2 = 0;  // bit 7: flags3 follows
  uint8_t flags3 = 0;  // bit 7: the further bytes follow
  Bytes further;       // bit 7 set on every one but the last
};

struct Raw27Satellite {
  uint8_t sv = 0;
  uint8_t system = 0;  // the whole byte: system in bits 0-5, two top bits
  uint8_t channel = 0;
  uint8_t b6 = 0, b8 = 0;
  uint8_t flags = 0;   // bit 7: flags2 follows
  uint8_t flags2 = 0;  // bit 0: the three extension bytes follow
  std::array<uint8_t, 3> extension{};
  std::vector<Raw27Block> blocks;
  int block_count = -1;  // the count byte; -1: blocks.size()
};

struct Raw27OffsetItem {
  uint8_t kind = 0;
  uint8_t size = 0;   // value bytes, 0 to 7
  int64_t value = 0;  // 2^-28
};

struct Raw27Epoch {
  uint16_t week = 0;
  uint32_t time_ms = 0;
  int32_t clock = 0;  // 24-bit, 2^-19 ms
  uint8_t flags = 0;  // bit 1 drift, bit 4 extra byte, bit 5 offsets
  int32_t drift = 0;  // 24-bit, 2^-22
  uint8_t extra = 0;
  uint8_t offset_nibble = 0;
  std::vector<Raw27OffsetItem> offsets;
  std::vector<Raw27Satellite> satellites;
  int sv_count = -1;  // the count byte; -1: satellites.size()
};

// The payload (from frame byte 4, each part led by its length byte) and the
// framed record (type 27, length in bytes 1 and 3, checksum, ETX).
Bytes raw27_payload(const Raw27Epoch& e);
Bytes raw27_frame(const Raw27Epoch& e);

// Field units.
inline int64_t cycles(double c) {
  return std::llround(c * 32768.0);
}
inline int32_t hertz(double h) {
  return static_cast<int32_t>(std::lround(h * 256.0));
}
inline int32_t clock_ms(double ms) {
  return static_cast<int32_t>(std::lround(std::ldexp(ms, 19)));
}
// Block-0 pseudorange field of a satellite system (2^-6 for systems 1 and 4,
// 2^-10 for 8, else 2^-7); a range difference of blocks 1 to 5 (2^-8).
inline int64_t range0(double metres, int system) {
  const int e = (system == 1 || system == 4) ? 6 : system == 8 ? 10 : 7;
  return std::llround(std::ldexp(metres, e));
}
inline int64_t range_difference(double metres) {
  return std::llround(metres * 256.0);
}

}  // namespace writers
