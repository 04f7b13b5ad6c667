// Session facts of the report: the pending and reported session blocks and
// the per-index tracking table, filled from session, setup, position and
// tracking records.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

constexpr size_t kSessionBlockSize = 1584;

struct SessionFacts {
  uint8_t reported[kSessionBlockSize] = {};
  uint8_t pending[kSessionBlockSize] = {};
  bool pending_valid = false;
  bool tracking_seen = false;
};

// Each decoder takes the whole legacy frame (STX first) and its length;
// fields beyond the frame read as 0, never past it.
void decode_session_record(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts);
void decode_session_setup(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts);
void decode_position_record(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts);
void decode_tracking_record(SessionFacts& s, const uint8_t* frame, size_t size);
// Merges the pending block into the reported session (at close).
void merge_pending_session(SessionFacts& s);

}  // namespace d01ozu
