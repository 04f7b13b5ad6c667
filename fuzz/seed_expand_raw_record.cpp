// Seeds for fuzz_expand_raw_record: chunks of [origin][length / 2][record]
// holding records of the checked, passed-through and compact types.
#include "fuzz/seed_registry.h"
#include "testdata/compact27_encoder.h"
#include "testdata/compact_encoder.h"
#include "testdata/compact_patches.h"
#include "testdata/compact_positions.h"
#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "testdata/position_records.h"
#include "testdata/t0x_writers.h"
#include "testdata/type27_records.h"

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

// The typed converters: every type-5 page, type 11 with refinement bytes,
// type 29 with every section, the compact position records and the newer
// types.
void typed_seed(const std::string& directory) {
  Bytes seed;
  writers::Type5Page0 page0;
  page0.text = "Long station name";
  Add(seed, 9, writers::type5_page(page0));
  Add(seed, 9, writers::type5_page(writers::Type5Page1{}));
  Add(seed, 9, writers::type5_page(writers::Type5Page2{}));
  Add(seed, 9, writers::type5_page(writers::Type5Page3{}));
  Add(seed, 9, writers::type5_page(4, writers::Type5Page4{0, {1, 2, 3, 4}, {5, 6, 7, 8}}));
  Add(seed, 9, writers::type5_page(writers::Type5Page6{}));
  Add(seed, 9, writers::type5_page(writers::Type5Page7{1, 2.0, {{1, 2}, {3, 4}}, -1}));
  writers::PositionSolution fix;
  fix.lists = {0, 1, 5, 9};
  fix.refine = true;
  Add(seed, 9, writers::position_solution(11, fix));
  writers::Type29Solution s;
  s.b = {1, 0, 2, 0, 0x12, 5, 4, 3};
  s.items = {{3, 4, 1 << 28}, {5, 7, -1}};
  s.entries = {{3, 0, 2}, {11, 5, 2}, {4, 7, 0}};
  const Bytes first29 = writers::type29_record(s);
  Add(seed, 9, first29);
  Add(seed, 9, writers::compact_position_full(first29));
  s.p1 = 1000;
  s.h2 = 77;
  Add(seed, 9, writers::compact_position_delta(first29, first29, writers::type29_record(s)));
  const Bytes first11 = writers::position_solution(11, fix);
  fix.head[0] = -5;
  Add(seed, 9, writers::compact_position_full(first11));
  Add(seed, 9,
      writers::compact_position_delta(first11, first11, writers::position_solution(11, fix)));
  Add(seed, 9, writers::raw_frame(98, 0, Bytes(300, 0x5A)));
  const Bytes sub2 = writers::raw_record(25, 2, Bytes(42, 0x40));
  Bytes next2 = sub2;
  next2[6] = 9;
  Add(seed, 9, sub2);
  Add(seed, 9, writers::compact_type25_full(sub2));
  Add(seed, 9, writers::compact_type25_delta(sub2, sub2, next2, true));
  Add(seed, 9, writers::compact_type25_delta(sub2, sub2, next2, false));
  const Bytes forty = writers::raw_frame(40, 1, Bytes(12, 4));
  Bytes next40 = forty;
  next40[3] = 2;
  Add(seed, 9, forty);
  Add(seed, 9, writers::compact_type40_patch(forty, next40));
  fuzzseed::write_seed(directory, "typed", seed.data(), seed.size());
}

// A type-27 epoch with every optional part: drift, extra byte, system
// offsets, a satellite with its extension bytes, and blocks with doppler,
// flag bytes behind flags 3 and a three-byte difference; moving with k.
writers::Raw27Epoch Epoch27(int k) {
  writers::Raw27Epoch e;
  e.week = 2300;
  e.time_ms = 1000u * static_cast<uint32_t>(k);
  e.clock = 4096 + k;
  e.flags = 0x32;
  e.offsets = {{1, 2, 512}};
  writers::Raw27Satellite s;
  s.sv = 5;
  s.flags = 0x80;
  s.flags2 = 0x01;
  writers::Raw27Block l1, l2;
  l1.range = writers::range0(2e7, 0);
  l1.phase = writers::cycles(100.0 * k);
  l1.flags = 0x04;
  l2.type = 1;
  l2.track = 2;
  l2.phase = writers::cycles(80.0 * k);
  l2.flags = 0x80;
  l2.flags2 = 0x81;
  l2.flags3 = 0x80;
  l2.further = {0x01};
  s.blocks = {l1, l2};
  e.satellites = {s};
  return e;
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
  Add(seed, 9, writers::second_group_epoch(FullEpoch()));
  Add(seed, 9, writers::second_group_epoch(Bytes{0x02, 7, 66, 0x00, 0x00, 0x2A, 0x03}));
  fuzzseed::write_seed(directory, "mixed", seed.data(), seed.size());
  typed_seed(directory);

  // Measurement epochs: raw 27 and 17, then the compact forms of type 27.
  Bytes epochs;
  writers::Compact27Encoder encoder;
  Add(epochs, 9, writers::raw27_frame(Epoch27(0)));
  Add(epochs, 9, writers::raw27_frame(Epoch27(1)));
  Add(epochs, 2, writers::type17_part(2000, 0, false, {writers::Type17Entry{}}));
  Add(epochs, 9, encoder.whole(Epoch27(2)));
  Add(epochs, 9, encoder.predicted(encoder.project(Epoch27(3))));
  Add(epochs, 9, encoder.varint(encoder.project(Epoch27(4)), true));
  Add(epochs, 9, encoder.varint(encoder.project(Epoch27(5)), false));
  fuzzseed::write_seed(directory, "epochs", epochs.data(), epochs.size());
}
