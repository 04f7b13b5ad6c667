// make_sample PATH: writes the small sample R00 input used by the README: a
// receiver identity, a station message, ephemerides, ION/UTC parameters, a
// session with tracking counts, a few measurement epochs and an application
// file.
#include <cmath>
#include <cstdio>

#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "testdata/session_records.h"

namespace {

double InitialEph(int sv, int k) {
  return sv <= 8 ? sv * 1000.0 + k : 0.0;
}
double InitialIon(int k) {
  return 1.0e-8 * (k + 1);
}

// Three epochs one second apart, each with four satellites in one part.
void AddEpochs(writers::R00File& file) {
  for (uint32_t t = 0; t < 3; ++t) {
    std::vector<writers::Type17Entry> entries;
    for (uint8_t sv : {3, 6, 11, 19}) {
      writers::Type17Entry e;
      e.sv = sv;
      e.flags = sv == 3 ? 1 : 0;
      e.b3 = 42;
      e.b4 = 40;
      e.range = 2700000000u + 1000u * sv + 7u * t;
      e.phase = 123456789LL * sv + 3000 * t;
      e.doppler = -1200 * sv;
      entries.push_back(e);
    }
    file.records.push_back(writers::type17_part(345600000u + 1000u * t, 0, false, entries));
  }
}

writers::R00File Sample() {
  writers::R00File file;
  file.receiver_type = 5;
  file.nav_version = 310;
  file.sig_version = 120;
  file.eph_value = InitialEph;
  file.ion_value = InitialIon;

  writers::ReceiverIdentity id;
  id.serial_number = 4422100;
  id.receiver_type = 5;
  id.serial_text = "0224422100";
  id.nav_version = 310;
  id.antenna_number = 12345;
  file.records.push_back(writers::receiver_identity_record(id));
  file.records.push_back(writers::message_frame(3, "PILLAR7 north roof"));

  writers::Type12Record week;
  week.week = 1180;
  file.records.push_back(writers::type12_record(week));

  std::array<double, 25> eph{};
  for (int k = 0; k < 25; ++k) eph[k] = 0.5 * k;
  file.records.push_back(writers::ephemeris_record(3, eph));
  file.records.push_back(writers::ephemeris_record(6, eph));

  writers::IonUtc ion;
  for (int k = 0; k < 11; ++k) ion.values[k] = 1.0e-9 * (k + 1);
  ion.long_value = 13;
  file.records.push_back(writers::ion_utc_record(ion));

  writers::SessionRecord session;
  session.ref_lat = 0.25;
  session.ref_lon = -0.4;
  session.antenna_height = 1.5;
  session.sats.resize(4, writers::SatCounts{120, 118, 60, 55});
  file.records.push_back(writers::session_record(session, false));

  AddEpochs(file);

  for (const writers::Bytes& part : writers::app_parts(writers::app_file_data(300), 120))
    file.records.push_back(part);
  return file;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample PATH\n");
    return 2;
  }
  writers::Bytes bytes = Sample().bytes();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 1;
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}
