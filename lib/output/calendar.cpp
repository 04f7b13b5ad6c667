#include "output/calendar.h"

#include <cmath>

namespace d01ozu {
namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kSecondsPerWeek = 604800.0;
constexpr long kGpsEpochDays = 3657;  // 1980-01-06 counted from 1970-01-01
constexpr double kLatestTime = 1e12;  // about 31000 years: beyond any week word

// Days since 1970-01-01 of a proleptic Gregorian date.
long days_from_civil(long y, long m, long d) {
  y -= m <= 2;
  long era = (y >= 0 ? y : y - 399) / 400;
  long yoe = y - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// Date of a day count since 1970-01-01 (y, m, d out).
void civil_from_days(long z, int& y, int& m, int& d) {
  z += 719468;
  long era = (z >= 0 ? z : z - 146096) / 146097;
  long doe = z - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

}  // namespace

CalendarTime gps_to_calendar(int week, double seconds_of_week) {
  double total = week * kSecondsPerWeek + seconds_of_week;
  if (!(total >= 0 && total < kLatestTime)) total = 0;
  double whole_days = std::floor(total / kSecondsPerDay);
  double in_day = total - whole_days * kSecondsPerDay;
  CalendarTime t;
  long days = kGpsEpochDays + static_cast<long>(whole_days);
  civil_from_days(days, t.year, t.month, t.day);
  t.day_of_year = static_cast<int>(days - days_from_civil(t.year, 1, 1)) + 1;
  t.hour = static_cast<int>(in_day / 3600);
  t.minute = static_cast<int>((in_day - t.hour * 3600.0) / 60);
  t.seconds = in_day - t.hour * 3600.0 - t.minute * 60.0;
  return t;
}

const char* month_name(int month) {
  static const char* const kNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return month >= 1 && month <= 12 ? kNames[month - 1] : kNames[0];
}

}  // namespace d01ozu
