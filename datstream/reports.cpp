#include "datstream/reports.h"

namespace d01ozu {

void refresh_station_names(const RecordProcessor&, RunInfo&) {}
StatusCode write_session_report(OutFile& mes, const RecordProcessor&, const RunInfo&) {
  return mes.is_open() ? kStatusOk : kStatusMesNotOpen;
}
StatusCode write_summary(OutFile& sum, const RecordProcessor&, const RunInfo&) {
  return sum.is_open() ? kStatusOk : kStatusSumNotOpen;
}

}  // namespace d01ozu
