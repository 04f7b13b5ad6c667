// The R00 record source: one framed record per step, checked and handed to
// the processor; a refused record is dropped (-c), passed (-f, out of
// sequence) or followed by a search for the next sound record (-f).
#include <cstring>

#include "core/frame_rules.h"
#include "run/run_state.h"

namespace d01ozu {
namespace {

constexpr size_t kFramePrefixSize = 3;  // STX, length, type

// Reports a refused record: its bytes and, when anyone listens, the input
// bytes after it (the stream is put back to next_pos).
void ReportProblem(Converter::State& s, size_t size, bool resynchronising) {
  if (!s.events.problem) return;
  uint8_t* following = s.record + size;
  std::memset(following, 0, kDumpFollowingBytes);
  s.input.read(following, kDumpFollowingBytes);
  s.input.seek(s.next_pos);
  const ProblemEvent e{InputFormat::kR00,
                       static_cast<Status>(s.status),
                       s.current_pos,
                       s.record,
                       size,
                       resynchronising,
                       0};
  s.events.problem(s.events.user, e);
}

// Searches for the next sound record after damage at the current position.
// Returns true when one was found (and processed); else the status is set.
bool Resynchronise(Converter::State& s) {
  s.next_pos = s.current_pos;
  s.status = resync_to_record(s.input, s.current_pos, *s.processor, s.handle.get(),
                              s.counters.checksum_errors);
  const bool found = s.status == kStatusOk;
  const uint32_t lost = found ? s.current_pos - s.next_pos : 0;
  if (s.events.resync)
    s.events.resync(s.events.user, ResyncEvent{s.next_pos, found, s.current_pos, lost});
  if (!found) return false;
  s.counters.lost_bytes += static_cast<int32_t>(lost);
  ++s.counters.records;
  return true;
}

// A record that check_frame refused: drop it (-c), pass it (-f, out of
// sequence) or resynchronise (-f). Returns true to read on.
bool HandleRecordError(Converter::State& s, size_t size) {
  s.remembered = s.status;
  const bool drop = s.status == kStatusBadChecksum && s.options.ignore_checksum;
  const bool pass = s.status == kStatusOutOfSequence && s.options.fixup;
  const bool search = !drop && !pass && s.status != kStatusDiskFull && s.options.fixup;
  ReportProblem(s, size, search);
  if (drop) {
    s.status = kStatusOk;
    ++s.counters.checksum_errors;
    s.counters.lost_bytes += static_cast<int32_t>(s.next_pos - s.current_pos);
    return true;
  }
  if (pass) {
    s.status = kStatusOk;
    return true;
  }
  return search && Resynchronise(s);
}

// No STX where a record should start, or a length that leaves no data.
// Without -f this ends the run with 11; with -f the source resynchronises.
bool HandleMissingRecord(Converter::State& s) {
  s.remembered = kStatusNoStx;
  if (!s.options.fixup) {
    s.status = kStatusNoStx;
    return false;
  }
  s.status = kStatusNoStx;
  s.next_pos = static_cast<uint32_t>(s.input.tell());
  ReportProblem(s, kFramePrefixSize, true);
  s.status = kStatusOk;
  return Resynchronise(s);
}

}  // namespace

bool R00Step(Converter::State& s) {
  uint8_t* record = s.record;
  if (s.input.read(record, kFramePrefixSize) < kFramePrefixSize) return false;
  const int data_length =
      legacy_frame_length(record[1], record[2]) - static_cast<int>(kFramePrefixSize);
  const size_t wanted = data_length > 0 ? static_cast<size_t>(data_length) : 0;
  if (record[0] != kStx || wanted == 0) return HandleMissingRecord(s);
  if (s.input.read(record + kFramePrefixSize, wanted) < wanted) return false;
  s.next_pos = static_cast<uint32_t>(s.input.tell());
  const size_t size = kFramePrefixSize + wanted;
  s.status = check_frame(*s.processor, s.handle.get(), record, size);
  if (s.status != kStatusOk) return HandleRecordError(s, size);
  ++s.counters.records;
  ReportRecord(s, true, record[2], s.current_pos, record[2], static_cast<uint32_t>(size),
               !legacy_frame_unchecked(record[2]));
  return true;
}

}  // namespace d01ozu
