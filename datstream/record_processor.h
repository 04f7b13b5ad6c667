// The record processor: receives every record of a run, keeps the run state
// from which the outputs are written, and writes each record's DAT image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "datstream/app_file.h"
#include "datstream/images.h"
#include "datstream/out_file.h"
#include "datstream/receiver_facts.h"
#include "datstream/session_facts.h"
#include "datstream/status_code.h"

namespace d01ozu {

// Option modes handed over by the driver before the handle is opened.
struct ProcessorOptions {
  int serial_fix_mode = 0;  // -n: 0 off, 1 conditional, 2 unconditional
  int mode_27_17 = 1;       // 0 after -g, 1 default or -o, 2 after -o+
  int l2_preference = 3;    // -l2c / -l2e
  int type27_flag = 0;      // -g: extended type 17 allowed
  int quick_mode = 0;       // -q
};

struct RecordProcessor {
  ProcessorOptions options;
  uint32_t filter_mask = 0;  // -k; bit per newer record type
  ReceiverFacts facts;
  SessionFacts session;

  // Handle-owned state made known at OpenConversion.
  EphImage* eph = nullptr;
  IonImage* ion = nullptr;
  AppBuffer* app = nullptr;
  const uint16_t* download_version = nullptr;
  OutFile* dat = nullptr;

  int32_t records_handed = 0;  // records handed to the processor this run
  int32_t record_count = 0;    // records counted by the container path
  int last_record_type = 0;
  bool type27_written = false;           // DAT file holds type-27 records as they are
  StatusCode write_failure = kStatusOk;  // "Disk full" once a DAT write failed
  uint64_t ion_record_offset = 0;        // initial ION/UTC DAT record, 0 once overwritten
};

// Driver-facing setters and queries.
void SetProcessorOptions(RecordProcessor& rp, const ProcessorOptions& options);
void AddRecordFilter(RecordProcessor& rp, uint32_t mask);
// Makes the handle's images and buffers known (at OpenConversion).
void AttachOutputs(RecordProcessor& rp, EphImage* eph, IonImage* ion, AppBuffer* app,
                   const uint16_t* download_version);
void SetDatStream(RecordProcessor& rp, OutFile* dat);
// Prepares for a new input file.
void ResetProcessor(RecordProcessor& rp);
// Copies receiver type, versions and GPS week of the run (first record).
void ApplyRunInfo(RecordProcessor& rp, const RunInfo& run);
double ProcessorTimeSeconds(const RecordProcessor& rp);
bool ProcessorDiskFull(const RecordProcessor& rp);
// The quick summary text, or nullptr until it is ready.
const char* quick_summary_line(RecordProcessor& rp);

// Entry points. frame is a whole legacy frame (STX first) of size bytes.
StatusCode process_legacy_record(RecordProcessor& rp, const uint8_t* frame, size_t size);
StatusCode process_expanded_record(RecordProcessor& rp, int type, const uint8_t header[4],
                                   const void* payload);

// At close: merges the pending session and rewrites the binary message records
// at the start of the DAT file; 0, or 16 when they cannot be found.
StatusCode FinishDatFile(RecordProcessor& rp, const RunInfo& run);

}  // namespace d01ozu
