// The run's list of type-19 events (sub-codes 0 to 4). Events wait in the
// list until a measurement epoch is written; then each becomes a type-19
// event record, written before the epoch, or held back and written after it
// when its time lies after the epoch.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

constexpr int kEventCapacity = 32;
constexpr size_t kEventTextMax = 255;

// Type-19 input fields: byte 3 sub-code, bytes 4-5 a word, bytes 6-9 a long
// (the event time, milliseconds of the receiver clock), then further words up
// to the checksum; sub-code 3 carries a text there instead, ending early at a
// NUL. For sub-code 0 the first further word is the sub-millisecond part of
// the time in units of 2^-16 ms.
struct EventEntry {
  uint8_t sub_code;
  bool closed;  // a later sub-code-1 event closed it: written at the next epoch as it is
  uint16_t word;
  uint32_t time_long;
  uint16_t words[4];
  uint8_t word_count;
  uint8_t text_length;
  char text[kEventTextMax + 1];
};

struct EventList {
  EventEntry entries[kEventCapacity];
  int count = 0;
};

// The two most recent epochs: times (ms) and receiver clock values (ms);
// index 1 is the latest.
struct EpochClock {
  double time[2] = {};
  double clock[2] = {};
  int known = 0;
};

// Appends the event of a type-19 frame (sub-code 0 to 4) of length bytes.
// False when the frame is too short for its fields; a full list drops the
// event. Sub-code 1 first closes every earlier entry.
bool add_event(EventList& list, const uint8_t* frame, size_t length);

// The event time in milliseconds of week. Sub-code 0 reads the receiver time
// and removes the receiver clock interpolated between the two epochs; the
// others take the long as it is.
double event_time(const EventEntry& e, const EpochClock& clock);

// The DAT event record of e at time t: 14 bytes (0x74, 14, sub-code, 19, the
// word, the time as a double), or for sub-code 3 the text record (0x74,
// text length + 7, 3, 19, the word, the text and a NUL). Returns its length.
size_t build_event_record(const EventEntry& e, double t, uint8_t* out, size_t capacity);

}  // namespace d01ozu
