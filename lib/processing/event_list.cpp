#include "processing/event_list.h"

#include <cstring>

#include "core/byte_cursor.h"
#include "core/frame_fields.h"

namespace d01ozu {

bool add_event(EventList& list, const uint8_t* frame, size_t length) {
  ByteCursor in = frame_fields(frame, length, 3);
  EventEntry e{};
  e.sub_code = in.u8();
  e.word = in.be16();
  e.time_long = in.be32();
  if (!in.ok()) return false;
  if (e.sub_code == 3) {
    while (in.has(1) && e.text_length < kEventTextMax) {
      char c = static_cast<char>(in.u8());
      if (c == '\0') break;
      e.text[e.text_length++] = c;
    }
  } else {
    while (in.has(2) && e.word_count < 4) e.words[e.word_count++] = in.be16();
  }
  if (e.sub_code == 1)
    for (int i = 0; i < list.count; ++i) list.entries[i].closed = true;
  if (list.count < kEventCapacity) list.entries[list.count++] = e;
  return true;
}

double event_time(const EventEntry& e, const EpochClock& clock) {
  if (e.sub_code != 0) return e.time_long;
  double receiver = e.time_long + e.words[0] / 65536.0;
  double offset = 0;
  if (clock.known >= 2 && clock.time[1] != clock.time[0]) {
    double slope = (clock.clock[1] - clock.clock[0]) / (clock.time[1] - clock.time[0]);
    offset = clock.clock[0] + slope * (receiver - clock.time[0]);
  } else if (clock.known >= 1) {
    offset = clock.clock[1];
  }
  return receiver - offset;
}

size_t build_event_record(const EventEntry& e, double t, uint8_t* out, size_t capacity) {
  ByteWriter w(out, capacity);
  const bool text = e.sub_code == 3;
  // The length byte counts the whole record; the text is cut to fit it.
  const size_t text_length = e.text_length > 248 ? 248 : e.text_length;
  const size_t length = text ? text_length + 7 : 14;
  w.u8(0x74);
  w.u8(static_cast<uint8_t>(length));
  w.u8(e.sub_code);
  w.u8(19);
  w.le16(e.word);
  if (text) {
    w.bytes(e.text, text_length);
    w.u8(0);
  } else {
    w.f64(t);
  }
  return w.ok() ? length : 0;
}

}  // namespace d01ozu
