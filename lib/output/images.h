// Fixed-size images and run facts owned by the library handle.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

// One ephemeris slot of 336 bytes per GPS satellite number 1 to 32.
constexpr size_t kEphSlotSize = 336;
constexpr size_t kEphSlotCount = 32;
constexpr size_t kEphImageSize = kEphSlotSize * kEphSlotCount;  // 10752
constexpr size_t kInitialEphBlockSize = 333;
constexpr size_t kInitialIonBlockSize = 117;

struct EphImage {
  uint8_t bytes[kEphImageSize] = {};
  uint8_t* slot(int sv) { return bytes + (sv - 1) * kEphSlotSize; }
  const uint8_t* slot(int sv) const { return bytes + (sv - 1) * kEphSlotSize; }
};

// Cells 0 to 13 are little-endian doubles; bytes 112 to 119 are carried raw.
constexpr size_t kIonImageSize = 120;
struct IonImage {
  uint8_t bytes[kIonImageSize] = {};
};

// Facts the front end hands the library once per run.
struct RunInfo {
  bool applied = false;  // set when the first record reached the processor
  uint16_t receiver_type = 0;
  uint16_t nav_version = 0;
  uint16_t sig_version = 0;
  uint16_t download_version[3] = {3, 11, 1};
  uint16_t gps_week = 0;
  uint16_t update_name_mode = 0;
  char station_name[13] = {};  // upper-cased
  char session_name[13] = {};  // upper-cased
};

}  // namespace d01ozu
