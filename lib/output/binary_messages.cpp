#include "output/binary_messages.h"

#include <cstdio>
#include <cstring>

#include "core/byte_cursor.h"
#include "core/frame_rules.h"
#include "output/reports.h"
#include "processing/record_processor.h"
#include "processing/report_facts.h"

namespace d01ozu {

using namespace session;

namespace {

constexpr uint8_t kBinaryMessageType = 5;
constexpr size_t kStationField = 5;    // 4 characters and a NUL
constexpr size_t kLongNameField = 51;  // zero-filled
constexpr size_t kSerialField = 12;

// Session-block bytes that pages 1 and 2 carry beyond the named fields.
constexpr size_t kPage1ByteA = kSetupByte;
constexpr size_t kPage1ByteB = kSetupBytes4;
constexpr size_t kPage1Final = kSetupBytes4 + 1;
constexpr size_t kPage2Bytes[3] = {kSetupBytes4 + 2, kSetupBytes4 + 3, kSessionByteB};

// Writes the 4 bytes of name (blank-free, NUL-padded) and a NUL.
void put_name(ByteWriter& w, const char* name) {
  char field[kStationField] = {};
  for (size_t i = 0; i < 4 && name[i]; ++i) field[i] = name[i];
  w.bytes(field, sizeof field);
}

// Semicircles to degrees.
double degrees(const uint8_t* b, size_t at) {
  return block_f64(b, at) * 180.0;
}

// Page 6: a word 0, a word 4 and the four receiver option words.
void page6(ByteWriter& w, const RecordProcessor& rp) {
  w.le16(0);
  w.le16(4);
  for (uint32_t option : rp.facts.receiver_options) w.le32(option);
}

// Page 0: station, reference position, antenna height and long station name.
void page0(ByteWriter& w, const ReportFacts& f, const RunInfo& run) {
  const uint8_t* b = f.session;
  w.u8(1);
  w.u8(0);
  put_name(w, run.station_name);
  w.u8(b[kRefKind]);
  w.f64(degrees(b, kRefLatitude));
  w.f64(degrees(b, kRefLongitude));
  w.f64(block_f64(b, kRefHeight));
  w.f64(block_f64(b, kAntennaHeight));
  w.u8(b[kAntennaUnit]);
  w.u8(b[kLongNameFlag]);
  w.u8(b[kLongNameLength]);
  uint8_t name[kLongNameField] = {};
  std::memcpy(name, b + kLongNameText, kLongNameCapacity);
  w.bytes(name, sizeof name);
}

// Page 1: session name, schedule, first epoch date, settings and flags.
void page1(ByteWriter& w, const ReportFacts& f, const RunInfo& run) {
  const uint8_t* b = f.session;
  w.le16(0);
  put_name(w, run.session_name);
  w.u8(b[kScheduleFlag]);
  for (size_t at : {kScheduleStart, kScheduleStop, kLoggingStart, kLoggingStop})
    w.le16(block_u16(b, at));
  w.le16(f.first_week);
  w.le16(static_cast<uint16_t>(f.first.year));
  w.le16(static_cast<uint16_t>(f.first.month));
  w.le16(static_cast<uint16_t>(f.first.day));
  w.le16(block_u16(b, kSyncRate));
  for (size_t at :
       {kElevationMask, kMinSatellites, kAntennaInField, kPositionLogging, kPositionOnly,
        kEveryCycle, kSvSelection, kPage1ByteA, kLongNameFlag, kPage1ByteB})
    w.u8(b[at]);
  w.bytes(b + kSetupBytes3, 3);
  w.u8(0);
  w.bytes(b + kSetupDouble, 8);
  w.bytes(b + kSetupLongs, 12);
  w.u8(b[kPage1Final]);
}

// Page 2: versions, serial numbers as text, receiver type and flags.
void page2(ByteWriter& w, const ReportFacts& f) {
  const uint8_t* b = f.session;
  uint16_t nav = block_u16(b, kNavVersion), sig = block_u16(b, kSigVersion);
  w.le16(0);
  w.le16(nav ? nav : f.nav_version);
  w.le16(sig ? sig : f.sig_version);
  for (int i = 0; i < 3; ++i) w.le16(f.download_version[i]);
  char text[kSerialField + 1] = {};
  if (f.antenna_text)
    std::snprintf(text, sizeof text, "%.10s", f.antenna_text);
  else
    std::snprintf(text, sizeof text, "%10lu", static_cast<unsigned long>(f.antenna_number));
  w.bytes(text, kSerialField);
  receiver_serial_text(f, text);
  w.bytes(text, kSerialField);
  w.u8(static_cast<uint8_t>(f.receiver_type));
  for (size_t at : {kSessionByteA, kL2Tracked, kTestMode, kLongNameFlag}) w.u8(b[at]);
  for (size_t at : kPage2Bytes) w.u8(b[at]);
  w.bytes(b + kSetupScaled, 8);
  w.bytes(b + kSetupLong, 4);
  w.bytes(b + kSetupWord, 2);
  w.bytes(b + kSetupBytes2, 2);
}

// Page 3: the best-PDOP and mean fixes (latitudes and longitudes in degrees)
// and the numbers of fixes in the means.
void page3(ByteWriter& w, const ReportFacts& f) {
  const uint8_t* b = f.session;
  w.le16(0);
  for (size_t at = kBest3dLat; at < kBest3dLat + 8 * kPositionDoubles; at += 8) {
    bool angle = at == kBest3dLat || at == kBest3dLon || at == kBest2dLat || at == kBest2dLon ||
                 at == kMean3dLat || at == kMean3dLon || at == kMean2dLat || at == kMean2dLon;
    w.f64(angle ? degrees(b, at) : block_f64(b, at));
  }
  w.le32(block_u32(b, kMean3dFixes));
  w.le32(block_u32(b, kMean2dFixes));
}

}  // namespace

void build_binary_message(int page, const RecordProcessor& rp, const RunInfo& run, uint8_t* out) {
  size_t length = 0;
  for (int i = 0; i < 5; ++i)
    if (kBinaryMessagePages[i] == page) length = kBinaryMessageLengths[i];
  if (length == 0 || !out) return;
  std::memset(out, 0, length);
  ByteWriter w(out, length);
  w.u8(kDatStart);
  w.u8(static_cast<uint8_t>(length));
  w.u8(static_cast<uint8_t>(page));
  w.u8(kBinaryMessageType);
  if (rp.type5_seen[page]) {
    // A type-5 record of the container path is the page's payload, stored
    // little-endian in the page's own layout; the record keeps the length of
    // its place at the start of the file.
    w.bytes(rp.type5_pages[page].bytes, length - 4);
    return;
  }
  if (page == 6) {
    page6(w, rp);
    return;
  }
  ReportFacts f;
  resolve_report_facts(rp, run, f);
  RunInfo named = run;  // the names the reports use, whoever refreshed them
  refresh_station_names(rp, named);
  if (page == 0) page0(w, f, named);
  if (page == 1) page1(w, f, named);
  if (page == 2) page2(w, f);
  if (page == 3) page3(w, f);
}

}  // namespace d01ozu
