// Seeds for fuzz_compact_codec: full and delta epochs from the encoder, each
// preceded by its two-byte size.
#include <string>

#include "fuzz/seed_registry.h"
#include "writers/compact_encoder.h"

namespace {

writers::Bytes source(uint32_t t, int satellites) {
  std::vector<std::array<uint8_t, 29>> entries;
  for (int i = 0; i < satellites; ++i) {
    std::array<uint8_t, 29> e{};
    e[0] = static_cast<uint8_t>(i + 3);
    e[1] = i % 3 ? 0xD0 : 0xD1;
    e[5] = 30;
    e[8] = static_cast<uint8_t>(t * 5 + i);
    e[14] = static_cast<uint8_t>(t);
    entries.push_back(e);
  }
  return writers::type17_frame_from_entries(t * 200, t, entries);
}

void add(writers::Bytes& out, const writers::Bytes& frame) {
  out.push_back(static_cast<uint8_t>(frame.size() >> 8));
  out.push_back(static_cast<uint8_t>(frame.size()));
  out.insert(out.end(), frame.begin(), frame.end());
}

}  // namespace

SEED_FOR(fuzz_compact_codec) {
  for (int satellites : {3, 12}) {
    writers::CompactEncoder enc;
    writers::Bytes seed{0x00};
    add(seed, enc.full(source(1, satellites)));
    for (uint32_t t = 2; t < 8; ++t) add(seed, enc.delta(source(t, satellites)));
    std::string name = "compact_" + std::to_string(satellites);
    fuzzseed::write_seed(directory, name, seed.data(), seed.size());
  }
}
