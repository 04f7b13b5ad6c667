// Seeds for fuzz_run_r00: R00 files with sound records, damaged records and
// files without header or initial blocks.
#include "fuzz/seed_registry.h"
#include "writers/frame_writer.h"

namespace {

void Write(const std::string& directory, const char* name, const writers::Bytes& bytes) {
  fuzzseed::write_seed(directory, name, bytes.data(), bytes.size());
}

double EphValue(int sv, int k) {
  return sv + k / 64.0;
}

}  // namespace

SEED_FOR(fuzz_run_r00) {
  writers::R00File sound;
  sound.eph_value = EphValue;
  sound.records.push_back(writers::message_frame(3, "PILLAR 7"));
  sound.records.push_back(writers::message_frame(0, "TEXT"));
  Write(directory, "sound.r00", sound.bytes());

  writers::R00File bare;
  bare.with_header = bare.with_ephemeris = bare.with_ion = false;
  bare.records.push_back(writers::message_frame(0, "A"));
  bare.records.push_back(writers::Bytes(7, 0));
  bare.records.push_back(writers::frame_bad_checksum(16, writers::Bytes{0, 'B'}));
  bare.records.push_back(writers::frame(117, writers::Bytes(266, 0)));
  bare.records.push_back(writers::message_frame(0, "C"));
  Write(directory, "damaged.r00", bare.bytes());
}
