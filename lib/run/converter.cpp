// The public Converter: the run over every input, record by record, through
// the R00 or the T0x record source, with the outputs opened before the first
// record and written at close.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "core/byte_cursor.h"
#include "core/frame_rules.h"
#include "output/eph_ion.h"
#include "run/run_state.h"

namespace d01ozu {
namespace {

using State = Converter::State;

struct OutputStep {
  std::string Options::*path;
  OutputKind kind;
};

// The outputs in the order they are opened.
constexpr OutputStep kOutputSteps[] = {
    {&Options::dat_path, OutputKind::kDat}, {&Options::eph_path, OutputKind::kEph},
    {&Options::ion_path, OutputKind::kIon}, {&Options::mes_path, OutputKind::kMes},
    {&Options::app_path, OutputKind::kApp}, {&Options::summary_path, OutputKind::kSummary},
};

void Remember(State& s, StatusCode status) {
  s.status = status;
  if (status != kStatusOk) s.remembered = status;
}

// Processor options, the handle, then each requested output; stops opening
// at the first failure.
void OpenOutputs(State& s) {
  const Options& o = s.options;
  ProcessorOptions po;
  po.serial_fix_mode = o.serial_fix_mode;
  po.mode_27_17 = o.mode_27_17;
  po.l2_preference = o.l2_preference;
  po.type27_flag = o.type27_flag ? 1 : 0;
  po.quick_mode = o.quick_mode;
  SetProcessorOptions(*s.processor, po);
  Remember(s, OpenConversion(s.handle, *s.processor));
  if (s.handle) {
    SetUpdateNameMode(*s.handle, static_cast<uint16_t>(o.update_name_mode));
    SetQuickFlag(*s.handle, o.quick_mode != 0);
    SetDatExtension(*s.handle, o.dat_extension.c_str());
    for (const InputSpec& in : s.inputs)
      if (in.kind == InputSpec::Kind::kFile) ProtectInput(*s.handle, in.name.c_str());
    SetDiagnosticSink(*s.handle, DiagnosticSink{s.events.diagnostic, s.events.user});
  }
  for (const OutputStep& step : kOutputSteps) {
    const std::string& path = o.*step.path;
    if (s.status != kStatusOk || path.empty()) continue;
    const int kind = static_cast<int>(step.kind);
    Remember(s, OpenOutput(s.handle.get(), kind, path.c_str()));
    if (step.kind == OutputKind::kDat) AddRecordFilter(*s.processor, o.record_filter);
    if (s.events.output_opened)
      s.events.output_opened(s.events.user, step.kind, path.c_str(), static_cast<Status>(s.status));
  }
}

// Progress of the current input through the event; false from it aborts.
void Progress(State& s, uint16_t percent) {
  if (s.events.progress && !s.events.progress(s.events.user, percent)) s.abort = true;
}

uint16_t PercentRead(const State& s) {
  if (s.file_size == 0) return 0;
  return static_cast<uint16_t>(static_cast<double>(s.current_pos) / s.file_size * 100.0);
}

// The input's header when the inputs carry one; decides whether the initial
// blocks are read from this file.
void ReadInputHeader(State& s) {
  InputFormat kind = InputFormat::kUnknown;
  const StatusCode h = detect_input_header(&s.input, s.header_tail, kind);
  if (h != kStatusOk) Remember(s, h);
  s.eph_read = s.options.inputs_have_ephemerides;
  s.ion_read = s.options.inputs_have_ion;
  if (kind != InputFormat::kUnknown && kind != InputFormat::kR00) {
    s.eph_read = s.ion_read = false;
    s.input.seek(0);
  }
}

// Run facts of the first input: receiver type and versions from the header
// tail (the options override the versions), the run names and the week.
void ApplyFirstFileFacts(State& s) {
  OutputSet& h = *s.handle;
  ByteCursor tail(s.header_tail, sizeof s.header_tail);
  tail.seek(kTailReceiverType);
  const uint16_t receiver = tail.le16();
  const uint16_t nav = tail.le16();
  const uint16_t sig = tail.le16();
  SetReceiverType(h, receiver);
  SetVersions(h, s.options.nav_version ? s.options.nav_version : nav,
              s.options.sig_version ? s.options.sig_version : sig);
  SetStationNames(h, s.options.station_name.c_str(), s.options.session_name.c_str());
  SetGpsWeek(h, s.options.gps_week);
}

// The 32 initial ephemeris blocks and the ION/UTC block; absent blocks read
// as zeros. Only the first file's blocks are kept.
void ReadInitialBlocks(State& s, bool first) {
  OutputSet& h = *s.handle;
  uint8_t* block = s.record;
  for (int sv = 1; sv <= static_cast<int>(kEphSlotCount); ++sv) {
    std::memset(block, 0, kInitialEphBlockSize);
    if (s.eph_read) s.input.read(block, kInitialEphBlockSize);
    if (first) SetInitialEphemeris(h.eph, sv, block);
  }
  std::memset(block, 0, kInitialIonBlockSize);
  if (s.ion_read) s.input.read(block, kInitialIonBlockSize);
  if (first) SetInitialIonUtc(h.ion, block);
}

bool OpenInput(State& s, const InputSpec& in) {
  switch (in.kind) {
    case InputSpec::Kind::kFile:
      return s.input.open(in.name.c_str());
    case InputSpec::Kind::kBytes:
      s.input.open_bytes(in.data, static_cast<size_t>(in.size));
      return true;
    case InputSpec::Kind::kReader:
      s.input.open_reader(in.read, in.user, in.size);
      return s.input.is_open();
  }
  return false;
}

// A worker that decompresses the blocks (T02, T04) or decodes the su code
// (T01) of the current input ahead of the reader, over its own view of the
// input from where the records begin.
void StartReadAhead(State& s, const InputSpec& in) {
  const bool blocks =
      s.options.format == InputFormat::kT02 || s.options.format == InputFormat::kT04;
  const bool coded = s.options.format == InputFormat::kT01;
  if (s.options.threads < 2 || !(blocks || coded) || !s.handle->expansion) return;
  std::unique_ptr<InputStream> view(new (std::nothrow) InputStream);
  if (!view || (in.kind == InputSpec::Kind::kFile && !view->open(in.name.c_str()))) return;
  if (in.kind == InputSpec::Kind::kBytes) view->open_bytes(in.data, static_cast<size_t>(in.size));
  if (in.kind == InputSpec::Kind::kReader) return;  // the caller's callback is not shared
  if (coded) {
    s.su_ahead = SuAhead::Start(std::move(view), s.input.tell());
    s.handle->expansion->su_ahead = s.su_ahead.get();
    return;
  }
  s.ahead = BlockAhead::Start(std::move(view), s.input.tell(), s.options.threads);
  s.handle->expansion->ahead = s.ahead.get();
}

void StopReadAhead(State& s) {
  if (s.handle && s.handle->expansion) {
    s.handle->expansion->ahead = nullptr;
    s.handle->expansion->su_ahead = nullptr;
  }
  s.ahead.reset();
  s.su_ahead.reset();
}

// Opens the next input and reads its header and initial blocks; the phase
// becomes kInFile, or kFinished when the input cannot be opened.
void BeginFile(State& s) {
  const size_t index = s.next_input++;
  const InputSpec& in = s.inputs[index];
  if (s.events.input_started)
    s.events.input_started(s.events.user, static_cast<int>(index), in.name.c_str());
  if (!OpenInput(s, in)) {
    Remember(s, kStatusNoInput);
    s.phase = RunPhase::kFinished;
    return;
  }
  s.file_size = static_cast<uint32_t>(s.input.size());
  s.previous_record_pos = 0;
  if (s.options.inputs_have_header) ReadInputHeader(s);
  if (ResetContainerReader(*s.handle) != kStatusOk && s.status == kStatusOk)
    Remember(s, kStatusNoMemory);
  if (index == 0 && s.status == kStatusOk) ApplyFirstFileFacts(s);
  if (s.status == kStatusOk) ReadInitialBlocks(s, index == 0);
  if (s.status == kStatusOk) StartReadAhead(s, in);
  Progress(s, 0);
  s.phase = RunPhase::kInFile;
}

// Closes the current input; the run goes on with the next one while the
// status allows.
void EndFile(State& s) {
  StopReadAhead(s);
  s.input.close();
  if (!s.abort && s.status == kStatusOk) Progress(s, 100);
  if (s.options.format >= InputFormat::kT01 && s.options.format <= InputFormat::kT04)
    s.counters.records = s.processor->record_count;
  const bool more = s.status == kStatusOk && s.next_input < s.inputs.size();
  s.phase = more ? RunPhase::kBetweenFiles : RunPhase::kFinished;
}

// One record of the current input, through the source of the run's format.
// False when the file's record loop ends.
bool RecordStep(State& s) {
  if (s.options.dat_path.empty() || s.status != kStatusOk || s.abort) return false;
  s.current_pos = static_cast<uint32_t>(s.input.tell());
  Progress(s, PercentRead(s));
  return ContainerFormat(s.options.format) ? T0xStep(s) : R00Step(s);
}

Status AddInput(State& s, InputSpec in) {
  if (s.phase != RunPhase::kCreated) return Status::kNotOpened;
  s.inputs.push_back(std::move(in));
  return Status::kOk;
}

}  // namespace

void ReportRecord(State& s, bool delivered, int type, uint64_t position, int raw_type,
                  uint32_t length, bool checksum_tested) {
  if (!s.events.record) return;
  const bool timed = RecordHasTime(type);
  RecordEvent e{};
  e.form = s.options.format;
  e.delivered = delivered;
  e.type = type;
  e.position = position;
  e.offset = s.current_pos;
  e.has_time = timed;
  e.time_seconds = timed ? ProcessorTimeSeconds(*s.processor) : 0.0;
  e.raw_type = raw_type;
  e.length = length;
  e.checksum_tested = checksum_tested;
  s.events.record(s.events.user, e);
}

std::unique_ptr<Converter> Converter::Create(const Options& options, const Events& events) {
  std::unique_ptr<State> state(new (std::nothrow) State());
  if (!state) return nullptr;
  state->processor.reset(new (std::nothrow) RecordProcessor());
  if (!state->processor) return nullptr;
  state->options = options;
  state->events = events;
  return std::unique_ptr<Converter>(new (std::nothrow) Converter(std::move(state)));
}

Converter::Converter(std::unique_ptr<State> state) : state_(std::move(state)) {}
Converter::~Converter() = default;

Status Converter::AddInputFile(const char* path) {
  InputSpec in{InputSpec::Kind::kFile, path ? path : ""};
  return AddInput(*state_, std::move(in));
}

Status Converter::AddInputBytes(const uint8_t* data, size_t size, const char* name) {
  InputSpec in{InputSpec::Kind::kBytes, name ? name : ""};
  in.data = data;
  in.size = size;
  return AddInput(*state_, std::move(in));
}

Status Converter::AddInputReader(ReadAt read, void* user, uint64_t size, const char* name) {
  InputSpec in{InputSpec::Kind::kReader, name ? name : ""};
  in.read = read;
  in.user = user;
  in.size = size;
  return AddInput(*state_, std::move(in));
}

Status Converter::Open() {
  State& s = *state_;
  if (s.phase == RunPhase::kCreated) {
    OpenOutputs(s);
    s.phase =
        s.status == kStatusOk && !s.inputs.empty() ? RunPhase::kBetweenFiles : RunPhase::kFinished;
  }
  return static_cast<Status>(s.status);
}

Status Converter::Step(bool* finished) {
  State& s = *state_;
  if (s.phase == RunPhase::kCreated) (void)Open();
  while (s.phase == RunPhase::kBetweenFiles || s.phase == RunPhase::kInFile) {
    if (s.phase == RunPhase::kBetweenFiles) BeginFile(s);
    if (s.phase != RunPhase::kInFile) break;
    if (RecordStep(s)) break;
    EndFile(s);
  }
  if (finished) *finished = s.phase != RunPhase::kBetweenFiles && s.phase != RunPhase::kInFile;
  return static_cast<Status>(s.status);
}

Status Converter::Run() {
  bool finished = false;
  while (!finished) (void)Step(&finished);
  return Close();
}

Status Converter::Close() {
  State& s = *state_;
  if (s.phase == RunPhase::kClosed) return static_cast<Status>(s.status);
  StopReadAhead(s);
  if (s.phase == RunPhase::kInFile) s.input.close();
  if (s.handle) {
    const StatusCode close = CloseConversion(s.handle);
    if (s.status == kStatusOk) s.status = close;
  }
  if (s.abort)
    s.status = kStatusAborted;
  else if (s.status == kStatusOk && s.remembered != kStatusOk)
    s.status = kStatusErrorsTolerated;
  s.phase = RunPhase::kClosed;
  return static_cast<Status>(s.status);
}

Counters Converter::counters() const {
  return state_->counters;
}

}  // namespace d01ozu
