#include "output/dat_fields.h"

#include <cstring>

namespace d01ozu {

double load_le_double(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

namespace {

// Reverses the byte order of count fields of width bytes.
void reverse_fields(ByteCursor& in, ByteWriter& out, size_t count, size_t width) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* src = in.take(width);
    uint8_t* dst = out.reserve(width);
    if (src == nullptr || dst == nullptr) return;
    for (size_t b = 0; b < width; ++b) dst[b] = src[width - 1 - b];
  }
}

// Input bytes of one scaled field.
size_t scaled_width(Conv c) {
  switch (c) {
    case Conv::kScaled8:
    case Conv::kScaled8Int:
      return 1;
    case Conv::kScaled16:
      return 2;
    case Conv::kScaled24:
      return 3;
    case Conv::kScaled32:
      return 4;
    default:
      return 6;
  }
}

// One table entry: reads its input fields and writes their conversions.
void apply(ByteCursor& in, ByteWriter& out, const FieldOp& op) {
  switch (op.conv) {
    case Conv::kCopy: {
      const uint8_t* src = in.take(op.count);
      if (src != nullptr) out.bytes(src, op.count);
      return;
    }
    case Conv::kZeros:
      return out.zeros(op.count);
    case Conv::kWord:
      return reverse_fields(in, out, op.count, 2);
    case Conv::kLong:
      return reverse_fields(in, out, op.count, 4);
    case Conv::kDouble:
      return reverse_fields(in, out, op.count, 8);
    case Conv::kScaled8Int:
      for (uint16_t i = 0; i < op.count; ++i)
        out.le16(
            static_cast<uint16_t>(static_cast<int16_t>(read_scaled(in, 1, op.is_signed, op.k))));
      return;
    default:
      for (uint16_t i = 0; i < op.count; ++i)
        put_f64(out, read_scaled(in, scaled_width(op.conv), op.is_signed, op.k));
  }
}

}  // namespace

bool convert_fields(ByteCursor& in, ByteWriter& out, const FieldOp* ops, size_t n) {
  for (size_t i = 0; i < n && in.ok() && out.ok(); ++i) apply(in, out, ops[i]);
  return in.ok() && out.ok();
}

size_t converted_size(const FieldOp* ops, size_t n) {
  size_t total = 0;
  for (size_t i = 0; i < n; ++i) {
    switch (ops[i].conv) {
      case Conv::kCopy:
      case Conv::kZeros:
        total += ops[i].count;
        break;
      case Conv::kWord:
      case Conv::kScaled8Int:
        total += 2u * ops[i].count;
        break;
      case Conv::kLong:
        total += 4u * ops[i].count;
        break;
      default:
        total += 8u * ops[i].count;
    }
  }
  return total;
}

}  // namespace d01ozu
