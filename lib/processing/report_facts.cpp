#include "processing/report_facts.h"

#include <cstdio>
#include <cstring>

#include "processing/record_processor.h"

namespace d01ozu {
namespace {

constexpr double kHalfWeekMs = 3.024e8;  // 302400 seconds

// The week of the data (first type-12 record), else the -W week.
uint16_t data_week(const ReceiverFacts& facts, const RunInfo& run) {
  if (facts.data_week_known) return facts.data_gps_week;
  return facts.gps_week_option ? facts.gps_week_option : run.gps_week;
}

}  // namespace

// The numeric receiver serial is the file-information record's once one was
// taken there; otherwise the session record's, else the processor's.
void resolve_report_facts(const RecordProcessor& rp, const RunInfo& run, ReportFacts& f) {
  const ReceiverFacts& facts = rp.facts;
  final_session_block(rp.session, f.session);
  f.tracking_seen = rp.session.tracking_seen;
  f.receiver_type = facts.receiver_type ? facts.receiver_type : run.receiver_type;
  f.nav_version = facts.nav_version ? facts.nav_version : run.nav_version;
  f.sig_version = facts.sig_version ? facts.sig_version : run.sig_version;
  f.download_version = run.download_version;
  f.first_epoch_ms = facts.first_epoch_ms;
  f.latest_epoch_ms = facts.latest_epoch_ms;
  f.first_week = data_week(facts, run);
  bool rollover = f.first_epoch_ms > f.latest_epoch_ms + kHalfWeekMs;
  f.latest_week = static_cast<uint16_t>(f.first_week + (rollover ? 1 : 0));
  f.first = gps_to_calendar(f.first_week, f.first_epoch_ms / 1000.0);
  f.latest = gps_to_calendar(f.latest_week, f.latest_epoch_ms / 1000.0);
  f.serial_text = facts.serial_known ? facts.serial_text : nullptr;
  uint32_t block_serial = block_u32(f.session, session::kReceiverSerial);
  bool use_block = !facts.serial_from_file_record && block_serial != 0;
  f.serial_number = use_block ? block_serial : facts.serial_number;
  f.antenna_text = facts.antenna_text_known ? facts.antenna_text : nullptr;
  uint32_t block_antenna = block_u32(f.session, session::kAntennaSerial);
  f.antenna_number = block_antenna ? block_antenna : facts.antenna_number;
}

void receiver_serial_text(const ReportFacts& f, char out[12]) {
  std::memset(out, 0, 12);
  if (f.serial_text)
    std::snprintf(out, 12, "%.11s", f.serial_text);
  else
    std::snprintf(out, 12, "%010lld", static_cast<long long>(f.serial_number));
}

}  // namespace d01ozu
