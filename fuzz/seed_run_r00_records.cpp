// Seeds for fuzz_run_r00 that reach the record processor's types: epochs of
// types 7, 17/117 and 102, events, position and file-information records,
// newer record types and compact measurement epochs.
#include "fuzz/seed_registry.h"
#include "testdata/compact_encoder.h"
#include "testdata/legacy_records.h"
#include "testdata/session_records.h"

namespace {

writers::Bytes epoch17_frame(uint32_t t, int satellites) {
  std::vector<std::array<uint8_t, 29>> entries(static_cast<size_t>(satellites));
  for (int i = 0; i < satellites; ++i) {
    entries[i] = {static_cast<uint8_t>(i + 1), static_cast<uint8_t>(i % 2 ? 0xD1 : 0xD0)};
    entries[i][5] = 40;
    entries[i][9] = static_cast<uint8_t>(t + i);
  }
  return writers::type17_frame_from_entries(t * 1000, t, entries);
}

std::vector<writers::Bytes> records() {
  std::vector<writers::Bytes> r;
  r.push_back(writers::type12_record({}));
  for (uint32_t t = 1; t <= 3; ++t) {
    writers::Type7Part a;
    a.part = static_cast<uint8_t>(t % 2);
    a.time_ms = t * 1000;
    a.bytes[5] = static_cast<uint8_t>(t);
    a.size = t == 2 ? 61 : 73;
    r.push_back(writers::type7_part(a));
    r.push_back(writers::event_record(static_cast<uint8_t>(t % 3), 1, t * 1000 + 500, {0x4000}));
  }
  writers::Type17Entry e;
  e.flags = 0x21;
  r.push_back(writers::type17_part(5000, 12, true, {e, e}));
  r.push_back(writers::type17_part(5000, 12, false, {e}));
  r.push_back(writers::type102_part(6000, 1, false, {writers::Type102Entry{}}));
  writers::PositionSolution s;
  s.lists = {1, 2, 3, 4};
  s.refine = true;
  r.push_back(writers::position_solution(11, s));
  r.push_back(writers::raw_record(25, 2, writers::Payload().zeros(8).u8(0x40).zeros(33).data()));
  writers::ReceiverIdentity id{1, 29, "1234567890", 101, 0};
  r.push_back(writers::receiver_identity_record(id));
  r.push_back(writers::message_frame(124, "1"));
  writers::CompactEncoder enc;
  r.push_back(enc.full(epoch17_frame(7, 4)));
  for (uint32_t t = 8; t < 11; ++t) r.push_back(enc.delta(epoch17_frame(t, 4 + t % 2)));
  return r;
}

}  // namespace

SEED_FOR(fuzz_run_r00) {
  writers::R00File f;
  f.records = records();
  writers::Bytes bytes = f.bytes();
  fuzzseed::write_seed(directory, "records_mix.r00", bytes.data(), bytes.size());
}
