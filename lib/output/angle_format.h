// Latitudes and longitudes (semicircles) as text in degrees, degrees and
// minutes, or degrees, minutes and seconds, with a hemisphere letter.
#pragma once

#include <cstddef>

namespace d01ozu {

enum class AngleStyle {
  kDegrees,                // "%*.*f %c"
  kDegreesMinutes,         // "%*d:%0*.*f' %c"
  kDegreesMinutesSeconds,  // "%*d:%02d'%0*.*f\" %c"
};

enum class AngleKind { kLatitude, kLongitude };

// Writes the angle into out (capacity bytes, always terminated). Whole
// degrees and minutes are truncated, the last field truncated to decimals
// (0 to 9) places. A value that is not finite prints as 0.
void format_angle(char* out, size_t capacity, double semicircles, AngleKind kind, AngleStyle style,
                  int decimals);

}  // namespace d01ozu
