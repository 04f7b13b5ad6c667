#include "testdata/t0x_writers.h"

#include "core/frame_rules.h"
#include "input/su_compr_common.h"
#include "testdata/su_encoder.h"

namespace writers {

Bytes raw_frame(uint8_t type, uint8_t status, const Bytes& payload) {
  Bytes f{d01ozu::kStx, 0, type, status};
  append(f, payload);
  const int total = static_cast<int>(payload.size()) + 7;
  d01ozu::write_raw_frame_length(f.data(), type, total);
  uint16_t sum = d01ozu::byte_sum16(f.data(), f.size());
  f.push_back(static_cast<uint8_t>(sum >> 8));
  f.push_back(static_cast<uint8_t>(sum));
  f.push_back(d01ozu::kEtx);
  return f;
}

Bytes t00_file_record() {
  Payload p;
  p.text("ORVN", 5).zeros(3);  // 15 bytes: bytes 4 to 11 of the record
  return raw_frame(30, 0, p);
}

Bytes t00_stream(const std::vector<Bytes>& frames) {
  Bytes out;
  for (const Bytes& f : frames) append(out, f);
  return out;
}

Bytes t01_stream(const std::vector<Bytes>& frames, bool end_between) {
  SuEncoder encoder;
  for (const Bytes& f : frames) {
    encoder.put(f);
    if (end_between) encoder.put_end();
  }
  return encoder.finish();
}

}  // namespace writers
