// GPS time to calendar date and time: days of 86400 seconds counted from
// 6 January 1980, no leap seconds.
#pragma once

namespace d01ozu {

struct CalendarTime {
  int year = 1980;  // four digits
  int month = 1;    // 1..12
  int day = 6;
  int day_of_year = 6;  // 1 for 1 January
  int hour = 0;
  int minute = 0;
  double seconds = 0;  // seconds of the minute, with fraction
};

// Calendar time of seconds_of_week in week; times before the epoch or not
// finite count as the epoch itself.
CalendarTime gps_to_calendar(int week, double seconds_of_week);
// "Jan" to "Dec"; "Jan" for a month out of range.
const char* month_name(int month);

}  // namespace d01ozu
