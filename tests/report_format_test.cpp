// Angle formatting and the GPS calendar conversion used by the reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/angle_format.h"
#include "output/calendar.h"

namespace d01ozu {
namespace {

std::string angle(double degrees, AngleKind kind, AngleStyle style, int decimals) {
  char out[64];
  format_angle(out, sizeof out, degrees / 180.0, kind, style, decimals);
  return out;
}

constexpr AngleKind kLat = AngleKind::kLatitude;
constexpr AngleKind kLon = AngleKind::kLongitude;
constexpr AngleStyle kDeg = AngleStyle::kDegrees;
constexpr AngleStyle kDm = AngleStyle::kDegreesMinutes;
constexpr AngleStyle kDms = AngleStyle::kDegreesMinutesSeconds;

// Hemispheres (0 is north and west), the three styles with their widths,
// and the last field truncated rather than rounded.
TEST(AngleFormat, StylesHemispheresAndTruncation) {
  struct Case {
    double degrees;
    AngleKind kind;
    AngleStyle style;
    int decimals;
    const char* want;
  };
  const Case cases[] = {
      {-90, kLat, kDms, 3, "90:00'00.000\" S"},
      {0, kLat, kDms, 3, " 0:00'00.000\" N"},
      {0, kLon, kDms, 3, "  0:00'00.000\" W"},
      {0.5, kLon, kDms, 3, "  0:30'00.000\" E"},
      {37.5125, kLat, kDms, 3, "37:30'45.000\" N"},
      {-122.2625, kLon, kDms, 5, "122:15'45.00000\" W"},
      {-122.25, kLon, kDm, 4, "122:15.0000' W"},
      {7.1, kLat, kDm, 2, " 7:06.00' N"},
      {5.5, kLon, kDeg, 3, "  5.500 E"},
      {-5.5, kLat, kDeg, 1, " 5.5 S"},
      {10.999999, kLat, kDeg, 2, "10.99 N"},
      {1 + 59 / 60.0 + 59.99964 / 3600, kLat, kDms, 3, " 1:59'59.999\" N"},
  };
  for (const Case& c : cases) EXPECT_EQ(angle(c.degrees, c.kind, c.style, c.decimals), c.want);
  char small[6];
  format_angle(small, sizeof small, 0.25, kLat, kDms, 3);  // cut to the buffer
  EXPECT_EQ(std::string(small), "45:00");
}

// Days count from 6 January 1980 through leap days and week ends; times
// before the start count as the start.
TEST(Calendar, GpsTimeToDate) {
  struct Case {
    int week;
    double seconds;
    int year, month, day, day_of_year, hour, minute;
  };
  const Case cases[] = {{0, 0, 1980, 1, 6, 6, 0, 0},
                        {0, -5, 1980, 1, 6, 6, 0, 0},
                        {2094, 6 * 86400 + 86399, 2020, 2, 29, 60, 23, 59},
                        {1023, 604800, 1999, 8, 22, 234, 0, 0}};
  for (const Case& c : cases) {
    CalendarTime t = gps_to_calendar(c.week, c.seconds);
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.day_of_year, t.hour, t.minute}),
              (std::vector<int>{c.year, c.month, c.day, c.day_of_year, c.hour, c.minute}))
        << c.week << " " << c.seconds;
  }
  EXPECT_STREQ(month_name(8), "Aug");
}

}  // namespace
}  // namespace d01ozu
