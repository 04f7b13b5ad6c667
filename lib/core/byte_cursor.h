// Bounds-checked reading and writing of byte buffers.
//
// ByteCursor reads big-endian receiver fields; ByteWriter writes little-endian
// DAT fields. Both keep a sticky error: an access that does not fit yields 0
// (or writes nothing), does not move the position, and sets ok() to false for
// good. Callers read a run of fields and check ok() once afterwards. All bounds
// arithmetic lives here; callers never compare offsets against sizes.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace d01ozu {

// The unsigned big-endian number of width bytes (0 to 8) at p: for fields of
// bytes already taken from a cursor.
inline uint64_t load_be(const uint8_t* p, size_t width) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // A width known when compiling: at most three loads of 4, 2 and 1 bytes,
  // byte-swapped and joined in registers, not a loop.
  if (__builtin_constant_p(width) && width >= 1 && width <= 8) {
    if (width == 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      return __builtin_bswap64(word);
    }
    uint64_t v = 0;
    size_t at = 0;
    if (width >= 4) {
      uint32_t word;
      std::memcpy(&word, p, 4);
      v = __builtin_bswap32(word);
      at = 4;
    }
    if (width - at >= 2) {
      uint16_t half;
      std::memcpy(&half, p + at, 2);
      v = v << 16 | __builtin_bswap16(half);
      at += 2;
    }
    if (width - at == 1) v = v << 8 | p[at];
    return v;
  }
#endif
  uint64_t v = 0;
  for (size_t i = 0; i < width; ++i) v = v << 8 | p[i];
  return v;
}

// v times 2^e. For e in the range of normal doubles (-1022 to 1023) the power
// is built from its bits and multiplied: one rounding, as ldexp does, so the
// result is ldexp's, without the library call.
// 2^k for k from -1022 to 1023, built from the exponent bits: exact, and
// cheaper than a library call per field.
inline double power_of_two(int k) {
  const uint64_t bits = static_cast<uint64_t>(1023 + k) << 52;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

inline double times_pow2(double v, int e) {
  if (e < -1022 || e > 1023) return std::ldexp(v, e);
  return v * power_of_two(e);
}

// Stores the low width bytes of v big-endian at p.
inline void store_be(uint8_t* p, size_t width, uint64_t v) {
  for (size_t i = width; i-- > 0; v >>= 8) p[i] = static_cast<uint8_t>(v);
}

class ByteCursor {
 public:
  ByteCursor() = default;
  ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t position() const { return pos_; }
  size_t size() const { return size_; }
  size_t remaining() const { return size_ - pos_; }
  bool ok() const { return ok_; }
  const uint8_t* here() const { return data_ + pos_; }

  // True when n more bytes can be read; never sets the error.
  bool has(size_t n) const { return n <= size_ - pos_; }

  // Moves to an absolute offset; an offset past the end sets the error.
  void seek(size_t offset) {
    if (offset > size_) {
      ok_ = false;
      return;
    }
    pos_ = offset;
  }
  void skip(size_t n) {
    if (take(n) == nullptr) return;
  }

  uint8_t u8() {
    const uint8_t* p = take(1);
    return p ? p[0] : 0;
  }
  int8_t s8() { return static_cast<int8_t>(u8()); }
  uint16_t be16() { return static_cast<uint16_t>(be(2)); }
  int16_t sbe16() { return static_cast<int16_t>(be16()); }
  uint32_t be24() { return static_cast<uint32_t>(be(3)); }
  int32_t sbe24() {
    uint32_t v = be24();
    return static_cast<int32_t>((v ^ 0x800000u) - 0x800000u);
  }
  uint32_t be32() { return static_cast<uint32_t>(be(4)); }
  int32_t sbe32() { return static_cast<int32_t>(be32()); }
  uint64_t be48() { return be(6); }
  int64_t sbe48() {
    uint64_t v = be48();
    return static_cast<int64_t>((v ^ 0x800000000000ull) - 0x800000000000ull);
  }
  uint64_t be64() { return be(8); }
  double bef64() {
    uint64_t bits = be64();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  float bef32() {
    uint32_t bits = be32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  // Signed big-endian integer of 1 to 8 bytes (two's complement).
  int64_t sbe(size_t width) {
    const uint64_t v = be(width);
    if (width == 0 || width >= 8) return static_cast<int64_t>(v);
    const uint64_t sign = uint64_t{1} << (8 * width - 1);
    return static_cast<int64_t>((v ^ sign) - sign);
  }
  // Scaled fixed-point fields: the n-byte (1 to 8) big-endian integer times
  // 2^e, two's complement for S and unsigned for U. 0 when short.
  double scaled_s(size_t n, int e) { return times_pow2(static_cast<double>(sbe(n)), e); }
  double scaled_u(size_t n, int e) { return times_pow2(static_cast<double>(be(n)), e); }
  uint16_t le16() {
    const uint8_t* p = take(2);
    return p ? static_cast<uint16_t>(p[0] | p[1] << 8) : 0;
  }

  // Unsigned big-endian integer of 1 to 8 bytes; 0 and the error when short.
  uint64_t be(size_t width) {
    const uint8_t* p = take(width);
    return p ? load_be(p, width) : 0;
  }

  // Copies n bytes out; on a short buffer copies nothing and zero-fills dst.
  void bytes(void* dst, size_t n) {
    const uint8_t* p = take(n);
    if (p)
      std::memcpy(dst, p, n);
    else
      std::memset(dst, 0, n);
  }

  // Returns a pointer to the next n bytes and advances, or nullptr (error set).
  const uint8_t* take(size_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return nullptr;
    }
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
  bool ok_ = true;
};

class ByteWriter {
 public:
  ByteWriter(uint8_t* data, size_t capacity) : data_(data), cap_(capacity) {}

  size_t position() const { return pos_; }
  size_t capacity() const { return cap_; }
  bool ok() const { return ok_; }
  uint8_t* data() const { return data_; }

  void seek(size_t offset) {
    if (offset > cap_) {
      ok_ = false;
      return;
    }
    pos_ = offset;
  }
  void u8(uint8_t v) { put(&v, 1); }
  void le16(uint16_t v) { put_le(v); }
  void le32(uint32_t v) { put_le(v); }
  void le64(uint64_t v) { put_le(v); }
  void f64(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    le64(bits);
  }
  void f32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    le32(bits);
  }
  void zeros(size_t n) {
    uint8_t* p = reserve(n);
    if (p) std::memset(p, 0, n);
  }
  void bytes(const void* src, size_t n) { put(src, n); }

  // Reserves n bytes and returns them for the caller to fill, or nullptr.
  uint8_t* reserve(size_t n) {
    if (!ok_ || n > cap_ - pos_) {
      ok_ = false;
      return nullptr;
    }
    uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }

 private:
  // Stores an unsigned integer in little-endian byte order.
  template <typename T>
  void put_le(T v) {
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
    uint8_t b[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    put(b, sizeof b);
#else
    put(&v, sizeof v);
#endif
  }

  void put(const void* src, size_t n) {
    uint8_t* p = reserve(n);
    if (p && n) std::memcpy(p, src, n);
  }

  uint8_t* data_;
  size_t cap_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace d01ozu
