// The record processor: receives every record of a run, keeps the run state
// from which the outputs are written, and writes each record's DAT image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/status_code.h"
#include "output/app_file.h"
#include "output/images.h"
#include "output/out_file.h"
#include "processing/compact_codec.h"
#include "processing/epochs.h"
#include "processing/event_list.h"
#include "processing/receiver_facts.h"
#include "processing/session_facts.h"
#include "records/expanded_records.h"

namespace d01ozu {

// Option modes handed over by the driver before the handle is opened.
struct ProcessorOptions {
  int serial_fix_mode = 0;  // -n: 0 off, 1 conditional, 2 unconditional
  int mode_27_17 = 1;       // 0 after -g, 1 default or -o, 2 after -o+
  int l2_preference = 3;    // -l2c / -l2e
  int type27_flag = 0;      // -g: extended type 17 allowed
  int quick_mode = 0;       // -q
};

// Bits of the filter mask (-k): the DAT image of the newer record type is
// not written while its bit is set.
enum : uint32_t {
  kFilter25 = 0x1,
  kFilter30 = 0x2,
  kFilter31 = 0x4,
  kFilter32 = 0x8,
  kFilter40 = 0x10,
  kFilter26 = 0x20,
  kFilter27 = 0x40,
  kFilter28 = 0x80,
  kFilter29 = 0x100,
  kFilter98 = 0x200,
  kFilter99 = 0x400,
  kFilter33 = 0x800,
  kFilterAll = 0xFFFFFFFFu,
};

// Working frames are legacy frames of at most 511 bytes; a frame the legacy
// path acts on has at least STX, length, type, a byte, checksum and ETX.
constexpr size_t kWorkFrameCapacity = 512;
constexpr size_t kMinLegacyFrame = 6;
// The DAT image buffer holds the largest record: a type-27 epoch.
constexpr size_t kImageCapacity = 24 * 1024;

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

  bool message_flag = false;    // message record 124 with text "1" seen
  bool new_types_seen = false;  // a compact measurement record arrived
  // Satellites named by the current record, ended by 0.
  uint8_t sv_list[34] = {};
  int sv_list_count = 0;

  const uint8_t* work = nullptr;  // the current frame, read where it lies
  size_t work_length = 0;
  uint8_t compact_frame[kWorkFrameCapacity] = {};  // a compact record rebuilt as type 17
  uint8_t image[kImageCapacity] = {};              // DAT image under construction

  Type7Epoch epoch7;
  Type17Epoch epoch17;
  Type102Record rec102;
  EventList events;
  EventList held_events;  // event records to write after the current epoch
  double held_times[kEventCapacity] = {};
  EpochClock clock;
  bool dropped_sv[256] = {};    // satellites dropped by the type-17 reduction
  uint16_t last_sub5_word = 0;  // type 19 sub-code 5: last first word written
  bool sub5_written = false;

  CompactReferences compact;

  // Type-5 pages of the container path (page 0 to 7), kept as they came.
  Type5Record type5_pages[8] = {};
  bool type5_seen[8] = {};

  char quick_line[64] = {};
};

// Driver-facing setters and queries.
void SetProcessorOptions(RecordProcessor& rp, const ProcessorOptions& options);
void AddRecordFilter(RecordProcessor& rp, uint32_t mask);
// Makes the handle's images and buffers known (at OpenConversion).
void AttachOutputs(RecordProcessor& rp, EphImage* eph, IonImage* ion, AppBuffer* app,
                   const uint16_t* download_version);
void SetDatStream(RecordProcessor& rp, OutFile* dat);
// Copies receiver type, versions and GPS week of the run (first record).
void ApplyRunInfo(RecordProcessor& rp, const RunInfo& run);
double ProcessorTimeSeconds(const RecordProcessor& rp);
bool ProcessorDiskFull(const RecordProcessor& rp);
// The quick summary text, or nullptr until it is ready.
const char* quick_summary_line(RecordProcessor& rp);

// Entry points. frame is a whole frame (STX first) of length bytes, the length
// its source's rule gives it.
StatusCode process_legacy_record(RecordProcessor& rp, const uint8_t* frame, size_t length);
StatusCode process_expanded_record(RecordProcessor& rp, const ExpandedRecord& record);

// At close: merges the pending session and rewrites the binary message records
// at the start of the DAT file; 0, or 16 when they cannot be found.
StatusCode FinishDatFile(RecordProcessor& rp, const RunInfo& run);

}  // namespace d01ozu
