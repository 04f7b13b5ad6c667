// Seeds for fuzz_expand_raw_record: chunks of [origin][length / 2][record]
// holding records of the checked, passed-through and compact types.
#include "fuzz/seed_registry.h"
#include "testdata/frame_writer.h"
#include "testdata/t0x_writers.h"

namespace {

using writers::Bytes;
using writers::Payload;

void Add(Bytes& seed, uint8_t origin, Bytes record) {
  if (record.size() % 2) record.push_back(0);  // lengths are stored halved
  seed.push_back(origin);
  seed.push_back(static_cast<uint8_t>(record.size() / 2));
  writers::append(seed, record);
}

// A type-67 full epoch without satellites: the type-17 layout with the
// checksum taken over type byte 17.
Bytes FullEpoch() {
  Bytes f = writers::frame(17, Payload().be32(0x01020304).be24(0x050607));
  f[2] = 67;
  return f;
}

}  // namespace

SEED_FOR(fuzz_expand_raw_record) {
  Bytes seed;
  Add(seed, 9, writers::t00_file_record());
  Add(seed, 4, writers::raw_frame(17, 0, Payload().be32(1).be16(2)));
  Add(seed, 2, writers::raw_frame(20, 0, Payload().be16(3)));
  Add(seed, 9, FullEpoch());
  Add(seed, 9, Bytes{0x02, 7, 66, 0x00, 0x00, 0x2A, 0x03});
  Add(seed, 9, writers::t00_file_record());
  Add(seed, 1, writers::raw_frame(74, 0, Bytes(260, 0)));
  fuzzseed::write_seed(directory, "mixed", seed.data(), seed.size());
}
