// Seeds for fuzz_run_r00 that reach the output writers: ephemerides, ION/UTC,
// session, setup, position and tracking records and application parts, sound
// and overrunning their fields.
#include "fuzz/seed_registry.h"
#include "testdata/session_records.h"

namespace {

void Write(const std::string& directory, const char* name, const writers::R00File& file) {
  writers::Bytes bytes = file.bytes();
  fuzzseed::write_seed(directory, name, bytes.data(), bytes.size());
}

// A survey of a type-29 receiver with every record the reports read.
writers::R00File survey() {
  writers::R00File f;
  f.receiver_type = 29;
  writers::ReceiverIdentity id;
  id.receiver_type = 29;
  id.serial_text = "12345";
  id.nav_version = 102;
  f.records.push_back(writers::receiver_identity_record(id));
  f.records.push_back(writers::ephemeris_record(4, {}));
  writers::CompactEphemeris e;
  e.sv = 9;
  e.flags = 0xFFFFFFFF;
  f.records.push_back(writers::compact_ephemeris_record(e));
  f.records.push_back(writers::ion_utc_record({}));
  writers::SessionSetup setup;
  setup.first = 0;
  setup.last = 3;
  setup.long_name = "Hilltop";
  f.records.push_back(writers::session_setup_record(setup, true));
  writers::SessionRecord s;
  s.logging_start = 75;
  s.logging_stop = 9999;
  s.sats.assign(5, writers::SatCounts{10, 9, 8, 7});
  f.records.push_back(writers::session_record(s, false));
  s.logging_start = 80;
  f.records.push_back(writers::session_record(s, true));
  f.records.push_back(writers::position_record({}, false));
  f.records.push_back(writers::tracking_record(2, {1, 2, 3, 4}));
  for (const writers::Bytes& part : writers::app_parts(writers::app_file_data(260), 100))
    f.records.push_back(part);
  return f;
}

// Records whose counts and lengths run past their fields and buffers.
writers::R00File overruns() {
  writers::R00File f;
  f.with_ephemeris = f.with_ion = false;
  writers::SessionRecord s;
  s.last_index = 255;  // far more indexes than the record and the block hold
  f.records.push_back(writers::session_record(s, false));
  writers::SessionSetup setup;
  setup.first = 60;
  setup.last = 90;
  setup.long_name = "an overlong station name that runs far past its fifty characters";
  f.records.push_back(writers::session_setup_record(setup, false));
  f.records.push_back(writers::app_part(10, true, writers::Bytes(40, 1)));
  f.records.push_back(writers::app_part(10, false, writers::Bytes(5, 2)));
  f.records.push_back(writers::tracking_record(250, {}));
  return f;
}

}  // namespace

SEED_FOR(fuzz_run_r00) {
  Write(directory, "outputs_survey.r00", survey());
  Write(directory, "outputs_overruns.r00", overruns());
}
