// Seeds for fuzz_run_r00: R00 files with sound records, damaged records and
// files without header or initial blocks, and the container forms.
#include "fuzz/seed_registry.h"
#include "testdata/block_container.h"
#include "testdata/frame_writer.h"
#include "testdata/t0x_writers.h"

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

  // The leading 1 asks for the R00 loop on a file without header; it is no
  // STX, so the run starts with a resynchronisation.
  writers::R00File bare;
  bare.with_header = bare.with_ephemeris = bare.with_ion = false;
  bare.records.push_back(writers::Bytes{1});
  bare.records.push_back(writers::message_frame(0, "A"));
  bare.records.push_back(writers::Bytes(7, 0));
  bare.records.push_back(writers::frame_bad_checksum(16, writers::Bytes{0, 'B'}));
  bare.records.push_back(writers::frame(117, writers::Bytes(266, 0)));
  bare.records.push_back(writers::message_frame(0, "C"));
  Write(directory, "damaged.r00", bare.bytes());

  const std::vector<writers::Bytes> records{
      writers::t00_file_record(), writers::message_frame(0, "A"),
      writers::frame_bad_checksum(16, writers::Bytes{0, 'B'}), writers::message_frame(0, "C")};
  Write(directory, "stream.t00", writers::t00_stream(records));
  writers::Bytes t01{3};  // asks for T01; the reader skips the byte
  writers::append(t01, writers::t01_stream(records, true));
  Write(directory, "stream.t01", t01);
  for (bool t04 : {false, true}) {
    writers::Bytes file = writers::container_header(9, 9, t04);
    writers::append(file, writers::frames_block(3, records));
    writers::append(file, writers::frames_block(2, records));
    Write(directory, t04 ? "blocks.t04" : "blocks.t02", file);
  }
}
