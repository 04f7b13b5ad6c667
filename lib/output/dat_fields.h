// Field conversions from big-endian receiver records to little-endian DAT
// images. A layout is a table of FieldOp entries applied in order: each reads
// its input field from the cursor and writes its output field to the writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/byte_cursor.h"

namespace d01ozu {

enum class Conv : uint8_t {
  kCopy,        // count bytes unchanged
  kWord,        // count 2-byte fields, byte order reversed
  kLong,        // count 4-byte fields, byte order reversed
  kDouble,      // count 8-byte fields, byte order reversed
  kScaled8,     // 1-byte integer x 2^k as a double
  kScaled8Int,  // 1-byte integer x 2^k truncated to a 16-bit integer
  kScaled16,    // 2-byte integer x 2^k as a double
  kScaled24,    // 3-byte integer x 2^k as a double (sign bit 23)
  kScaled32,    // 4-byte integer x 2^k as a double
  kScaled48,    // 6-byte integer x 2^k as a double
  kZeros,       // count zero bytes written, nothing read
};

struct FieldOp {
  Conv conv;
  uint16_t count;  // bytes (copy, zeros) or fields (word, long, double, scaled)
  bool is_signed;
  int8_t k;  // power of two of the scaled conversions
};

namespace field {
constexpr FieldOp copy(uint16_t n) {
  return {Conv::kCopy, n, false, 0};
}
constexpr FieldOp zeros(uint16_t n) {
  return {Conv::kZeros, n, false, 0};
}
constexpr FieldOp words(uint16_t n) {
  return {Conv::kWord, n, false, 0};
}
constexpr FieldOp longs(uint16_t n) {
  return {Conv::kLong, n, false, 0};
}
constexpr FieldOp doubles(uint16_t n) {
  return {Conv::kDouble, n, false, 0};
}
constexpr FieldOp s8(int8_t k) {
  return {Conv::kScaled8, 1, true, k};
}
constexpr FieldOp s16(int8_t k) {
  return {Conv::kScaled16, 1, true, k};
}
constexpr FieldOp u16(int8_t k) {
  return {Conv::kScaled16, 1, false, k};
}
constexpr FieldOp s24(int8_t k) {
  return {Conv::kScaled24, 1, true, k};
}
constexpr FieldOp s32(int8_t k) {
  return {Conv::kScaled32, 1, true, k};
}
constexpr FieldOp u32(int8_t k) {
  return {Conv::kScaled32, 1, false, k};
}
constexpr FieldOp s48(int8_t k) {
  return {Conv::kScaled48, 1, true, k};
}
}  // namespace field

// Applies n operations in order. False when the input ran short or the output
// is full (both cursors keep their sticky error).
bool convert_fields(ByteCursor& in, ByteWriter& out, const FieldOp* ops, size_t n);
template <size_t N>
bool convert_fields(ByteCursor& in, ByteWriter& out, const FieldOp (&ops)[N]) {
  return convert_fields(in, out, ops, N);
}

// Output bytes of a layout table (what convert_fields writes when it succeeds).
size_t converted_size(const FieldOp* ops, size_t n);

// Stores d at p as a little-endian double (a whole-word store on
// little-endian hosts; the per-record hot path writes many of them).
inline void store_le_double(uint8_t* p, double d) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  std::memcpy(p, &d, 8);
#else
  uint64_t bits;
  std::memcpy(&bits, &d, 8);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
#endif
}

// Appends d as a little-endian double.
inline void put_f64(ByteWriter& w, double d) {
  uint8_t* p = w.reserve(8);
  if (p != nullptr) store_le_double(p, d);
}

// The sign-extended big-endian integer of W bytes at p: for fixed-offset
// fields of bytes the caller has already taken from a cursor.
template <size_t W>
inline int64_t load_be_signed(const uint8_t* p) {
  const uint64_t sign = 1ull << (8 * W - 1);
  return static_cast<int64_t>((load_be(p, W) ^ sign) - sign);
}

// The unsigned big-endian integer of W (1 to 7) bytes at p, as a signed
// 64-bit value: converts to double with one instruction.
template <size_t W>
inline int64_t load_be_unsigned(const uint8_t* p) {
  static_assert(W >= 1 && W <= 7, "the value must fit a signed 64-bit integer");
  return static_cast<int64_t>(load_be(p, W));
}

// The little-endian double stored at p (a DAT or image field).
double load_le_double(const uint8_t* p);

// A scaled integer of width bytes read as signed or unsigned, times 2^k
// (0 when the cursor runs short).
inline double read_scaled(ByteCursor& in, size_t width, bool is_signed, int k) {
  uint64_t raw = in.be(width);
  int64_t value = static_cast<int64_t>(raw);
  if (is_signed && width < 8) {
    const uint64_t sign = 1ull << (8 * width - 1);
    value = static_cast<int64_t>((raw ^ sign) - sign);
  }
  return static_cast<double>(value) * power_of_two(k);
}

}  // namespace d01ozu
