#include "processing/record_processor.h"

#include <cstdio>
#include <cstring>

#include "core/frame_rules.h"
#include "output/dat_file_start.h"
#include "output/dat_writer.h"
#include "output/eph_ion.h"
#include "output/expanded_images.h"
#include "processing/file_information.h"

namespace d01ozu {

void SetProcessorOptions(RecordProcessor& rp, const ProcessorOptions& options) {
  rp.options = options;
  // Type-27 mode 1 keeps every newer record type out of the DAT file.
  if (options.mode_27_17 == 1) rp.filter_mask = kFilterAll;
}
void AddRecordFilter(RecordProcessor& rp, uint32_t mask) {
  rp.filter_mask |= mask;
}
void AttachOutputs(RecordProcessor& rp, EphImage* eph, IonImage* ion, AppBuffer* app,
                   const uint16_t* download_version) {
  rp.eph = eph;
  rp.ion = ion;
  rp.app = app;
  rp.download_version = download_version;
  rp.type27_written = false;
}
void SetDatStream(RecordProcessor& rp, OutFile* dat) {
  rp.dat = dat;
}
void ApplyRunInfo(RecordProcessor& rp, const RunInfo& run) {
  rp.facts.receiver_type = static_cast<uint8_t>(run.receiver_type);
  rp.facts.nav_version = run.nav_version;
  rp.facts.sig_version = run.sig_version;
  rp.facts.gps_week_option = run.gps_week;
}
double ProcessorTimeSeconds(const RecordProcessor& rp) {
  return rp.facts.latest_epoch_ms / 1000.0;
}
bool ProcessorDiskFull(const RecordProcessor& rp) {
  return rp.write_failure != kStatusOk;
}

const char* quick_summary_line(RecordProcessor& rp) {
  if (rp.options.quick_mode == 0 || !rp.facts.serial_known) return nullptr;
  std::snprintf(rp.quick_line, sizeof rp.quick_line, "sn:%s;fw:%0.2f;rx:%d\n", rp.facts.serial_text,
                rp.facts.nav_version / 100.0, rp.facts.receiver_type);
  return rp.quick_line;
}

namespace {

// Steps common to both entry points before a record is dispatched: the DAT
// file start with the run's first record, and the record count.
void begin_record(RecordProcessor& rp, int type) {
  if (rp.records_handed == 0) write_dat_file_start(rp);
  ++rp.records_handed;
  rp.last_record_type = type;
  rp.sv_list_count = 0;
  rp.sv_list[0] = 0;
}

// Steps after a record: a failed DAT write turns into "Disk full"; each
// satellite the record named (1 to 32) counts one more record.
StatusCode end_record(RecordProcessor& rp, StatusCode status) {
  if (rp.write_failure != kStatusOk) status = rp.write_failure;
  for (int i = 0; i < rp.sv_list_count && rp.sv_list[i] != 0; ++i)
    if (rp.sv_list[i] <= 32) ++rp.facts.sv_record_count[rp.sv_list[i]];
  rp.sv_list_count = 0;
  rp.sv_list[0] = 0;
  return status;
}

// True when the filter mask keeps the type of bit out of the DAT file.
bool filtered(const RecordProcessor& rp, uint32_t bit) {
  return (rp.filter_mask & bit) != 0;
}

// Types 3 and 21: the ephemeris slot is updated while the satellite has no
// stored ephemeris or has not yet been named by a measurement record.
StatusCode handle_ephemeris(RecordProcessor& rp, int type) {
  const int sv = rp.work[3];
  if (sv >= 1 && sv <= 32 && rp.eph != nullptr &&
      (!rp.facts.sv_eph_stored[sv] || rp.facts.sv_record_count[sv] == 0)) {
    if (type == 3)
      store_type3_ephemeris(*rp.eph, sv, rp.work, rp.work_length);
    else
      store_type21_ephemeris(*rp.eph, sv, rp.work, rp.work_length);
    rp.facts.sv_eph_stored[sv] = true;
  }
  return write_dat_record(rp, type);
}

// Type 12: once its image is written, its receiver type code becomes the
// run's, and its week the data week when it is the run's first type 12.
StatusCode handle_type12(RecordProcessor& rp) {
  constexpr size_t kReceiverType = 9, kWeek = 17;
  const StatusCode status = write_dat_record(rp, 12);
  if (status == kStatusExpansion) return status;
  rp.facts.receiver_type = rp.work[kReceiverType];
  if (!rp.facts.data_week_known) {
    rp.facts.data_gps_week = static_cast<uint16_t>(rp.work[kWeek] << 8 | rp.work[kWeek + 1]);
    rp.facts.data_week_known = true;
  }
  return status;
}

// Message text from byte 4 up to the checksum, at most max bytes, ending at
// the first byte stop() accepts.
template <typename Stop>
size_t message_text(const RecordProcessor& rp, size_t max, Stop stop) {
  size_t n = 0;
  while (n < max && 4 + n < rp.work_length - 3 && !stop(rp.work[4 + n])) ++n;
  return n;
}

// Type 16 by sub-code: 124 with text "1" sets the message flag, 6 is not
// written, 3 names the station, 27 gives the antenna serial number text.
StatusCode handle_message(RecordProcessor& rp) {
  ReceiverFacts& f = rp.facts;
  const uint8_t* text = rp.work + 4;
  switch (rp.work[3]) {
    case 124:
      if (rp.work_length > 7 && text[0] == '1') {
        rp.message_flag = true;
        return kStatusOk;
      }
      break;
    case 6:
      return kStatusOk;
    case 3: {
      size_t n = message_text(rp, 50, [](uint8_t c) { return c == ' ' || c >= 128 || c == 0; });
      std::memcpy(f.message_station, text, n);
      f.message_station[n] = '\0';
      f.message_station_known = true;
      break;
    }
    case 27: {
      size_t n = message_text(rp, 8, [](uint8_t c) { return c == 0; });
      std::memset(f.antenna_text, ' ', 10);
      std::memcpy(f.antenna_text + 10 - n, text, n);
      f.antenna_text[10] = '\0';
      f.antenna_text_known = true;
      break;
    }
    default:
      break;
  }
  return write_dat_record(rp, 16);
}

// Type 19: sub-codes 0 to 4 join the event list; 5 is written only when its
// first word exceeds the last one written; 6 to 8 are written; others not.
StatusCode handle_type19(RecordProcessor& rp) {
  const uint8_t sub = rp.work[3];
  if (sub <= 4)
    return add_event(rp.events, rp.work, rp.work_length) ? StatusCode{kStatusOk}
                                                         : StatusCode{kStatusExpansion};
  if (sub > 8) return kStatusOk;
  if (sub == 5) {
    if (rp.work_length < 9) return kStatusExpansion;
    const uint16_t word = static_cast<uint16_t>(rp.work[4] << 8 | rp.work[5]);
    if (rp.sub5_written && word <= rp.last_sub5_word) return kStatusOk;
    rp.sub5_written = true;
    rp.last_sub5_word = word;
  }
  return write_dat_record(rp, 19);
}

// Type 30: selector 0 opens a stream (clears the new-types-seen and message
// flags, writes nothing); any other selector is the file-information record.
StatusCode handle_type30(RecordProcessor& rp) {
  if (rp.work[3] == 0) {
    rp.new_types_seen = false;
    rp.message_flag = false;
    return kStatusOk;
  }
  size_t n = read_file_information(rp.facts, rp.options.serial_fix_mode, rp.work, rp.work_length,
                                   rp.image, sizeof rp.image);
  if (n == 0) return kStatusExpansion;
  return filtered(rp, kFilter30) ? StatusCode{kStatusOk} : dat_emit(rp, rp.image, n);
}

// Compact measurement records: the first of a run resets the references;
// 66, 67, 74 and 75 become type-17/117 frames assembled like any other.
// 64 and 65 belong to the family but have no conversion: the codec refuses
// them, so they write nothing and count as expansion errors.
StatusCode handle_compact(RecordProcessor& rp) {
  if (!rp.new_types_seen) {
    rp.new_types_seen = true;
    reset_compact_references(rp.compact, kLegacyCompactSatellites);
  }
  size_t length = 0;
  std::memcpy(rp.compact_frame, rp.work, rp.work_length);
  int result = convert_compact_epoch(rp.compact, rp.compact_frame, rp.work_length,
                                     sizeof rp.compact_frame, rp.message_flag, &length);
  if (result == kCompactBadChecksum) return kStatusBadChecksum;
  if (result != kCompactOk) return kStatusExpansion;
  rp.work = rp.compact_frame;
  rp.work_length = length;
  return handle_type17_part(rp, rp.work, length);
}

// Session, setup, position and tracking records feed the report's session
// facts (types 22, 23 and 24 with 32-bit counts); nothing is written.
StatusCode handle_session_family(RecordProcessor& rp, int type) {
  const uint8_t* f = rp.work;
  const size_t n = rp.work_length;
  if (type == 4 || type == 22) decode_session_record(rp.session, f, n, type == 22);
  if (type == 13 || type == 23) decode_session_setup(rp.session, f, n, type == 23);
  if (type == 5 || type == 24) decode_position_record(rp.session, f, n, type == 24);
  if (type == 14) decode_tracking_record(rp.session, f, n);
  return kStatusOk;
}

// Newer record types written subject to the filter mask: 25 and 33 convert
// directly, 31 feeds the application file first.
StatusCode handle_filtered_type(RecordProcessor& rp, int type, uint32_t bit) {
  if (type == 31 && rp.app != nullptr) collect_app_part(*rp.app, rp.work, rp.work_length);
  return filtered(rp, bit) ? StatusCode{kStatusOk} : write_dat_record(rp, type);
}

// The per-type table of the legacy path; returns the record's status.
StatusCode dispatch_legacy(RecordProcessor& rp, int type) {
  switch (type) {
    case 3:
    case 21:
      return handle_ephemeris(rp, type);
    case 4:
    case 5:
    case 13:
    case 14:
    case 22:
    case 23:
    case 24:
      return handle_session_family(rp, type);
    case 7:
      return handle_type7_part(rp, rp.work, rp.work_length);
    case 12:
      return handle_type12(rp);
    case 15:
      if (rp.ion != nullptr) store_type15_ion(*rp.ion, rp.work, rp.work_length);
      return write_ion_update(rp);
    case 16:
      return handle_message(rp);
    case 17:
    case 117:
      return handle_type17_part(rp, rp.work, rp.work_length);
    case 18:
      return kStatusLogst;
    case 19:
      return handle_type19(rp);
    case 25:
      return handle_filtered_type(rp, type, kFilter25);
    case 30:
      return handle_type30(rp);
    case 31:
      return handle_filtered_type(rp, type, kFilter31);
    case 33:
      return handle_filtered_type(rp, type, kFilter33);
    case 64:
    case 65:
    case 66:
    case 67:
    case 74:
    case 75:
      return handle_compact(rp);
    case 102:
      return handle_type102_part(rp, rp.work, rp.work_length);
    default:  // 10, 11, 20, 101 convert directly
      return write_dat_record(rp, type);
  }
}

// True for the types the legacy path acts on; every other type (0, 1, 2, 34,
// the newer types that arrive here unconverted, ...) is ignored whatever its
// length, since the frame's bytes are never read.
bool legacy_type_handled(int type) {
  return TraitsOf(type).legacy_handled;
}

}  // namespace

// The length is the caller's: R00 frames follow the legacy length rule, frames
// from the container reader the raw one (byte 3 extends some raw types past
// 255 bytes), so it is never derived again here from the frame's bytes.
StatusCode process_legacy_record(RecordProcessor& rp, const uint8_t* frame, size_t length) {
  const bool framed = frame != nullptr && length >= 3;
  const int type = framed ? frame[2] : 0;
  begin_record(rp, type);
  if (!framed) return end_record(rp, kStatusExpansion);
  if (!legacy_type_handled(type)) return end_record(rp, kStatusOk);
  if (length < kMinLegacyFrame || length > kWorkFrameCapacity)
    return end_record(rp, kStatusExpansion);
  rp.work = frame;
  rp.work_length = length;
  StatusCode status = dispatch_legacy(rp, type);
  rp.work = nullptr;  // the frame belongs to the caller
  // Failures of the compact conversion arrive here already as 13 or 30.
  return end_record(rp, status);
}

namespace {

// The filter mask bit of a newer record type, 0 for other types.
uint32_t newer_filter_bit(int type) {
  switch (type) {
    case 25:
      return kFilter25;
    case 26:
      return kFilter26;
    case 27:
      return kFilter27;
    case 28:
      return kFilter28;
    case 29:
      return kFilter29;
    case 32:
      return kFilter32;
    case 33:
      return kFilter33;
    case 40:
      return kFilter40;
    case 98:
      return kFilter98;
    case 99:
      return kFilter99;
    default:
      return 0;
  }
}

// The processor's step for each kind of structure the dispatcher hands over.
struct ExpandedStep {
  RecordProcessor& rp;
  const ExpandedRecord& r;

  StatusCode emit(size_t n) const {
    return n == 0 ? StatusCode{kStatusExpansion} : dat_emit(rp, rp.image, n);
  }
  StatusCode operator()(std::monostate) const { return kStatusOk; }
  // Type 5: the page (header byte 2) is kept for the binary message records.
  StatusCode operator()(const Type5Record* page) const {
    const int index = r.header[2];  // pages above 7 change nothing
    if (index >= 8) return kStatusOk;
    rp.type5_pages[index] = *page;
    rp.type5_seen[index] = true;
    return kStatusOk;
  }
  StatusCode operator()(const Type11Record* p) const {
    return emit(build_type11_record_image(r.header, *p, rp.image, sizeof rp.image));
  }
  StatusCode operator()(const Type17Record* p) const { return handle_type17_record(rp, *p); }
  StatusCode operator()(const Type27Record* p) const {
    if (filtered(rp, kFilter27)) return kStatusOk;
    return emit(build_type27_image(r.header, *p, rp.image, sizeof rp.image));
  }
  StatusCode operator()(const Type29Record* p) const {
    if (filtered(rp, kFilter29)) return kStatusOk;
    return emit(build_type29_image(r.header, *p, rp.image, sizeof rp.image));
  }
  StatusCode operator()(const NewerTypeRecord* p) const {
    const uint32_t bit = newer_filter_bit(r.type);
    if (bit == 0 || filtered(rp, bit)) return kStatusOk;
    return emit(build_newer_image(r.header, *p, rp.image, sizeof rp.image));
  }
};

}  // namespace

StatusCode process_expanded_record(RecordProcessor& rp, const ExpandedRecord& record) {
  begin_record(rp, record.type);
  return end_record(rp, std::visit(ExpandedStep{rp, record}, record.payload));
}

}  // namespace d01ozu
