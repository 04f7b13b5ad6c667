// Satellite-system settings shared by the converters of the newer records
// (measurement and position epochs): system 5 is renumbered into system 7,
// and system 7 is reported as system 10.
#pragma once

#include <cstdint>

namespace d01ozu {

constexpr uint8_t kSystemRemapped = 5;  // renumbered into system 7
constexpr uint8_t kSystemFixed = 7;     // reported as system 10
constexpr uint8_t kSystemAfterFix = 10;

// The number a satellite of system 5 gets in system 7: 1-11 map to 30, 2, 1,
// 3, 6, 4, 7, 8, 9, 10, 5; any other number to 0.
inline uint8_t remap_system5_number(uint8_t sv) {
  constexpr uint8_t kMap[12] = {0, 30, 2, 1, 3, 6, 4, 7, 8, 9, 10, 5};
  return sv < sizeof kMap ? kMap[sv] : 0;
}

}  // namespace d01ozu
