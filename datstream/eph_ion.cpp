#include "datstream/eph_ion.h"

namespace d01ozu {

void SetInitialEphemeris(EphImage&, int, const uint8_t*) {}
void SetInitialIonUtc(IonImage&, const uint8_t*) {}
void store_type3_ephemeris(EphImage&, int, const uint8_t*, size_t) {}
void store_type21_ephemeris(EphImage&, int, const uint8_t*, size_t) {}
void store_type15_ion(IonImage&, const uint8_t*, size_t) {}
StatusCode write_eph_file(OutFile&, const EphImage&) {
  return kStatusOk;
}
StatusCode write_ion_file(OutFile&, const IonImage&) {
  return kStatusOk;
}

}  // namespace d01ozu
