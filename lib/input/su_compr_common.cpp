#include "input/su_compr_common.h"

#include <array>
#include <cstring>
#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "core/record_traits.h"

namespace d01ozu {

namespace {

constexpr uint8_t kRecord35LengthMask = 0x0F;

// What the framer asks of a type for every frame, copied from the record
// traits into one small table, built once, that a lookup reads directly.
struct FrameRule {
  RawLength length = RawLength::kByte1;
  bool checksum_exempt = false;
};
using FrameRules = std::array<FrameRule, 256>;

// Every type's rule, read from the record traits.
FrameRules BuildFrameRules() {
  FrameRules rules;
  for (int type = 0; type < 256; ++type) {
    const RecordTraits& traits = TraitsOf(type);
    rules[static_cast<size_t>(type)] = FrameRule{traits.raw_length, traits.compact};
  }
  return rules;
}

// The rule of type; the table is built on first use and never changed.
const FrameRule& RuleOf(uint8_t type) {
  static const FrameRules rules = BuildFrameRules();
  return rules[type];
}

}  // namespace

int raw_frame_length(uint8_t type, uint8_t length_byte, uint8_t high_byte) {
  switch (RuleOf(type).length) {
    case RawLength::kPlus256:
      return length_byte + 256;
    case RawLength::kExtended:
      return length_byte + 256 * high_byte;
    case RawLength::kRecord35:
      return length_byte + 256 * (high_byte & kRecord35LengthMask);
    case RawLength::kByte1:
      break;
  }
  return length_byte;
}

bool write_raw_frame_length(uint8_t* frame, uint8_t type, int total) {
  uint8_t& low = frame[kRawLengthOffset];
  uint8_t& high = frame[kRawLengthHighOffset];
  low = static_cast<uint8_t>(total);
  const RawLength rule = TraitsOf(type).raw_length;
  if (rule == RawLength::kPlus256) return total >= 256 && total < 512;
  if (rule == RawLength::kExtended) {
    high = static_cast<uint8_t>(total >> 8);
    return total >= 0 && total < 65536;
  }
  if (rule == RawLength::kRecord35) {
    high =
        static_cast<uint8_t>((high & ~kRecord35LengthMask) | ((total >> 8) & kRecord35LengthMask));
    return total >= 0 && total < 4096;
  }
  return total >= 0 && total < 256;
}

bool raw_type_checksum_exempt(uint8_t type) {
  return RuleOf(type).checksum_exempt;
}

#if defined(__SSE2__) && defined(__x86_64__)
// The byte sum sixteen bytes at a time: the sum-of-absolute-differences
// against zero adds each half of a 16-byte load into a 64-bit lane.
uint16_t byte_sum16(const uint8_t* data, size_t n) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lanes = zero;
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    lanes = _mm_add_epi64(lanes, _mm_sad_epu8(x, zero));
  }
  uint64_t sum = static_cast<uint64_t>(_mm_cvtsi128_si64(lanes)) +
                 static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(lanes, lanes)));
  for (; i < n; ++i) sum += data[i];
  return static_cast<uint16_t>(sum);
}
#else
// The byte sum eight bytes at a time: the bytes of a word are added pairwise
// into ever wider lanes, which cannot overflow within one word.
uint16_t byte_sum16(const uint8_t* data, size_t n) {
  constexpr uint64_t kBytes = 0x00FF00FF00FF00FFull, kPairs = 0x0000FFFF0000FFFFull;
  uint64_t sum = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x;
    std::memcpy(&x, data + i, 8);
    x = (x & kBytes) + (x >> 8 & kBytes);
    x = (x & kPairs) + (x >> 16 & kPairs);
    sum += (x & 0xFFFFFFFFu) + (x >> 32);
  }
  for (; i < n; ++i) sum += data[i];
  return static_cast<uint16_t>(sum);
}
#endif

bool raw_frame_checksum_ok(const uint8_t* frame, size_t length) {
  if (length < 3) return false;
  uint16_t carried = static_cast<uint16_t>(frame[length - 3] << 8 | frame[length - 2]);
  return byte_sum16(frame, length - 3) == carried;
}

}  // namespace d01ozu
