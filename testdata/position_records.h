// Readable builders of the raw records of the container path that carry
// receiver facts and positions: type-5 pages and type-29 position records.
// (Raw type 11 has the legacy type-11 layout: position_solution builds it.)
// Field values are given as the receiver stores them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

// Type-5 pages; byte 3 of the frame is the page number.
struct Type5Page0 {
  uint16_t word = 0x0100;
  std::string station = "BASE";  // 5 bytes, NUL-padded
  uint8_t kind = 0;
  std::array<double, 4> position{};  // latitude, longitude (semicircles), heights
  uint8_t unit = 0, long_flag = 0;
  std::string text;
  int declared_length = -1;  // the text length byte; -1: the text's size
};
struct Type5Page1 {
  uint16_t word = 0;
  std::string session = "S1";  // 5 bytes, NUL-padded
  uint8_t flag = 0;
  std::array<uint16_t, 9> words{};
  std::array<uint8_t, 10> bytes{};
  std::array<uint8_t, 4> raw{};
  double value = 0;
  std::array<uint32_t, 3> longs{};
  uint8_t last = 0;
};
struct Type5Page2 {
  std::array<uint16_t, 6> words{};
  std::string antenna, receiver;  // 12 bytes each, NUL-padded
  std::array<uint8_t, 8> bytes{};
  double value = 0;
  uint32_t long_value = 0;
  uint16_t word = 0;
  std::array<uint8_t, 2> last{};
};
struct Type5Page3 {
  uint16_t word = 0;
  std::array<double, 12> values{};
  std::array<uint32_t, 2> fixes{};
};
// Pages 4 and 5: a word, bytes and longs (page 4: 4 and 4, page 5: 2 and 6).
struct Type5Page4 {
  uint16_t word = 0;
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> longs;
};
struct Type5Page6 {
  std::array<uint16_t, 2> words{};
  std::array<uint32_t, 4> options{};
};
struct Type5Page7 {
  uint16_t word = 0;
  double value = 0;
  std::vector<std::array<uint8_t, 2>> pairs;
  int declared_count = -1;  // the pair count; -1: the list's size
};
Bytes type5_page(const Type5Page0& p);
Bytes type5_page(const Type5Page1& p);
Bytes type5_page(const Type5Page2& p);
Bytes type5_page(const Type5Page3& p);
Bytes type5_page(uint8_t page, const Type5Page4& p);
Bytes type5_page(const Type5Page6& p);
Bytes type5_page(const Type5Page7& p);

// Type 29, section by section. Bytes the converter does not read are written
// as 0xEE, so a reader that takes them shows.
struct Type29Item {
  uint8_t kind = 0;
  uint8_t width = 4;  // bytes of the value, 0 to 7
  int64_t value = 0;  // x 2^-28
};
struct Type29Entry {
  uint8_t sv = 1, system = 0, flags = 0x02;  // flags bit 1: used
};
struct Type29Solution {
  uint16_t h1 = 0;
  uint32_t h2 = 0;
  std::array<uint8_t, 8> b{};  // b[1] and b[2] are set from entries and used unless forced
  int force_b1 = -1, force_b2 = -1;
  // Position section: raw integers.
  int64_t p1 = 0, p2 = 0;  // 48-bit
  int32_t p3 = 0;
  std::array<int32_t, 3> p456{};
  int32_t q1 = 0, q2 = 0;
  std::array<uint16_t, 3> q456{};
  std::array<uint16_t, 3> q789{};
  uint16_t q10 = 0, q11 = 0;
  // Section 3 (written when b[6] is 3 to 6).
  uint8_t s1 = 0;
  uint16_t s2 = 0;
  uint8_t s3 = 0;
  // Section 4 (written when b[4] bit 1 is set): T3 only when kind is not 9.
  uint8_t kind4 = 1;
  int32_t t1 = 0, t2 = 0;
  uint8_t t3 = 0;
  // Section 5 (written when b[4] bit 4 is set).
  uint8_t c = 0;
  std::vector<Type29Item> items;
  std::vector<Type29Entry> entries;
};
Bytes type29_record(const Type29Solution& s);

}  // namespace writers
