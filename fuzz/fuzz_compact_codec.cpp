// The compact measurement codec on arbitrary frames: the first input byte
// picks the satellite capacity and the message flag, the rest is a sequence
// of frames (each preceded by a two-byte size) converted against one pair of
// references. Nothing may read or write past the frame buffer.
#include <cstdint>
#include <cstring>
#include <memory>

#include "datstream/compact_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  auto refs = std::make_unique<d01ozu::CompactReferences>();
  const int capacity =
      data[0] & 0x80 ? d01ozu::kContainerCompactSatellites : d01ozu::kLegacyCompactSatellites;
  d01ozu::reset_compact_references(*refs, capacity);
  const bool message_flag = (data[0] & 0x01) != 0;
  size_t at = 1;
  while (at + 2 <= size) {
    size_t n = static_cast<size_t>(data[at] << 8 | data[at + 1]) % 600;
    at += 2;
    if (n > size - at) n = size - at;
    // An exact-size heap buffer so any overrun is caught.
    std::unique_ptr<uint8_t[]> frame(new uint8_t[n + 1]);
    std::memcpy(frame.get(), data + at, n);
    size_t length = 0;
    d01ozu::convert_compact_epoch(*refs, frame.get(), n, n + 1, message_flag, &length);
    at += n;
  }
  return 0;
}
