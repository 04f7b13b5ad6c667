// Seeds for fuzz_read_raw_record: the first byte picks the mode (odd: su-coded),
// the rest is a T00, T01, T02 or T04 file made by the writers, sound or damaged.
#include "fuzz/seed_registry.h"
#include "testdata/block_container.h"
#include "testdata/t0x_writers.h"

namespace {

using writers::append;
using writers::Bytes;

std::vector<Bytes> Records() {
  return {writers::t00_file_record(), writers::message_frame(0, "SEED"),
          writers::raw_frame(27, 0, Bytes(300, 0x11)), writers::raw_frame(74, 0, Bytes(260, 3)),
          writers::raw_frame(36, 0, Bytes(12, 9))};
}

void Write(const std::string& directory, const std::string& name, bool coded, const Bytes& file) {
  Bytes seed{static_cast<uint8_t>(coded ? 1 : 0)};
  append(seed, file);
  fuzzseed::write_seed(directory, name, seed.data(), seed.size());
}

}  // namespace

SEED_FOR(fuzz_read_raw_record) {
  Write(directory, "t00", false, writers::t00_stream(Records()));
  Write(directory, "t01", true, writers::t01_stream(Records()));
  Write(directory, "t01-ends", true, writers::t01_stream(Records(), true));
  for (uint8_t kind : {1, 2, 3, 4, 5, 7, 8}) {
    Bytes file = writers::container_header(9, 9, kind == 8);
    append(file, writers::frames_block(kind, Records()));
    Write(directory, "kind" + std::to_string(kind), true, file);
  }
  Bytes damaged = writers::container_header(9, 10);
  append(damaged, writers::container_header());
  Bytes zlib = writers::frames_block(2, Records());
  zlib[14] ^= 0xFF;
  append(damaged, zlib);
  append(damaged, writers::raw_block(6, Bytes{0x42, 0x5A, 0x68}));
  append(damaged, writers::data_block(9, Bytes(8, 2)));
  append(damaged, writers::frames_block(4, {Bytes{2, 0, 17, 0}}));
  append(damaged, writers::frames_block(4, Records()));
  Write(directory, "damaged", true, damaged);
}
