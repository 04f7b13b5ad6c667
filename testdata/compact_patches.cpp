#include "testdata/compact_patches.h"

#include "core/byte_cursor.h"
#include "testdata/compact_positions.h"

namespace writers {

namespace {

// Header, optional long code, the patch list from first on, check bytes and
// the end byte.
Bytes patched(uint8_t type, uint8_t byte3, const Bytes& last, const Bytes& next, size_t first,
              const Bytes& long_code) {
  Bytes out{0x02, 0, type, byte3};
  append(out, long_code);
  Bytes pairs;
  for (size_t at = first; at + 3 < next.size(); ++at)
    if (next[at] != last[at] && !(at >= 4 && at < 8 && !long_code.empty())) {
      pairs.push_back(static_cast<uint8_t>(at));
      pairs.push_back(next[at]);
    }
  out.push_back(static_cast<uint8_t>(pairs.size() / 2));
  append(out, pairs);
  out.push_back(next[next.size() - 3]);
  out.push_back(next[next.size() - 2]);
  out.push_back(0x03);
  if (out.size() > 255) return {};  // too many changes: a full record will do
  out[1] = static_cast<uint8_t>(out.size());
  return out;
}

}  // namespace

Bytes compact_type25_full(const Bytes& type25_frame) {
  Bytes f = type25_frame;
  f.at(2) = 84;
  return f;
}

Bytes compact_type25_delta(const Bytes& previous, const Bytes& last, const Bytes& next,
                           bool predict_long) {
  if (last.size() != next.size() || last.at(3) != next.at(3)) return {};
  Bytes long_code;
  if (predict_long) {
    const uint64_t prediction =
        2 * d01ozu::load_be(last.data() + 4, 4) - d01ozu::load_be(previous.data() + 4, 4);
    uint8_t nibble = 0;
    Bytes data;
    code_delta_field(d01ozu::load_be(next.data() + 4, 4), prediction, 4, &nibble, data);
    long_code.push_back(static_cast<uint8_t>(nibble << 4));
    append(long_code, data);
  }
  return patched(predict_long ? 85 : 86, next[3], last, next, 3, long_code);
}

Bytes compact_type40_patch(const Bytes& last, const Bytes& next) {
  if (last.size() != next.size()) return {};
  return patched(41, 0, last, next, 3, {});
}

}  // namespace writers
