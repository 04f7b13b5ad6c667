#include "datstream/record_processor.h"

namespace d01ozu {

void SetProcessorOptions(RecordProcessor& rp, const ProcessorOptions& options) {
  rp.options = options;
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
void ResetProcessor(RecordProcessor&) {}
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
const char* quick_summary_line(RecordProcessor&) {
  return nullptr;
}

// Until the per-type table exists every record is only counted.
StatusCode process_legacy_record(RecordProcessor& rp, const uint8_t* frame, size_t size) {
  if (size >= 3) rp.last_record_type = frame[2];
  ++rp.records_handed;
  return kStatusOk;
}

StatusCode process_expanded_record(RecordProcessor& rp, int type, const uint8_t*, const void*) {
  rp.last_record_type = type;
  ++rp.records_handed;
  return kStatusOk;
}

StatusCode FinishDatFile(RecordProcessor&, const RunInfo&) {
  return kStatusOk;
}

}  // namespace d01ozu
