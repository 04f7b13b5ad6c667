// Text reports written at close: the MES session report and the summary file,
// and the station and session names they share with the DAT file name.
#pragma once

#include "core/status_code.h"
#include "output/images.h"
#include "output/out_file.h"

namespace d01ozu {

struct RecordProcessor;

// Replaces the names of run by those the data gives (receiver types 29 to 59).
void refresh_station_names(const RecordProcessor& rp, RunInfo& run);
StatusCode write_session_report(OutFile& mes, const RecordProcessor& rp, const RunInfo& run);
StatusCode write_summary(OutFile& sum, const RecordProcessor& rp, const RunInfo& run);

}  // namespace d01ozu
