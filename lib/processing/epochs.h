// Measurement epochs of the DAT stream: type-7 epochs gathered from their
// parts, type-17/117 epochs gathered from parts (or handed whole by the
// container path), and multi-part type-102 records. Writing an epoch applies
// the sequence rules and turns the event list into event records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/status_code.h"
#include "records/expanded_records.h"

namespace d01ozu {

struct RecordProcessor;

// Type-7 parts are 82, 106 or 122 DAT bytes (input frames of 51, 61, 73).
constexpr int kType7PartCapacity = 40;
constexpr size_t kType7PartMax = 122;
struct Type7Epoch {
  uint8_t parts[kType7PartCapacity][kType7PartMax];
  uint8_t part_length[kType7PartCapacity];
  int count = 0;
  double time_ms = 0;  // epoch time from the first part (or a later time-setting part)
  double clock = 0;    // clock value (first value of that part)
};

// Type-17 DAT entries: 48 bytes, 72 with the L2 values.
constexpr size_t kType17EntryDat = 48;
constexpr size_t kType17EntryDatL2 = 72;
constexpr size_t kType17HeaderDat = 21;
// A record gathered from parts (types 17/117 and 102): open while parts of
// it are arriving, its entry count so far, and the two values that open
// every part (the epoch time in ms and the second value, receiver clock ms).
struct GatheredParts {
  int count = 0;
  bool open = false;
  double time_ms = 0;
  double value2 = 0;
};

// The open type-17 epoch is gathered straight into its DAT image: the head
// (filled in when the epoch is written) and then the entries, length bytes.
struct Type17Epoch : GatheredParts {
  size_t length = kType17HeaderDat;
  uint8_t dat[kType17HeaderDat + kType17EntryCapacity * kType17EntryDatL2];
};

// Type 102: entries of 2 bytes and 4 doubles.
constexpr int kType102EntryCapacity = 64;
constexpr size_t kType102EntryDat = 34;
struct Type102Record : GatheredParts {
  uint8_t entries[kType102EntryCapacity][kType102EntryDat];
};

// Whole-frame handlers of the legacy path; length is the frame length.
StatusCode handle_type7_part(RecordProcessor& rp, const uint8_t* frame, size_t length);
StatusCode handle_type17_part(RecordProcessor& rp, const uint8_t* frame, size_t length);
StatusCode handle_type102_part(RecordProcessor& rp, const uint8_t* frame, size_t length);
// A whole type-17 epoch from the container path: reduced to 12 entries
// unless extended type 17 is allowed, then written.
StatusCode handle_type17_record(RecordProcessor& rp, const Type17Record& r);

}  // namespace d01ozu
