#include "app/run_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/front_version.h"
#include "app/messages.h"
#include "app/naming.h"
#include "output/eph_ion.h"
#include "core/frame_rules.h"
#include "input/r00_framing.h"
#include "run/container_record.h"
#include "core/byte_cursor.h"

namespace rawsplit {
namespace {

using d01ozu::StatusCode;

constexpr size_t kFramePrefixSize = 3;  // STX, length, type
constexpr size_t kDumpFollowingBytes = 256;
constexpr int kMaxRepeatsAtOnePosition = 10;
constexpr size_t kStationLength = 4;

// What the driver keeps beside the context while a run lasts.
struct RunState {
  StatusCode status = d01ozu::kStatusOk;
  StatusCode remembered = d01ozu::kStatusOk;  // last error tolerated or met
  uint8_t abort = 0;                          // set by the progress sink
  int repeats = 0;                            // T0x errors at one position
};

// One output the options may ask for, in the order they are opened.
struct OutputStep {
  int16_t ConversionContext::*wanted;
  const char* extension;  // nullptr: the DAT extension of the run
  int kind;
  int message;
};

constexpr OutputStep kOutputSteps[] = {
    {&ConversionContext::produce_dat, nullptr, d01ozu::kOutputDat, kMsgDat},
    {&ConversionContext::produce_eph, ".eph", d01ozu::kOutputEph, kMsgEph},
    {&ConversionContext::produce_ion, ".ion", d01ozu::kOutputIon, kMsgIon},
    {&ConversionContext::produce_mes, ".mes", d01ozu::kOutputMes, kMsgMes},
    {&ConversionContext::produce_app, ".cfg", d01ozu::kOutputApp, kMsgApp},
};

// Reports progress through the installed sink, if any.
void Progress(ConversionContext& cx, uint16_t percent) {
  if (cx.progress_sink) cx.progress_sink(cx.abort_flag, percent, cx.progress_text, &cx.verbose);
}

// Share of the current input read, in whole percent (0 for an empty file).
uint16_t PercentRead(const ConversionContext& cx) {
  if (cx.file_size == 0) return 0;
  return static_cast<uint16_t>(static_cast<double>(cx.current_pos) / cx.file_size * 100.0);
}

// Opens each requested output under its name; the summary goes to the -s
// name when one was given. Stops at the first failure (status set).
void OpenRequestedOutputs(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st) {
  for (const OutputStep& step : kOutputSteps) {
    if (st.status != d01ozu::kStatusOk || !(cx.*step.wanted)) continue;
    FormOutputName(cx, step.extension ? step.extension : cx.dat_extension);
    st.status = d01ozu::OpenOutput(cx.handle.get(), step.kind, cx.output_name);
    if (step.kind == d01ozu::kOutputDat) d01ozu::AddRecordFilter(rp, cx.record_filter);
    if (cx.verbose >= 1) Say(cx, 1, step.message, cx.output_name);
    if (st.status != d01ozu::kStatusOk) st.remembered = st.status;
  }
  if (st.status != d01ozu::kStatusOk || !cx.produce_summary) return;
  const char* path = cx.summary_name;
  if (!cx.summary_given) {
    FormOutputName(cx, ".txt");
    path = cx.output_name;
  }
  st.status = d01ozu::OpenOutput(cx.handle.get(), d01ozu::kOutputSummary, path);
  if (cx.verbose >= 1) Say(cx, 1, kMsgSum, path);
  if (st.status != d01ozu::kStatusOk) st.remembered = st.status;
}

// Banner, processor options, the library handle and the outputs.
void OpenPhase(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st) {
  if (cx.verbose >= 1) {
    char library[16];
    LibraryVersionText(library, sizeof library);
    Say(cx, 1, kMsgBanner, kProgramVersion);
    Say(cx, 1, kMsgLibrary, library);
  }
  d01ozu::ProcessorOptions options;
  options.serial_fix_mode = cx.serial_fix_mode;
  options.mode_27_17 = cx.mode_27_17;
  options.l2_preference = cx.l2_preference;
  options.type27_flag = cx.type27_flag;
  options.quick_mode = cx.quick_mode;
  d01ozu::SetProcessorOptions(rp, options);
  st.status = d01ozu::OpenConversion(cx.handle, rp);
  if (st.status != d01ozu::kStatusOk) st.remembered = st.status;
  if (cx.handle) {
    d01ozu::SetUpdateNameMode(*cx.handle, static_cast<uint16_t>(cx.update_name_mode));
    d01ozu::SetQuickFlag(*cx.handle, cx.quick_mode != 0);
    d01ozu::SetDatExtension(*cx.handle, cx.dat_extension);
  }
  OpenRequestedOutputs(cx, rp, st);
}

// "Record id" trace line of a record that was processed.
void TraceRecord(ConversionContext& cx, d01ozu::RecordProcessor& rp, int type, uint32_t pos) {
  if (cx.verbose < 2) return;
  if (d01ozu::RecordHasTime(type))
    Say(cx, 2, kMsgRecordTime, type, pos, d01ozu::ProcessorTimeSeconds(rp));
  else
    Say(cx, 2, kMsgRecord, type, pos);
}

// Level-3 dump of the first size bytes of the record buffer and of the 256
// input bytes that follow (zeros past the end of the input); the stream is
// put back to the next position.
void DumpProblem(ConversionContext& cx, size_t size) {
  for (size_t i = 0; i < size; ++i) Say(cx, 3, kMsgDumpByte, static_cast<int>(i), cx.record[i]);
  std::memset(cx.record, 0, kDumpFollowingBytes);
  cx.input.read(cx.record, kDumpFollowingBytes);
  SayText(cx, 3, " ");
  Say(cx, 3, kMsgNextBytes);
  SayText(cx, 3, " ");
  for (size_t i = 0; i < kDumpFollowingBytes; ++i)
    Say(cx, 3, kMsgDumpByte, static_cast<int>(i), cx.record[i]);
  SayText(cx, 3, " ");
  cx.input.seek(cx.next_pos);
}

// Searches for the next sound record after damage at the current position.
// Returns true when one was found (and processed); else the status is set.
bool Resynchronise(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st) {
  if (cx.verbose >= 2) Say(cx, 2, kMsgFixup, cx.current_pos);
  cx.next_pos = cx.current_pos;
  st.status =
      d01ozu::resync_to_record(cx.input, cx.current_pos, rp, cx.handle.get(), cx.checksum_errors);
  if (st.status != d01ozu::kStatusOk) return false;
  if (cx.verbose >= 3) {
    Say(cx, 3, kMsgSearchStart, cx.next_pos);
    Say(cx, 3, kMsgResync, cx.current_pos);
    Say(cx, 3, kMsgLostBytes, static_cast<unsigned long>(cx.current_pos - cx.next_pos));
    SayText(cx, 3, " ");
  }
  cx.lost_bytes += static_cast<int32_t>(cx.current_pos - cx.next_pos);
  ++cx.record_count;
  return true;
}

// A record that check_frame refused: report it, then drop it (-c), pass it
// (-f, out of sequence) or resynchronise (-f). Returns true to read on.
bool HandleRecordError(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st,
                       size_t size) {
  st.remembered = st.status;
  if (cx.verbose >= 2) {
    Say(cx, 2, kMsgStatus, static_cast<int>(st.status));
    Say(cx, 2, kMsgProblemStart, cx.current_pos);
  }
  if (cx.verbose >= 3) DumpProblem(cx, size);
  if (st.status == d01ozu::kStatusBadChecksum && cx.ignore_checksum) {
    st.status = d01ozu::kStatusOk;
    ++cx.checksum_errors;
    cx.lost_bytes += static_cast<int32_t>(cx.next_pos - cx.current_pos);
    return true;
  }
  if (st.status == d01ozu::kStatusOutOfSequence && cx.fixup) {
    st.status = d01ozu::kStatusOk;
    return true;
  }
  if (st.status != d01ozu::kStatusDiskFull && cx.fixup) return Resynchronise(cx, rp, st);
  return false;
}

// No STX where a record should start, or a length that leaves no data.
// Without -f this ends the run with 11; with -f the driver resynchronises.
bool HandleMissingRecord(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st) {
  if (!cx.fixup) {
    st.status = st.remembered = d01ozu::kStatusNoStx;
    return false;
  }
  st.remembered = d01ozu::kStatusNoStx;
  if (cx.verbose >= 2) {
    Say(cx, 2, kMsgStatus, static_cast<int>(d01ozu::kStatusNoStx));
    Say(cx, 2, kMsgProblemStart, cx.current_pos);
  }
  if (cx.verbose >= 3) {
    cx.next_pos = static_cast<uint32_t>(cx.input.tell());
    DumpProblem(cx, kFramePrefixSize);
  }
  return Resynchronise(cx, rp, st);
}

// One framed R00 record. Returns false when the loop ends (end of input or a
// status that is not tolerated).
bool R00Step(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st) {
  if (cx.input.read(cx.record, kFramePrefixSize) < kFramePrefixSize) return false;
  const int data_length =
      d01ozu::legacy_frame_length(cx.record[1], cx.record[2]) - static_cast<int>(kFramePrefixSize);
  const size_t wanted = data_length > 0 ? static_cast<size_t>(data_length) : 0;
  if (cx.record[0] != d01ozu::kStx || wanted == 0) return HandleMissingRecord(cx, rp, st);
  if (cx.input.read(cx.record + kFramePrefixSize, wanted) < wanted) return false;
  cx.next_pos = static_cast<uint32_t>(cx.input.tell());
  const size_t size = kFramePrefixSize + wanted;
  st.status = d01ozu::check_frame(rp, cx.handle.get(), cx.record, size);
  if (st.status != d01ozu::kStatusOk) return HandleRecordError(cx, rp, st, size);
  ++cx.record_count;
  TraceRecord(cx, rp, cx.record[2], cx.current_pos);
  return true;
}

// One raw record of a T0x file. Record errors are tolerated unless more than
// ten follow at one position. Returns false when the loop ends.
bool T0xStep(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st) {
  cx.fixup = 1;
  st.status = d01ozu::ReadContainerRecord(*cx.handle, rp, cx.input,
                                          static_cast<d01ozu::FormatCode>(cx.format));
  if (st.status == d01ozu::kStatusBadChecksum && cx.ignore_checksum) {
    if (st.remembered == d01ozu::kStatusOk) st.remembered = st.status;
    st.status = d01ozu::kStatusOk;
    ++cx.checksum_errors;
  }
  if (st.status == d01ozu::kStatusQuickSummary) {
    const char* line = d01ozu::quick_summary_line(rp);
    if (line) std::fputs(line, stdout);
    return false;
  }
  if (st.status == d01ozu::kStatusDiskFull) return false;  // never tolerated
  if (st.status != d01ozu::kStatusOk) {
    if (cx.current_pos == cx.last_error_pos) {
      if (++st.repeats > kMaxRepeatsAtOnePosition) return false;
    } else {
      cx.last_error_pos = cx.current_pos;
      st.repeats = 0;
    }
    if (st.remembered == d01ozu::kStatusOk) st.remembered = st.status;
    st.status = d01ozu::kStatusOk;
  }
  if (rp.record_count > cx.record_count) cx.record_count = rp.record_count;
  TraceRecord(cx, rp, rp.last_record_type, cx.previous_record_pos);
  cx.previous_record_pos = cx.current_pos;
  return !cx.input.eof();
}

// Reads records while DAT output is wanted, nothing failed and no abort came.
void RecordLoop(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st) {
  const bool container = cx.format >= d01ozu::kFormatT00 && cx.format <= d01ozu::kFormatT04;
  while (cx.produce_dat && st.status == d01ozu::kStatusOk && !st.abort) {
    cx.current_pos = static_cast<uint32_t>(cx.input.tell());
    Progress(cx, PercentRead(cx));
    if (!(container ? T0xStep(cx, rp, st) : R00Step(cx, rp, st))) break;
  }
}

// Header of the current input when the inputs carry one; decides whether the
// initial blocks are read from this file.
void ReadInputHeader(ConversionContext& cx, RunState& st) {
  uint16_t kind = d01ozu::kHeaderNone;
  StatusCode h = d01ozu::detect_input_header(&cx.input, cx.header_tail, kind);
  if (h != d01ozu::kStatusOk) st.status = st.remembered = h;
  cx.eph_read = cx.eph_flag;
  cx.ion_read = cx.ion_flag;
  if (kind == d01ozu::kHeaderT00 || kind == d01ozu::kHeaderT02 || kind == d01ozu::kHeaderT04) {
    cx.eph_read = cx.ion_read = 0;
    cx.input.seek(0);
  }
  if (kind == d01ozu::kHeaderT02 || kind == d01ozu::kHeaderT04) {
    char library[16];
    LibraryVersionText(library, sizeof library);
    if (std::strtod(library, nullptr) < 8.0) {
      if (cx.verbose >= 1) Say(cx, 1, kMsgT02Unsupported);
      st.status = d01ozu::kStatusT02Unsupported;
    }
  }
}

// Run facts of the first input: receiver type and versions from the header
// tail (-R overrides), station and session from the output file name, week.
void ApplyFirstFileFacts(ConversionContext& cx) {
  d01ozu::OutputSet& h = *cx.handle;
  d01ozu::ByteCursor tail(cx.header_tail, sizeof cx.header_tail);
  tail.seek(d01ozu::kTailReceiverType);
  const uint16_t receiver = tail.le16();
  const uint16_t nav = tail.le16();
  const uint16_t sig = tail.le16();
  d01ozu::SetReceiverType(h, receiver);
  d01ozu::SetVersions(h, cx.nav_version ? cx.nav_version : nav,
                      cx.sig_version ? cx.sig_version : sig);
  char name[kPathSize] = {};
  const size_t start = NamePartOffset(cx.output_name);
  if (cx.extension_pos > start) std::memcpy(name, cx.output_name + start, cx.extension_pos - start);
  char session[kStationLength + 1] = {};
  if (std::strlen(name) > kStationLength) {
    std::memcpy(session, name + kStationLength, kStationLength);  // cut to 4
    session[kStationLength] = '\0';
    name[kStationLength] = '\0';
  }
  d01ozu::SetStationNames(h, name, session);
  d01ozu::SetGpsWeek(h, cx.gps_week);
}

// The 32 initial ephemeris blocks and the ION/UTC block; absent blocks read
// as zeros. Only the first file's blocks are kept.
void ReadInitialBlocks(ConversionContext& cx, bool first) {
  d01ozu::OutputSet& h = *cx.handle;
  uint8_t* block = cx.record;
  for (int sv = 1; sv <= static_cast<int>(d01ozu::kEphSlotCount); ++sv) {
    std::memset(block, 0, d01ozu::kInitialEphBlockSize);
    if (cx.eph_read) cx.input.read(block, d01ozu::kInitialEphBlockSize);
    if (first) d01ozu::SetInitialEphemeris(h.eph, sv, block);
  }
  std::memset(block, 0, d01ozu::kInitialIonBlockSize);
  if (cx.ion_read) cx.input.read(block, d01ozu::kInitialIonBlockSize);
  if (first) d01ozu::SetInitialIonUtc(h.ion, block);
}

// Opens input index, reads its header and initial blocks, runs the record
// loop and closes it; a file that cannot be opened sets 17.
void ProcessInputFile(ConversionContext& cx, d01ozu::RecordProcessor& rp, RunState& st, int index) {
  if (cx.verbose >= 1) Say(cx, 1, kMsgInput, cx.inputs[index]);
  if (!cx.input.open(cx.inputs[index])) {
    st.status = st.remembered = d01ozu::kStatusNoInput;
    return;
  }
  cx.file_size = static_cast<uint32_t>(cx.input.size());
  cx.previous_record_pos = 0;
  if (cx.header_flag) ReadInputHeader(cx, st);
  d01ozu::ResetProcessor(rp);
  if (d01ozu::ResetContainerReader(*cx.handle) != d01ozu::kStatusOk && !st.status)
    st.status = st.remembered = d01ozu::kStatusNoMemory;
  if (index == 0 && st.status == d01ozu::kStatusOk) ApplyFirstFileFacts(cx);
  if (st.status == d01ozu::kStatusOk) ReadInitialBlocks(cx, index == 0);
  Progress(cx, 0);
  if (cx.produce_dat) RecordLoop(cx, rp, st);
  cx.input.close();
  if (!st.abort && st.status == d01ozu::kStatusOk) Progress(cx, 100);
  if (cx.format >= d01ozu::kFormatT01 && cx.format <= d01ozu::kFormatT04)
    cx.record_count = rp.record_count;
}

// Closes the outputs, settles the final status and prints the run's counts.
StatusCode EndOfRun(ConversionContext& cx, RunState& st) {
  if (cx.handle) {
    StatusCode close = d01ozu::CloseConversion(cx.handle);
    if (st.status == d01ozu::kStatusOk) st.status = close;
  }
  if (st.abort)
    st.status = d01ozu::kStatusAborted;
  else if (st.status == d01ozu::kStatusOk && st.remembered != d01ozu::kStatusOk)
    st.status = d01ozu::kStatusErrorsTolerated;
  if (cx.verbose >= 1) {
    Say(cx, 1, kMsgRecords, static_cast<long>(cx.record_count));
    Say(cx, 1, kMsgStatus, static_cast<int>(st.status));
    if (cx.checksum_errors > 0)
      Say(cx, 1, kMsgChecksumCount, static_cast<unsigned long>(cx.checksum_errors));
    if (cx.lost_bytes > 0) Say(cx, 1, kMsgTotalLost, static_cast<unsigned long>(cx.lost_bytes));
  }
  if (cx.verbose >= 2 && st.status != d01ozu::kStatusOk) PrintError(cx, st.status);
  return st.status;
}

}  // namespace

StatusCode RunConversion(ConversionContext& cx, d01ozu::RecordProcessor& rp) {
  RunState st;
  cx.abort_flag = &st.abort;
  OpenPhase(cx, rp, st);
  for (int i = 0; i < kMaxInputs && st.status == d01ozu::kStatusOk && cx.inputs[i][0]; ++i)
    ProcessInputFile(cx, rp, st, i);
  StatusCode status = EndOfRun(cx, st);
  cx.abort_flag = nullptr;
  return status;
}

}  // namespace rawsplit
