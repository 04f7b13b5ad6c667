#include "app/run_driver.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/front_version.h"
#include "app/messages.h"
#include "app/naming.h"

namespace rawsplit {
namespace {

using d01ozu::StatusCode;

constexpr size_t kStationLength = 4;

// The message that names each output as it is opened.
int OutputMessage(d01ozu::OutputKind kind) {
  switch (kind) {
    case d01ozu::OutputKind::kDat:
      return kMsgDat;
    case d01ozu::OutputKind::kEph:
      return kMsgEph;
    case d01ozu::OutputKind::kIon:
      return kMsgIon;
    case d01ozu::OutputKind::kMes:
      return kMsgMes;
    case d01ozu::OutputKind::kApp:
      return kMsgApp;
    case d01ozu::OutputKind::kSummary:
      break;
  }
  return kMsgSum;
}

ConversionContext& Context(void* user) {
  return *static_cast<ConversionContext*>(user);
}

void OnOutputOpened(void* user, d01ozu::OutputKind kind, const char* path, d01ozu::Status) {
  ConversionContext& cx = Context(user);
  if (cx.verbose >= 1) Say(cx, 1, OutputMessage(kind), path);
}

void OnInputStarted(void* user, int index, const char* name) {
  ConversionContext& cx = Context(user);
  cx.current_input = index;
  if (cx.verbose >= 1) Say(cx, 1, kMsgInput, name);
}

// The "Record id" trace line of a step.
void OnRecord(void* user, const d01ozu::RecordEvent& e) {
  ConversionContext& cx = Context(user);
  if (cx.verbose < 2) return;
  const unsigned position = static_cast<uint32_t>(e.position);
  if (e.has_time)
    Say(cx, 2, kMsgRecordTime, e.type, position, e.time_seconds);
  else
    Say(cx, 2, kMsgRecord, e.type, position);
}

// Level-3 dump of bytes, one line each, numbered from 0.
void DumpBytes(ConversionContext& cx, const uint8_t* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i) Say(cx, 3, kMsgDumpByte, static_cast<int>(i), bytes[i]);
}

// A refused R00 record: its status and position, and at level 3 its bytes and
// the 256 input bytes after them.
void OnProblem(void* user, const d01ozu::ProblemEvent& e) {
  ConversionContext& cx = Context(user);
  if (e.form != d01ozu::InputFormat::kR00) return;
  if (cx.verbose >= 2) {
    Say(cx, 2, kMsgStatus, static_cast<int>(e.status));
    Say(cx, 2, kMsgProblemStart, static_cast<unsigned>(e.position));
  }
  if (cx.verbose < 3) return;
  DumpBytes(cx, e.bytes, e.size);
  SayText(cx, 3, " ");
  Say(cx, 3, kMsgNextBytes);
  SayText(cx, 3, " ");
  DumpBytes(cx, e.bytes + e.size, 256);
  SayText(cx, 3, " ");
}

void OnResync(void* user, const d01ozu::ResyncEvent& e) {
  ConversionContext& cx = Context(user);
  if (cx.verbose >= 2) Say(cx, 2, kMsgFixup, static_cast<unsigned>(e.search_start));
  if (!e.found || cx.verbose < 3) return;
  Say(cx, 3, kMsgSearchStart, static_cast<unsigned>(e.search_start));
  Say(cx, 3, kMsgResync, static_cast<unsigned>(e.found_at));
  Say(cx, 3, kMsgLostBytes, static_cast<unsigned long>(e.lost_bytes));
  SayText(cx, 3, " ");
}

// Progress through the installed sink, which may ask for an abort.
bool OnProgress(void* user, int percent) {
  ConversionContext& cx = Context(user);
  uint8_t abort = 0;
  if (cx.progress_sink)
    cx.progress_sink(&abort, static_cast<uint16_t>(percent), nullptr, &cx.verbose);
  return abort == 0;
}

void OnQuickSummary(void*, const char* text) {
  std::fputs(text, stdout);
}

// The run's station and session names from the output base name: its first
// four characters and the four after them.
void RunNames(const ConversionContext& cx, d01ozu::Options& o) {
  char name[kPathSize] = {};
  const size_t start = NamePartOffset(cx.output_name);
  if (cx.extension_pos > start) std::memcpy(name, cx.output_name + start, cx.extension_pos - start);
  if (std::strlen(name) > kStationLength) {
    o.session_name.assign(name + kStationLength,
                          std::min(std::strlen(name + kStationLength), kStationLength));
    name[kStationLength] = '\0';
  }
  o.station_name = name;
}

// The output path with extension, when the output is wanted.
std::string OutputPath(ConversionContext& cx, int16_t wanted, const char* extension) {
  if (!wanted) return std::string();
  FormOutputName(cx, extension);
  return cx.output_name;
}

d01ozu::Options LibraryOptions(ConversionContext& cx) {
  d01ozu::Options o;
  o.dat_path = OutputPath(cx, cx.produce_dat, cx.dat_extension);
  o.dat_extension = cx.dat_extension;
  for (const NamedOutput& named : kNamedOutputs)
    o.*named.path = OutputPath(cx, cx.*named.wanted, named.extension);
  if (cx.produce_summary)
    o.summary_path = cx.summary_given ? cx.summary_name : OutputPath(cx, 1, ".txt");
  o.format = static_cast<d01ozu::InputFormat>(cx.format);
  o.threads = 2;  // block decompression or su decoding ahead of the records
  o.inputs_have_header = cx.header_flag != 0;
  o.inputs_have_ephemerides = cx.eph_flag != 0;
  o.inputs_have_ion = cx.ion_flag != 0;
  o.ignore_checksum = cx.ignore_checksum != 0;
  o.fixup = cx.fixup != 0;
  o.serial_fix_mode = cx.serial_fix_mode;
  o.mode_27_17 = cx.mode_27_17;
  o.l2_preference = cx.l2_preference;
  o.type27_flag = cx.type27_flag != 0;
  o.quick_mode = cx.quick_mode;
  o.record_filter = cx.record_filter;
  o.update_name_mode = cx.update_name_mode;
  o.gps_week = cx.gps_week;
  o.nav_version = cx.nav_version;
  o.sig_version = cx.sig_version;
  RunNames(cx, o);
  return o;
}

d01ozu::Events ConsoleEvents(ConversionContext& cx) {
  d01ozu::Events e;
  e.user = &cx;
  e.output_opened = OnOutputOpened;
  e.input_started = OnInputStarted;
  e.record = OnRecord;
  e.problem = OnProblem;
  e.resync = OnResync;
  e.progress = OnProgress;
  e.quick_summary = OnQuickSummary;
  return e;
}

// The run's counts and status, and at level 2 the text of a status that is not 0.
void ReportEnd(ConversionContext& cx, StatusCode status) {
  if (cx.verbose >= 1) {
    Say(cx, 1, kMsgRecords, static_cast<long>(cx.record_count));
    Say(cx, 1, kMsgStatus, static_cast<int>(status));
    if (cx.checksum_errors > 0)
      Say(cx, 1, kMsgChecksumCount, static_cast<unsigned long>(cx.checksum_errors));
    if (cx.lost_bytes > 0) Say(cx, 1, kMsgTotalLost, static_cast<unsigned long>(cx.lost_bytes));
  }
  if (cx.verbose >= 2 && status != d01ozu::kStatusOk) PrintError(cx, status);
}

}  // namespace

StatusCode RunConversion(ConversionContext& cx) {
  if (cx.verbose >= 1) {
    char library[16];
    LibraryVersionText(library, sizeof library);
    Say(cx, 1, kMsgBanner, kProgramVersion);
    Say(cx, 1, kMsgLibrary, library);
  }
  std::unique_ptr<d01ozu::Converter> converter =
      d01ozu::Converter::Create(LibraryOptions(cx), ConsoleEvents(cx));
  if (!converter) return d01ozu::kStatusNoMemory;
  for (int i = 0; i < kMaxInputs && cx.inputs[i][0]; ++i)
    (void)converter->AddInputFile(cx.inputs[i]);
  const StatusCode status = static_cast<StatusCode>(converter->Run());
  const d01ozu::Counters counters = converter->counters();
  cx.record_count = counters.records;
  cx.checksum_errors = counters.checksum_errors;
  cx.lost_bytes = counters.lost_bytes;
  ReportEnd(cx, status);
  return status;
}

}  // namespace rawsplit
