#include "testdata/compact_positions.h"

#include "core/byte_cursor.h"
#include "input/su_compr_common.h"
#include "records/compact_position.h"

namespace writers {

namespace {

const d01ozu::CompactPositionLayout& layout_of(const Bytes& frame) {
  return frame.at(2) == 11 ? d01ozu::kType11Compact : d01ozu::kType29Compact;
}

bool predicted_byte(const d01ozu::CompactPositionLayout& layout, size_t at) {
  for (uint8_t i = 0; i < layout.count; ++i)
    if (at >= layout.fields[i].offset && at < layout.fields[i].offset + layout.fields[i].width)
      return true;
  return false;
}

}  // namespace

Bytes compact_position_full(const Bytes& legacy_frame) {
  Bytes f = legacy_frame;
  f.at(2) = legacy_frame.at(2) == 11 ? 54 : 56;
  return f;
}

Bytes compact_position_delta(const Bytes& previous, const Bytes& last, const Bytes& next) {
  const d01ozu::CompactPositionLayout& layout = layout_of(next);
  const size_t n = next.size();
  if (last.size() != n || previous.size() != n) return {};
  for (size_t at = 0; at + 3 < n; ++at)
    if (next[at] != last[at] && !predicted_byte(layout, at)) return {};
  const uint8_t type = next[2] == 11 ? 55 : 57;
  Bytes nibbles, data;
  for (uint8_t i = 0; i < layout.count; ++i) {
    const d01ozu::PredictedField& f = layout.fields[i];
    const uint64_t prediction = 2 * d01ozu::load_be(last.data() + f.offset, f.width) -
                                d01ozu::load_be(previous.data() + f.offset, f.width);
    uint8_t nibble = 0;
    code_delta_field(d01ozu::load_be(next.data() + f.offset, f.width), prediction, f.width, &nibble,
                     data);
    nibbles.push_back(nibble);
  }
  Bytes out{0x02, 0, type, 0};
  for (size_t i = 0; i < nibbles.size(); i += 2)
    out.push_back(
        static_cast<uint8_t>(nibbles[i] << 4 | (i + 1 < nibbles.size() ? nibbles[i + 1] : 0)));
  append(out, data);
  out.push_back(next[n - 3]);
  out.push_back(next[n - 2]);
  out.push_back(0x03);
  d01ozu::write_raw_frame_length(out.data(), type, static_cast<int>(out.size()));
  return out;
}

void code_delta_field(uint64_t value, uint64_t prediction, size_t w, uint8_t* nibble, Bytes& data) {
  const uint64_t mask = w >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * w)) - 1;
  const uint64_t d = (value - prediction) & mask;
  const bool negative = d >> (8 * w - 1);
  const uint64_t magnitude = negative ? (mask - d + 1) & mask : d;
  // The fewest bytes whose top bit stays free for the sign; as many as the
  // field is wide means the value itself.
  size_t n = 0;
  if (magnitude != 0) {
    n = 1;
    while (n < w && magnitude >= (uint64_t{1} << (8 * n - 1))) ++n;
  }
  uint64_t coded = magnitude;
  if (n >= w) {
    n = w;
    coded = value;
  } else if (negative) {
    coded |= uint64_t{1} << (8 * n - 1);
  }
  *nibble = static_cast<uint8_t>(n);
  for (size_t i = n; i-- > 0;) data.push_back(static_cast<uint8_t>(coded >> (8 * i)));
}

}  // namespace writers
