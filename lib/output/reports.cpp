#include "output/reports.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "output/angle_format.h"
#include "processing/record_processor.h"
#include "processing/report_facts.h"

namespace d01ozu {

using namespace session;

namespace {

constexpr int kFirstNamedReceiver = 29;  // receivers that name sessions by day and hour
constexpr int kLastNamedReceiver = 59;
constexpr int kSatellites = 32;
constexpr int kTrackingGroup = 10;

// "Jan 6, 2026"-style years: two digits below 81 belong to 20yy.
const char* century(int year) {
  return year % 100 < 81 ? "20" : "19";
}

// Returns the status of a text writer: a failed write is "Disk full".
StatusCode text_status(OutFile& out) {
  return out.has_error() ? kStatusDiskFull : kStatusOk;
}

// Character i of a name, blank past its end.
char name_char(const char* name, size_t i) {
  size_t n = strnlen(name, 12);
  return i < n ? name[i] : ' ';
}

// A fixed-width text line: fields are put at columns of a blank-filled buffer
// and the line is printed up to the end of the last field.
class ColumnLine {
 public:
  ColumnLine() { std::memset(text_, ' ', sizeof text_); }
  void put(size_t column, const char* field) {
    for (size_t i = 0; field[i] && column + i < sizeof text_; ++i) text_[column + i] = field[i];
    end_ = std::max(end_, std::min(column + std::strlen(field), sizeof text_));
  }
  void print(OutFile& out) const { out.printf("%.*s\n", static_cast<int>(end_), text_); }

 private:
  char text_[256];
  size_t end_ = 0;
};

// A latitude or longitude line of a position block: the best fix at column,
// the mean fix 30 columns further, in degrees, minutes and seconds.
void fix_line(OutFile& out, const char* label, size_t column, const uint8_t* b, size_t best,
              size_t mean, AngleKind kind) {
  ColumnLine line;
  char text[64];
  line.put(0, label);
  format_angle(text, sizeof text, block_f64(b, best), kind, AngleStyle::kDegreesMinutesSeconds, 5);
  line.put(column, text);
  format_angle(text, sizeof text, block_f64(b, mean), kind, AngleStyle::kDegreesMinutesSeconds, 5);
  line.put(column + 30, text);
  line.print(out);
}

}  // namespace

// Station names of receivers 29 to 59 come from the data: 4 characters of the
// long station name and "%03d%c" of the first epoch's day of year and hour
// letter. Names the data does not give stay those of the input file.
void refresh_station_names(const RecordProcessor& rp, RunInfo& run) {
  ReportFacts f;
  resolve_report_facts(rp, run, f);
  if (f.receiver_type < kFirstNamedReceiver || f.receiver_type > kLastNamedReceiver) return;
  if (f.session[kLongNameFlag]) {
    size_t length = std::min<size_t>(f.session[kLongNameLength], kLongNameCapacity);
    const uint8_t* name = f.session + kLongNameText;
    const uint8_t* from = length < 4 ? name : name + length - 4;
    size_t n = std::min<size_t>(length, 4);
    std::memset(run.station_name, 0, sizeof run.station_name);
    for (size_t i = 0; i < n; ++i) run.station_name[i] = static_cast<char>(std::toupper(from[i]));
  }
  if (rp.facts.first_epoch_seen) {
    int hour = f.first.hour;  // 0..23
    char letter = hour <= 9 ? static_cast<char>('0' + hour) : static_cast<char>('A' + hour - 10);
    std::snprintf(run.session_name, sizeof run.session_name, "%03d%c", f.first.day_of_year, letter);
  }
}

// Item 2: station and session, then the first epoch's date.
static void report_heading(OutFile& out, const ReportFacts& f, const RunInfo& run) {
  const char* st = run.station_name;
  const char* se = run.session_name;
  out.printf("Station ID: %c%c%c%c  Session #: %c%c%c-%c     ", name_char(st, 0), name_char(st, 1),
             name_char(st, 2), name_char(st, 3), name_char(se, 0), name_char(se, 1),
             name_char(se, 2), name_char(se, 3));
  out.printf("%s%3d, %s%02d %02d:%02d\n", month_name(f.first.month), f.first.day,
             century(f.first.year), f.first.year % 100, f.first.hour, f.first.minute);
}

// Items 3 to 6: reference position, antenna height, long station name.
static void report_reference(OutFile& out, const ReportFacts& f) {
  const uint8_t* b = f.session;
  uint8_t kind = b[kRefKind];
  out.printf("Reference Position - %s\n", kind == 0     ? "NOT SPECIFIED:"
                                          : kind == 254 ? "RTCM REFERENCE:"
                                                        : "USER SPECIFIED:");
  char lat[48], lon[48];
  format_angle(lat, sizeof lat, block_f64(b, kRefLatitude), AngleKind::kLatitude,
               AngleStyle::kDegreesMinutesSeconds, 3);
  format_angle(lon, sizeof lon, block_f64(b, kRefLongitude), AngleKind::kLongitude,
               AngleStyle::kDegreesMinutesSeconds, 3);
  out.printf("Lat.  = %s  Long. = %s  Height = %.1f  [meters]\n", lat, lon,
             block_f64(b, kRefHeight));
  static const char* const kUnits[4] = {"inches", "feet", "meters", "centimeters"};
  out.printf("Antenna height   = %7.4f  [meters]  ", block_f64(b, kAntennaHeight));
  if (b[kAntennaUnit] < 4) out.printf("(entered in the field in %s)\n", kUnits[b[kAntennaUnit]]);
  if (b[kLongNameFlag] && f.receiver_type >= 2)
    out.printf("Long station name:  %.*s\n", std::min<int>(b[kLongNameLength], kLongNameCapacity),
               reinterpret_cast<const char*>(b + kLongNameText));
}

// Items 7 to 9: serial numbers and software versions.
static void report_receiver(OutFile& out, const ReportFacts& f) {
  if (f.serial_text)
    out.printf("\nReceiver serial # = %.11s\n", f.serial_text);
  else
    out.printf("\nReceiver serial # = %lu\n", static_cast<unsigned long>(f.serial_number));
  if (f.antenna_number <= 0x7FFFFFFF) {
    if (f.antenna_text)
      out.printf("Antenna serial  # = %.10s", f.antenna_text);
    else
      out.printf("Antenna serial  # = %lu", static_cast<unsigned long>(f.antenna_number));
    out.printf("  (entered in the %s)\n", f.session[kAntennaInField] ? "field" : "office");
  } else {
    out.printf("Internal antenna\n");
  }
  out.printf("NP Software = %d.%02d     SP Software = %d.%02d     ", f.nav_version / 100,
             f.nav_version % 100, f.sig_version / 100, f.sig_version % 100);
  const uint16_t* dl = f.download_version;
  out.printf("Download Software = %d.%02d.%02d\n", dl[0], dl[1], dl[2]);
}

// Tracking table: satellites with a total L1 count, in groups of ten.
static void report_tracking(OutFile& out, const uint8_t* b) {
  int sats[kSatellites];
  int n = 0;
  for (int sv = 1; sv <= kSatellites; ++sv)
    if (block_u32(b, kTotalL1 + 4 * (sv - 1)) != 0) sats[n++] = sv;
  static const char* const kRows[4] = {"total L1 ", "cont  L1 ", "total L2 ", "cont  L2 "};
  int rows = b[kL2Tracked] ? 4 : 2;
  for (int g = 0; g < n; g += kTrackingGroup) {
    int end = std::min(n, g + kTrackingGroup);
    out.printf("\nTracking ");
    for (int i = g; i < end; ++i) out.printf("  SV %2d", sats[i]);
    out.printf("\n");
    for (int r = 0; r < rows; ++r) {
      out.printf("%s", kRows[r]);
      for (int i = g; i < end; ++i)
        out.printf(" %6ld", static_cast<long>(block_u32(b, kCountArrays[r] + 4 * (sats[i] - 1))));
      out.printf("\n");
    }
  }
}

// Items 10 to 12: survey schedule and data-logging times.
static void report_schedule(OutFile& out, const ReportFacts& f) {
  const uint8_t* b = f.session;
  out.printf("\nSurvey schedule:  ");
  if (b[kScheduleFlag]) {
    int start = block_u16(b, kScheduleStart), stop = block_u16(b, kScheduleStop);
    out.printf("Start time = %02d:%02d  Stop time = %02d:%02d\n", start / 60, start % 60, stop / 60,
               stop % 60);
  } else {
    out.printf("UNSPECIFIED\n");
  }
  int start = block_u16(b, kLoggingStart), stop = block_u16(b, kLoggingStop);
  if (start == kNoTime)
    out.printf("Session manually aborted before data-logging could start\n");
  else
    out.printf("Data-logging start time = %02d:%02d\n", start / 60, start % 60);
  if (stop == kNoTime) {
    out.printf("Session aborted due to receiver power failure\n");
    return;
  }
  out.printf("Data-logging stop  time = %02d:%02d\n", stop / 60, stop % 60);
  if (f.tracking_seen) report_tracking(out, b);
}

// Items 13 to 15: satellite selection, masks and position logging.
static void report_settings(OutFile& out, const uint8_t* b) {
  out.printf("\nSV Selection mode = %s\n", b[kSvSelection] ? "MANUAL SELECTION" : "AUTOMATIC");
  out.printf("Elevation mask    = %2d     [degrees]   Minimum # of SVs  = %2d\n",
             static_cast<int8_t>(b[kElevationMask]), static_cast<int8_t>(b[kMinSatellites]));
  out.printf("Survey sync rate  = %-5.1f  [sec]\n", block_u16(b, kSyncRate) * 0.1);
  if (!b[kPositionLogging]) return;
  if (b[kPositionOnly]) out.printf("LOGGED POSITION DATA ONLY\n");
  if (b[kEveryCycle]) out.printf("LOGGED POSITION DATA EVERY CYCLE\n");
}

// Offsets of one position block's fields in the session block.
struct PositionFields {
  const char* label;
  size_t best_lat, best_lon, best_height, pdop, mean_lat, mean_lon, mean_height, fixes;
  bool three_d;
};
constexpr PositionFields k3dFields = {"3D Position  ", kBest3dLat, kBest3dLon, kBest3dHeight,
                                      kBest3dPdop,     kMean3dLat, kMean3dLon, kMean3dHeight,
                                      kMean3dFixes,    true};
constexpr PositionFields k2dFields = {"2D Position  ", kBest2dLat, kBest2dLon, 0,
                                      kBest2dPdop,     kMean2dLat, kMean2dLon, 0,
                                      kMean2dFixes,    false};

// A 3D or 2D position block with best-PDOP and mean fixes side by side.
static void report_position(OutFile& out, const uint8_t* b, const PositionFields& p) {
  out.printf("\n");
  double pdop = block_f64(b, p.pdop);
  bool none = block_f64(b, p.best_lat) == 0 && block_f64(b, p.best_lon) == 0 &&
              block_f64(b, p.mean_lat) == 0 && block_f64(b, p.mean_lon) == 0;
  ColumnLine head;
  head.put(0, p.label);
  char text[64];
  if (none || pdop > 99.9) {
    head.put(17, "Position not available");
    head.print(out);
    return;
  }
  std::snprintf(text, sizeof text, "Best PDOP Position [%4.1f]", pdop);
  head.put(17, text);
  std::snprintf(text, sizeof text, "Mean Position [%ld]", static_cast<long>(block_u32(b, p.fixes)));
  head.put(47, text);
  head.print(out);
  fix_line(out, "Latitude:", 18, b, p.best_lat, p.mean_lat, AngleKind::kLatitude);
  fix_line(out, "Longitude:", 17, b, p.best_lon, p.mean_lon, AngleKind::kLongitude);
  if (!p.three_d) return;
  ColumnLine height;
  height.put(0, "Height [m]:");
  std::snprintf(text, sizeof text, "%15.1f", block_f64(b, p.best_height));
  height.put(17, text);
  std::snprintf(text, sizeof text, "%15.1f", block_f64(b, p.mean_height));
  height.put(47, text);
  height.print(out);
}

// The session report: items 1 to 17 in order, facts never received printing
// from the zero-filled state. A run that received neither a session record
// nor a measurement epoch has no session to report: the file stays empty and
// is deleted when it is closed.
StatusCode write_session_report(OutFile& mes, const RecordProcessor& rp, const RunInfo& run) {
  if (!mes.is_open()) return kStatusMesNotOpen;
  const SessionFacts& s = rp.session;
  if (!s.reported_valid && !s.pending_valid && !rp.facts.first_epoch_seen) return kStatusOk;
  ReportFacts f;
  resolve_report_facts(rp, run, f);
  const uint8_t* b = f.session;
  if (b[kTestMode]) mes.printf("SURVEY WAS CONDUCTED WITH THE RECEIVER IN TEST MODE\n\n");
  report_heading(mes, f, run);
  report_reference(mes, f);
  report_receiver(mes, f);
  report_schedule(mes, f);
  report_settings(mes, b);
  if (block_u16(b, kLoggingStop) != kNoTime) {
    report_position(mes, b, k3dFields);
    report_position(mes, b, k2dFields);
  } else {
    mes.printf("\nSession aborted due to receiver power failure\n");
  }
  mes.printf("\n");
  return text_status(mes);
}

// Whole seconds of a time in milliseconds; 0 for times no week holds.
static long whole_seconds(double ms) {
  double s = ms / 1000.0;
  return s >= 0 && s < 1e9 ? static_cast<long>(s) : 0;
}

// One "First meas"/"Last  meas" line: date, time, week and seconds of week.
static void summary_epoch(OutFile& out, const char* label, const CalendarTime& t, int week,
                          double ms) {
  out.printf("%s: %02d.%02d.%02d %2d:%02d:%02d   %3d %6ld\n", label, t.year % 100, t.month, t.day,
             t.hour, t.minute, static_cast<int>(t.seconds + 0.01), week, whole_seconds(ms));
}

// Receiver and antenna serials and the session's software versions.
static void summary_receiver(OutFile& out, const ReportFacts& f) {
  if (f.serial_text)
    out.printf("\nRx  Serial#     : %.11s\n", f.serial_text);
  else
    out.printf("\nRx  Serial#     : %lu\n", static_cast<unsigned long>(f.serial_number));
  if (f.antenna_number & 0x80000000u)
    out.printf("Ant Serial#     : Modular antenna\n");
  else if (f.antenna_text)
    out.printf("Ant Serial#     : %.10s\n", f.antenna_text);
  else
    out.printf("Ant Serial#     : %lu\n", static_cast<unsigned long>(f.antenna_number));
  int nav = block_u16(f.session, kNavVersion), sig = block_u16(f.session, kSigVersion);
  out.printf("NP version      : %d.%02d\n", nav / 100, nav % 100);
  out.printf("SP Software     : %d.%02d\n", sig / 100, sig % 100);
  const uint16_t* dl = f.download_version;
  out.printf("Download version: %d.%02d.%02d\n\n", dl[0], dl[1], dl[2]);
}

// The summary: names, first and last epoch, serials, versions and one
// tracking line per satellite with a total L1 count; 21 without an open file.
StatusCode write_summary(OutFile& sum, const RecordProcessor& rp, const RunInfo& run) {
  if (!sum.is_open()) return kStatusSumNotOpen;
  ReportFacts f;
  resolve_report_facts(rp, run, f);
  sum.printf("Station         : %.12s\n", run.station_name);
  sum.printf("Session         : %.12s\n", run.session_name);
  summary_epoch(sum, "First meas      ", f.first, f.first_week, f.first_epoch_ms);
  summary_epoch(sum, "Last  meas      ", f.latest, f.latest_week, f.latest_epoch_ms);
  summary_receiver(sum, f);
  sum.printf("Tracking        : Total L1  Cont  L1  Total L2  Cont  L2\n");
  for (int sv = 1; sv <= kSatellites; ++sv) {
    size_t slot = 4 * (sv - 1);
    uint32_t total = block_u32(f.session, kTotalL1 + slot);
    if (total == 0) continue;
    sum.printf("SV %2d           : %8ld  %8ld  %8ld  %8ld\n", sv, static_cast<long>(total),
               static_cast<long>(block_u32(f.session, kContL1 + slot)),
               static_cast<long>(block_u32(f.session, kTotalL2 + slot)),
               static_cast<long>(block_u32(f.session, kContL2 + slot)));
  }
  return text_status(sum);
}

}  // namespace d01ozu
