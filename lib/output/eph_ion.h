// Filling the ephemeris and ION/UTC images, and writing the EPH and ION files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/status_code.h"
#include "output/images.h"
#include "output/out_file.h"

namespace d01ozu {

// Initial blocks of the first R00 input (333 and 117 bytes, big-endian doubles).
void SetInitialEphemeris(EphImage& eph, int sv, const uint8_t* block);
void SetInitialIonUtc(IonImage& ion, const uint8_t* block);
// Record updates; frame is the whole legacy frame, size its length.
void store_type3_ephemeris(EphImage& eph, int sv, const uint8_t* frame, size_t size);
void store_type21_ephemeris(EphImage& eph, int sv, const uint8_t* frame, size_t size);
void store_type15_ion(IonImage& ion, const uint8_t* frame, size_t size);
// File contents written at close: EPH 10756 bytes, ION 115 bytes.
StatusCode write_eph_file(OutFile& file, const EphImage& eph);
StatusCode write_ion_file(OutFile& file, const IonImage& ion);

}  // namespace d01ozu
