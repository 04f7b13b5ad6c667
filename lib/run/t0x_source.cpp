// The T0x record source: one raw record per step through the container
// reader and the dispatcher. Record errors are tolerated (the run ends with
// 29) unless more than ten follow at one input position; a full disk never is.
#include "records/raw_dispatcher.h"
#include "run/container_record.h"
#include "run/run_state.h"

namespace d01ozu {
namespace {

constexpr int kMaxRepeatsAtOnePosition = 10;

// A record error of the reader or the dispatcher, with its detail code.
void ReportProblem(Converter::State& s) {
  if (!s.events.problem) return;
  const ExpansionContext* c = s.handle->expansion.get();
  const ProblemEvent e{
      s.options.format,      static_cast<Status>(s.status), s.current_pos, nullptr, 0, false,
      c ? c->step_status : 0};
  s.events.problem(s.events.user, e);
}

// A tolerated record error: counted against the position it happened at.
// Returns false once too many came at one position.
bool TolerateError(Converter::State& s) {
  if (s.current_pos == s.last_error_pos) {
    if (++s.repeats > kMaxRepeatsAtOnePosition) return false;
  } else {
    s.last_error_pos = s.current_pos;
    s.repeats = 0;
  }
  if (s.remembered == kStatusOk) s.remembered = s.status;
  s.status = kStatusOk;
  return true;
}

}  // namespace

bool T0xStep(Converter::State& s) {
  RecordProcessor& rp = *s.processor;
  s.options.fixup = true;  // forced on while a T0x file is read
  const int32_t before = rp.record_count;
  s.status = ReadContainerRecord(*s.handle, rp, s.input, static_cast<FormatCode>(s.options.format));
  if (s.status == kStatusBadChecksum && s.options.ignore_checksum) {
    if (s.remembered == kStatusOk) s.remembered = s.status;
    s.status = kStatusOk;
    ++s.counters.checksum_errors;
  }
  if (s.status == kStatusQuickSummary) {
    const char* line = quick_summary_line(rp);
    if (line && s.events.quick_summary) s.events.quick_summary(s.events.user, line);
    return false;
  }
  if (s.status == kStatusDiskFull) return false;
  if (s.status != kStatusOk) ReportProblem(s);
  if (s.status != kStatusOk && !TolerateError(s)) return false;
  if (rp.record_count > s.counters.records) s.counters.records = rp.record_count;
  const bool delivered = rp.record_count != before;
  const ExpansionContext* c = s.handle->expansion.get();
  const int raw_type = delivered && c ? c->last_code : 0;
  const uint32_t length = delivered && c ? c->record.length : 0;
  const bool tested = delivered && c && RecordChecksumTested(*c);
  ReportRecord(s, delivered, rp.last_record_type, s.previous_record_pos, raw_type, length, tested);
  s.previous_record_pos = s.current_pos;
  return !s.input.eof();
}

}  // namespace d01ozu
