// Seeds for fuzz_run_r00 that reach the record processor's types: epochs of
// types 7, 17/117 and 102, events, position and file-information records,
// newer record types and compact measurement epochs.
#include "fuzz/seed_registry.h"
#include "writers/compact_encoder.h"
#include "writers/legacy_records.h"
#include "writers/session_records.h"

namespace {

writers::Bytes epoch17_frame(uint32_t t, int satellites) {
  std::vector<std::array<uint8_t, 29>> entries;
  for (int i = 0; i < satellites; ++i) {
    std::array<uint8_t, 29> e{};
    e[0] = static_cast<uint8_t>(i + 1);
    e[1] = i % 2 ? 0xD1 : 0xD0;
    e[5] = 40;
    e[9] = static_cast<uint8_t>(t + i);
    e[15] = static_cast<uint8_t>(3 * t);
    entries.push_back(e);
  }
  return writers::type17_frame_from_entries(t * 1000, t, entries);
}

std::vector<writers::Bytes> epochs_and_events() {
  std::vector<writers::Bytes> r;
  writers::Type12Record t12;
  t12.count = 2;
  t12.further = {{100, -100}};
  r.push_back(writers::type12_record(t12));
  for (uint32_t t = 1; t <= 3; ++t) {
    writers::Type7Part a;
    a.part = 1;
    a.time_ms = t * 1000;
    a.bytes[5] = static_cast<uint8_t>(t);
    a.size = 61;
    r.push_back(writers::type7_part(a));
    a.part = 0;
    a.size = 73;
    r.push_back(writers::type7_part(a));
    r.push_back(writers::event_record(static_cast<uint8_t>(t % 3), 1, t * 1000 + 500, {0x4000}));
  }
  r.push_back(writers::event_text_record(2, 3600, "marker"));
  writers::Type17Entry e;
  e.flags = 0x21;
  r.push_back(writers::type17_part(5000, 12, true, {e, e}));
  r.push_back(writers::type17_part(5000, 12, false, {e}));
  r.push_back(writers::type102_part(6000, 1, false, {writers::Type102Entry{}}));
  return r;
}

std::vector<writers::Bytes> other_types() {
  std::vector<writers::Bytes> r;
  writers::PositionSolution s;
  s.lists = {1, 2, 3, 4};
  s.refine = true;
  r.push_back(writers::position_solution(11, s));
  r.push_back(writers::type101_record(5, {1, 2, 3, 4}, 0, 1));
  r.push_back(writers::raw_record(25, 2, writers::Payload().zeros(8).u8(0x40).zeros(33).data()));
  r.push_back(writers::raw_record(20, 1, writers::Payload().be32(7).be16(1).be16(2).data()));
  r.push_back(writers::raw_record(19, 6, {0, 1, 0, 2}));
  writers::ReceiverIdentity id;
  id.receiver_type = 29;
  id.serial_text = "1234567890";
  id.nav_version = 101;
  r.push_back(writers::receiver_identity_record(id));
  r.push_back(writers::message_frame(124, "1"));
  return r;
}

std::vector<writers::Bytes> compact_epochs() {
  std::vector<writers::Bytes> r;
  writers::CompactEncoder enc;
  r.push_back(enc.full(epoch17_frame(1, 4)));
  for (uint32_t t = 2; t < 6; ++t) r.push_back(enc.delta(epoch17_frame(t, 4 + t % 2)));
  r.push_back(enc.full(epoch17_frame(6, 14)));
  r.push_back(enc.delta(epoch17_frame(7, 14)));
  return r;
}

void write_r00(const std::string& directory, const char* name,
               const std::vector<writers::Bytes>& records) {
  writers::R00File f;
  f.with_ephemeris = false;
  f.records = records;
  writers::Bytes bytes = f.bytes();
  fuzzseed::write_seed(directory, name, bytes.data(), bytes.size());
}

}  // namespace

SEED_FOR(fuzz_run_r00) {
  write_r00(directory, "records_epochs.r00", epochs_and_events());
  write_r00(directory, "records_other.r00", other_types());
  write_r00(directory, "records_compact.r00", compact_epochs());
}
