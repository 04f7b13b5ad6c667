// The state of one conversion behind the public Converter: options, events,
// inputs, the record processor and the handle, and the counters of the run.
// The record sources (R00 and T0x) step it one record at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/status_code.h"
#include "d01ozu/d01ozu.h"
#include "input/block_ahead.h"
#include "input/input_stream.h"
#include "input/r00_framing.h"
#include "input/su_ahead.h"
#include "processing/record_processor.h"
#include "run/output_set.h"

namespace d01ozu {

// One input of the run: a file by path, bytes in memory or a read callback.
struct InputSpec {
  enum class Kind : uint8_t { kFile, kBytes, kReader } kind;
  std::string name;
  const uint8_t* data = nullptr;
  uint64_t size = 0;
  ReadAt read = nullptr;
  void* user = nullptr;
};

// Where the run is: before the outputs are opened, reading input index,
// finished (every input read or a status that ends the run), closed.
enum class RunPhase : uint8_t { kCreated, kBetweenFiles, kInFile, kFinished, kClosed };

constexpr size_t kRecordBufferSize = 1024;
constexpr size_t kDumpFollowingBytes = 256;

struct Converter::State {
  Options options;
  Events events;
  std::vector<InputSpec> inputs;
  std::unique_ptr<RecordProcessor> processor;
  OutputSetPtr handle;
  InputStream input;
  RunPhase phase = RunPhase::kCreated;
  size_t next_input = 0;

  StatusCode status = kStatusOk;
  StatusCode remembered = kStatusOk;  // last error tolerated or met
  bool abort = false;
  int repeats = 0;  // T0x errors at one position
  Counters counters;

  // Per input file; the flags carry over to a file without a header.
  uint8_t header_tail[kR00TailSize] = {};
  bool eph_read = false, ion_read = false;
  uint8_t record[kRecordBufferSize + kDumpFollowingBytes] = {};
  uint32_t current_pos = 0;
  uint32_t next_pos = 0;
  uint32_t last_error_pos = 0xFFFFFFFF;
  uint32_t previous_record_pos = 0;
  uint32_t file_size = 0;
  // Decompression ahead for the current input; last, so it stops first.
  std::unique_ptr<BlockAhead> ahead;
  std::unique_ptr<SuAhead> su_ahead;  // su decoding ahead for T01 input
};

// One step of the record loop of each source: false when the loop of the
// current file ends (end of input, or a status that is not tolerated).
bool R00Step(Converter::State& s);
bool T0xStep(Converter::State& s);

// True for the formats read by the container reader.
inline bool ContainerFormat(InputFormat f) {
  return f >= InputFormat::kT00 && f <= InputFormat::kT04;
}

// Reports a record step to the record event, if one is set: the record as
// read (raw type, frame length) and what the step handed on (type).
void ReportRecord(Converter::State& s, bool delivered, int type, uint64_t position, int raw_type,
                  uint32_t length, bool checksum_tested);

}  // namespace d01ozu
