#include "output/angle_format.h"

#include <cmath>
#include <cstdio>

namespace d01ozu {
namespace {

constexpr double kLargestSemicircles = 1e7;

// Hemisphere letter: latitudes of 0 and above are north; only longitudes
// above 0 are east, so exactly 0 prints as west.
char hemisphere(double semicircles, AngleKind kind) {
  if (kind == AngleKind::kLatitude) return semicircles >= 0 ? 'N' : 'S';
  return semicircles > 0 ? 'E' : 'W';
}

// x cut (not rounded) to decimals places.
double truncate_to(double x, int decimals) {
  double scale = std::pow(10.0, decimals);
  return std::floor(x * scale) / scale;
}

}  // namespace

void format_angle(char* out, size_t capacity, double semicircles, AngleKind kind, AngleStyle style,
                  int decimals) {
  if (!out || capacity == 0) return;
  // Values no receiver gives are kept to a range whose degrees fit an int.
  if (!std::isfinite(semicircles)) semicircles = 0;
  semicircles = std::fmax(-kLargestSemicircles, std::fmin(semicircles, kLargestSemicircles));
  if (decimals < 0) decimals = 0;
  if (decimals > 9) decimals = 9;
  char letter = hemisphere(semicircles, kind);
  bool lat = kind == AngleKind::kLatitude;
  double value = std::fabs(semicircles) * 180.0 + 1e-10;
  int degrees = static_cast<int>(value);
  double minutes = (value - degrees) * 60.0;
  int d = decimals;
  if (style == AngleStyle::kDegrees) {
    std::snprintf(out, capacity, "%*.*f %c", d + (lat ? 3 : 4), d, truncate_to(value, d), letter);
  } else if (style == AngleStyle::kDegreesMinutes) {
    std::snprintf(out, capacity, "%*d:%0*.*f' %c", lat ? 2 : 3, degrees, d + 3, d,
                  truncate_to(minutes, d), letter);
  } else {
    int whole_minutes = static_cast<int>(minutes);
    double seconds = truncate_to((minutes - whole_minutes) * 60.0, d);
    std::snprintf(out, capacity, "%*d:%02d'%0*.*f\" %c", lat ? 2 : 3, degrees, whole_minutes, d + 3,
                  d, seconds, letter);
  }
}

}  // namespace d01ozu
