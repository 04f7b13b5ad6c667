#include "processing/epochs.h"

#include <cstring>

#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "output/dat_fields.h"
#include "output/dat_writer.h"
#include "processing/record_processor.h"
#include "records/type17_entry_layout.h"

namespace d01ozu {
namespace {

using namespace field;

constexpr double kWeekMs = 3.024e8;      // 302400 seconds
constexpr double kStepBackMs = 15000.0;  // type-17 step back still accepted
constexpr double kMetresToMs = 3.335640952e-6;

// Type-7 part from frame byte 4; parts of 106 and 122 bytes add fields.
constexpr FieldOp kType7Fields[] = {words(2),   zeros(4), s32(-9),  u32(-7),  u32(0), u16(-18),
                                    doubles(1), u32(0),   u32(-13), u32(-10), copy(6)};
constexpr FieldOp kType7Fields106[] = {u16(-18), u32(-10), u32(0)};
constexpr FieldOp kType7Fields122[] = {u32(0), doubles(1)};
// Image offsets of the type-7 part values read back for the epoch.
constexpr size_t kType7Clock = 12;      // first value
constexpr size_t kType7Third = 28;      // third value
constexpr size_t kType7Time = 52;       // sixth value: epoch time, ms
constexpr size_t kType7FifthByte = 80;  // fifth copied byte; bit 3 sets the time
constexpr size_t kType7Satellite = 81;  // sixth copied byte

constexpr size_t kEpochFirstEntry = 10;  // type-17 and type-102 frames
constexpr size_t kType102Entry = 34;
constexpr FieldOp kType102EntryFields[] = {copy(2), doubles(4)};

// Adds sv (not 0) to the satellites the current record names, up to 33.
void add_named_satellite(RecordProcessor& rp, uint8_t sv) {
  if (sv != 0 && rp.sv_list_count < 33) {
    rp.sv_list[rp.sv_list_count++] = sv;
    rp.sv_list[rp.sv_list_count] = 0;
  }
}

// Makes (time_ms, clock_ms) the latest of the two epochs kept for events.
void note_epoch_clock(EpochClock& c, double time_ms, double clock_ms) {
  c.time[0] = c.time[1];
  c.clock[0] = c.clock[1];
  c.time[1] = time_ms;
  c.clock[1] = clock_ms;
  if (c.known < 2) ++c.known;
}

// Turns the event list into event records before an epoch: once two epochs
// are known every entry is written now, or held back when its time lies after
// the latest epoch; before that only closed entries are written.
void write_events_before_epoch(RecordProcessor& rp) {
  EventList& list = rp.events;
  int kept = 0;
  for (int i = 0; i < list.count; ++i) {
    const EventEntry& e = list.entries[i];
    if (rp.clock.known < 2 && !e.closed) {
      list.entries[kept++] = e;
      continue;
    }
    const double t = event_time(e, rp.clock);
    if (!e.closed && t > rp.clock.time[1] && rp.held_events.count < kEventCapacity) {
      rp.held_times[rp.held_events.count] = t;
      rp.held_events.entries[rp.held_events.count++] = e;
      continue;
    }
    size_t n = build_event_record(e, t, rp.image, sizeof rp.image);
    dat_emit(rp, rp.image, n);
  }
  list.count = kept;
}

// Writes the event records held back for after the epoch, and forgets them.
void write_held_events(RecordProcessor& rp) {
  for (int i = 0; i < rp.held_events.count; ++i) {
    size_t n =
        build_event_record(rp.held_events.entries[i], rp.held_times[i], rp.image, sizeof rp.image);
    dat_emit(rp, rp.image, n);
  }
  rp.held_events.count = 0;
}

// The open, empty head of a type-17 or type-102 part from frame bytes 3 to
// 9 (the caller has checked they are there): the epoch time in ms without
// the more-parts bit (bit 7 of byte 3), and the 24-bit second value x 2^-19.
GatheredParts read_part_head(const uint8_t* frame) {
  GatheredParts head;
  head.open = true;
  head.time_ms = static_cast<double>(load_be(frame + 3, 4) & 0x7FFFFFFF);
  head.value2 = static_cast<double>(load_be_signed<3>(frame + 7)) * power_of_two(-19);
  return head;
}

// Records the epoch time T1 as the latest (and the first, for the run's first
// epoch) and derives the epoch weeks.
void record_epoch_time(RecordProcessor& rp, double t1) {
  ReceiverFacts& f = rp.facts;
  if (!f.first_epoch_seen) {
    f.first_epoch_seen = true;
    f.first_epoch_ms = t1;
  }
  f.latest_epoch_ms = t1;
  const uint16_t week = f.data_week_known ? f.data_gps_week : f.gps_week_option;
  f.first_epoch_week = week;
  f.latest_epoch_week =
      static_cast<uint16_t>(week + (f.first_epoch_ms - f.latest_epoch_ms > kWeekMs ? 1 : 0));
}

// Type-7 sequence: once the first epoch is known, a step back of less than a
// week or a step forward of more than a week is out of sequence.
StatusCode type7_sequence(RecordProcessor& rp, double t1) {
  StatusCode status = kStatusOk;
  if (rp.facts.first_epoch_seen) {
    const double t0 = rp.facts.latest_epoch_ms;
    if ((t0 > t1 && t0 - t1 < kWeekMs) || (t0 < t1 && t1 - t0 > kWeekMs))
      status = kStatusOutOfSequence;
  }
  record_epoch_time(rp, t1);
  return status;
}

// Type-17 sequence: a step back of more than 15 s but less than a week, or a
// step forward of more than a week, is out of sequence (the epoch has been
// written); a step back of 15 s or less is accepted.
StatusCode type17_sequence(RecordProcessor& rp, double t1) {
  StatusCode status = kStatusOk;
  if (rp.facts.first_epoch_seen) {
    const double t0 = rp.facts.latest_epoch_ms;
    if ((t0 > t1 && t0 - t1 > kStepBackMs && t0 - t1 < kWeekMs) || t1 - t0 > kWeekMs)
      status = kStatusOutOfSequence;
  }
  record_epoch_time(rp, t1);
  return status;
}

// The first of two statuses that is not 0.
StatusCode worse(StatusCode a, StatusCode b) {
  return a != kStatusOk ? a : b;
}

// Writes the gathered type-7 epoch with its events; 0, 15 or 19.
StatusCode write_type7_epoch(RecordProcessor& rp) {
  Type7Epoch& e = rp.epoch7;
  note_epoch_clock(rp.clock, e.time_ms, e.clock * kMetresToMs);
  write_events_before_epoch(rp);
  for (int i = 0; i < e.count; ++i) {
    dat_emit(rp, e.parts[i], e.part_length[i]);
    add_named_satellite(rp, e.parts[i][kType7Satellite]);
  }
  StatusCode status = type7_sequence(rp, e.time_ms);
  e.count = 0;
  write_held_events(rp);
  return worse(rp.write_failure, status);
}

}  // namespace

StatusCode handle_type7_part(RecordProcessor& rp, const uint8_t* frame, size_t length) {
  const size_t dat_length = length == 51 ? 82 : length == 61 ? 106 : length == 73 ? 122 : 0;
  Type7Epoch& e = rp.epoch7;
  if (dat_length == 0) return kStatusExpansion;
  if (e.count >= kType7PartCapacity) {
    e.count = 0;  // an epoch longer than the buffer is dropped
    return kStatusExpansion;
  }
  uint8_t* part = e.parts[e.count];
  ByteCursor in = frame_fields(frame, length, 4);
  ByteWriter w(part, kType7PartMax);
  w.seek(4);
  convert_fields(in, w, kType7Fields);
  if (dat_length >= 106) convert_fields(in, w, kType7Fields106);
  if (dat_length >= 122) convert_fields(in, w, kType7Fields122);
  if (!w.ok() || !in.ok()) return kStatusExpansion;
  part[0] = kDatStart;
  part[1] = static_cast<uint8_t>(dat_length);
  part[2] = frame[3];
  part[3] = 7;
  e.part_length[e.count] = static_cast<uint8_t>(dat_length);
  if (e.count == 0 || (load_le_double(part + kType7Third) != 0 && (part[kType7FifthByte] & 0x08))) {
    e.time_ms = load_le_double(part + kType7Time);
    e.clock = load_le_double(part + kType7Clock);
  }
  ++e.count;
  return frame[3] == 0 ? write_type7_epoch(rp) : StatusCode{kStatusOk};
}

namespace {

// The signed big-endian integer of W bytes at p times 2^k.
template <size_t W>
double scaled(const uint8_t* p, int k) {
  return static_cast<double>(load_be_signed<W>(p)) * power_of_two(k);
}

// DAT entry byte 3: 1 for receivers with NAV version 5.50 or later or type
// code 4 or more, plus 2 for type code 5 or more.
uint8_t entry_generation(const ReceiverFacts& f) {
  uint8_t v = (f.nav_version >= 550 || f.receiver_type >= 4) ? 1 : 0;
  return static_cast<uint8_t>(v + (f.receiver_type >= 5 ? 2 : 0));
}

// Converts one type-17 frame entry at p (20 bytes, 29 with flag bit 0, all
// present) into the DAT entry at out (48 bytes, 72 with the L2 values);
// returns the DAT size.
size_t convert_type17_entry(const uint8_t* p, uint8_t* out, uint8_t generation) {
  namespace at = type17_entry;
  const uint8_t sv = p[at::kSv], flags = p[at::kFlags1];
  out[0] = sv;
  out[1] = flags;
  out[2] = p[at::kFlags2];
  out[3] = generation;
  const uint16_t words[2] = {p[at::kWord4], static_cast<uint16_t>(2 * p[at::kWord6])};
  for (int i = 0; i < 2; ++i) {
    out[4 + 2 * i] = static_cast<uint8_t>(words[i]);
    out[5 + 2 * i] = static_cast<uint8_t>(words[i] >> 8);
  }
  const double range =
      static_cast<double>(load_be_unsigned<4>(p + at::kL1Range)) * power_of_two(-7);
  store_le_double(out + 8, p[at::kL1Strength] * power_of_two(-2));
  store_le_double(out + 16, sv >= 120 && sv <= 138 ? 2 * range : range);
  store_le_double(out + 24, scaled<6>(p + at::kL1Phase, -15));
  store_le_double(out + 32, scaled<3>(p + at::kL1Doppler, -6));
  store_le_double(out + 40, scaled<1>(p + at::kL1Last, -7));
  if (!(flags & at::kHasL2)) return kType17EntryDat;
  const bool fine = (flags & 0x20) != 0;
  store_le_double(out + 48, p[at::kL2Strength] * power_of_two(fine ? -2 : -5));
  store_le_double(out + 56, scaled<6>(p + at::kL2Phase, -15));
  store_le_double(out + 64, fine ? scaled<2>(p + at::kL2Range, -8) : 0.0);
  return kType17EntryDatL2;
}

// Frame bytes of a type-17 entry whose flag byte is at p[1]: 20, or 29.
size_t entry_frame_size(const uint8_t* p) {
  namespace at = type17_entry;
  return at::kL1Size + ((p[at::kFlags1] & at::kHasL2) ? at::kL2Size : 0);
}

// Counts the entries of a type-17 part; -1 when the bytes before the
// checksum do not divide into whole entries.
int count_type17_entries(const uint8_t* frame, size_t length) {
  int n = 0;
  size_t at = kEpochFirstEntry;
  while (at < length - 3) {
    at += entry_frame_size(frame + at);
    if (at > length - 3) return -1;
    ++n;
  }
  return n;
}

// Makes head the open type-17 epoch, still without entries.
void open_type17_epoch(Type17Epoch& e, const GatheredParts& head) {
  static_cast<GatheredParts&>(e) = head;
  e.open = true;
  e.count = 0;
  e.length = kType17HeaderDat;
}

// Writes the open type-17 epoch: the event records, the epoch (unless its
// time equals the latest epoch time), the sequence rule, the held-back events.
StatusCode write_type17_epoch(RecordProcessor& rp) {
  Type17Epoch& e = rp.epoch17;
  e.open = false;
  const double t1 = e.time_ms;
  if (rp.facts.first_epoch_seen && t1 == rp.facts.latest_epoch_ms) return kStatusOk;
  note_epoch_clock(rp.clock, t1, e.value2);
  write_events_before_epoch(rp);
  ByteWriter w(e.dat, kType17HeaderDat);
  w.u8(kDatStart);
  w.le16(static_cast<uint16_t>(e.length));
  w.u8(17);
  w.f64(t1);
  w.f64(e.value2);
  w.u8(static_cast<uint8_t>(e.count));
  dat_emit(rp, e.dat, e.length);
  StatusCode status = type17_sequence(rp, t1);
  write_held_events(rp);
  return worse(rp.write_failure, status);
}

}  // namespace

StatusCode handle_type17_part(RecordProcessor& rp, const uint8_t* frame, size_t length) {
  if (length < 13) return kStatusExpansion;
  const bool more = (frame[3] & 0x80) != 0;
  const int entries = count_type17_entries(frame, length);
  if (entries < 0) return kStatusExpansion;
  ByteCursor in = frame_fields(frame, length, kEpochFirstEntry);
  const GatheredParts head = read_part_head(frame);
  Type17Epoch& e = rp.epoch17;
  StatusCode status = kStatusOk;
  if (e.open && head.time_ms != e.time_ms) status = write_type17_epoch(rp);
  if (!e.open) open_type17_epoch(e, head);
  if (e.count + entries > kType17EntryCapacity) {
    e.open = false;  // an epoch longer than the buffer is dropped
    return kStatusExpansion;
  }
  const uint8_t generation = entry_generation(rp.facts);
  uint8_t* out = e.dat + e.length;  // room checked against the capacity above
  int converted = 0;
  for (; converted < entries; ++converted) {
    const uint8_t* p = in.take(entry_frame_size(in.here()));
    if (p == nullptr) break;  // not reached: the entries were counted within the frame
    out += convert_type17_entry(p, out, generation);
  }
  e.length = static_cast<size_t>(out - e.dat);
  e.count += converted;
  if (!more) status = worse(status, write_type17_epoch(rp));
  return status;
}

namespace {

// Without extended type 17 a container epoch keeps at most 12 entries: the
// satellite 32 entry goes, then the entry with the smallest signed word4
// until 12 remain. A dropped satellite is remembered; its next entry gets
// flag bit 1 (and bit 2 with the L2 values) and is forgotten. Fills keep with
// the indices of the entries that stay and marks with the flag bits each
// entry gains; returns how many stay.
int reduce_type17_entries(RecordProcessor& rp, const Type17Record& r, int count, uint8_t* keep,
                          uint8_t* marks) {
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const Type17Entry& x = r.entries[i];
    marks[i] = rp.dropped_sv[x.sv] ? ((x.flags1 & 0x01) ? 0x06 : 0x02) : 0;
    rp.dropped_sv[x.sv] = false;
    if (x.sv != 32) keep[n++] = static_cast<uint8_t>(i);
  }
  while (n > 12) {
    int lowest = 0;
    auto word = [&](int k) { return static_cast<int16_t>(r.entries[keep[k]].word4); };
    for (int k = 1; k < n; ++k)
      if (word(k) < word(lowest)) lowest = k;
    rp.dropped_sv[r.entries[keep[lowest]].sv] = true;
    std::memmove(keep + lowest, keep + lowest + 1, n - lowest - 1);
    --n;
  }
  return n;
}

// Appends the DAT entry of x, its flag byte with the extra bits, to e.
void append_type17_entry(Type17Epoch& e, const Type17Entry& x, uint8_t extra_flags) {
  ByteWriter w(e.dat + e.length, kType17EntryDatL2);
  for (uint8_t b : {x.sv, static_cast<uint8_t>(x.flags1 | extra_flags), x.flags2, x.flags3})
    w.u8(b);
  w.le16(x.word4);
  w.le16(x.word6);
  const int values = (x.flags1 & 0x01) ? 8 : 5;
  for (int v = 0; v < values; ++v) w.f64(x.values[v]);
  e.length += w.position();
  ++e.count;
}

}  // namespace

StatusCode handle_type17_record(RecordProcessor& rp, const Type17Record& r) {
  Type17Epoch& e = rp.epoch17;
  StatusCode status = e.open ? write_type17_epoch(rp) : StatusCode{kStatusOk};
  GatheredParts head;
  head.time_ms = r.receive_time;
  head.value2 = r.clock_offset;
  open_type17_epoch(e, head);
  const int count = r.count > kType17EntryCapacity ? kType17EntryCapacity : r.count;
  uint8_t keep[kType17EntryCapacity], marks[kType17EntryCapacity] = {};
  int kept = count;
  for (int i = 0; i < count; ++i) keep[i] = static_cast<uint8_t>(i);
  if (rp.options.type27_flag == 0) kept = reduce_type17_entries(rp, r, count, keep, marks);
  for (int k = 0; k < kept; ++k) append_type17_entry(e, r.entries[keep[k]], marks[keep[k]]);
  return worse(status, write_type17_epoch(rp));
}

namespace {

// The gathered type-102 record: 0x74, length word, 102, the two values, the
// entry count and the entries.
StatusCode write_type102_record(RecordProcessor& rp) {
  Type102Record& r = rp.rec102;
  r.open = false;
  ByteWriter w(rp.image, sizeof rp.image);
  const size_t n = kType17HeaderDat + kType102EntryDat * r.count;
  w.u8(kDatStart);
  w.le16(static_cast<uint16_t>(n));
  w.u8(102);
  w.f64(r.time_ms);
  w.f64(r.value2);
  w.u8(static_cast<uint8_t>(r.count));
  for (int i = 0; i < r.count; ++i) w.bytes(r.entries[i], kType102EntryDat);
  return dat_emit(rp, rp.image, n);
}

}  // namespace

StatusCode handle_type102_part(RecordProcessor& rp, const uint8_t* frame, size_t length) {
  if (length < 13 || (length - 13) % kType102Entry != 0) return kStatusExpansion;
  const bool more = (frame[3] & 0x80) != 0;
  const int entries = static_cast<int>((length - 13) / kType102Entry);
  ByteCursor in = frame_fields(frame, length, kEpochFirstEntry);
  Type102Record& r = rp.rec102;
  if (!r.open) static_cast<GatheredParts&>(r) = read_part_head(frame);
  if (r.count + entries > kType102EntryCapacity) {
    r.open = false;  // a record longer than the buffer is dropped
    return kStatusExpansion;
  }
  for (int i = 0; i < entries; ++i) {
    ByteWriter w(r.entries[r.count++], kType102EntryDat);
    convert_fields(in, w, kType102EntryFields);
  }
  return more ? StatusCode{kStatusOk} : write_type102_record(rp);
}

}  // namespace d01ozu
