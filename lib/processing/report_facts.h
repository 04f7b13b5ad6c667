// The run facts that the text reports and the binary message records print,
// resolved once from the record processor and the run information.
#pragma once

#include <cstdint>

#include "output/calendar.h"
#include "output/images.h"
#include "processing/session_facts.h"

namespace d01ozu {

struct RecordProcessor;

struct ReportFacts {
  uint8_t session[kSessionBlockSize];  // reported session, pending one merged in
  bool tracking_seen = false;
  int receiver_type = 0;
  uint16_t nav_version = 0;  // the receiver's, x 100
  uint16_t sig_version = 0;
  const uint16_t* download_version = nullptr;  // three numbers
  uint16_t first_week = 0;                     // data week when known, else the -W week
  uint16_t latest_week = 0;                    // first_week, plus 1 after a week rollover
  double first_epoch_ms = 0;
  double latest_epoch_ms = 0;
  CalendarTime first;
  CalendarTime latest;
  const char* serial_text = nullptr;   // receiver serial text, when known
  uint32_t serial_number = 0;          // numeric receiver serial
  const char* antenna_text = nullptr;  // right-aligned antenna text, when known
  uint32_t antenna_number = 0;         // numeric antenna serial
};

// Fills f from the processor and the run information.
void resolve_report_facts(const RecordProcessor& rp, const RunInfo& run, ReportFacts& f);

// Receiver serial text as page 2 and the reports print it: the text when
// known, else the number with at least 10 digits (out holds 12 bytes).
void receiver_serial_text(const ReportFacts& f, char out[12]);

}  // namespace d01ozu
