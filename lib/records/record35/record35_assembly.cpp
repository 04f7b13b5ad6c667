#include "records/record35/record35_assembly.h"

#include "core/byte_cursor.h"
#include "core/diagnostics.h"
#include "records/record35/record35_content.h"
#include "records/record35/subtype_state.h"

namespace d01ozu {

namespace {

// Frame layout of a record-35 page.
constexpr size_t kLengthLowOffset = 1;
constexpr size_t kLengthHighOffset = 3;
constexpr size_t kIdsOffset = 4;
constexpr size_t kTrailerSize = 3;  // check value and end byte
constexpr int kVarintBytes = 10;

struct Page {
  uint8_t code;
  uint64_t subtype;
  uint64_t subsubtype;
  const uint8_t* part;
  size_t part_length;
};

// An unsigned little-endian base-128 number of at most ten bytes.
uint64_t read_varint(ByteCursor& in) {
  uint64_t v = 0;
  for (int i = 0; i < kVarintBytes; ++i) {
    const uint8_t b = in.u8();
    v |= static_cast<uint64_t>(b & 0x7F) << (7 * i);
    if (!(b & 0x80)) return v;
  }
  return v;
}

// The page's 12-bit length, code, ids and body part; a part that does not
// lie within the frame is empty.
Page read_page(const uint8_t* frame, uint16_t length) {
  ByteCursor in(frame, length);
  in.seek(kLengthLowOffset);
  const uint8_t low = in.u8();
  in.seek(kLengthHighOffset);
  const uint8_t high = in.u8();
  Page page{static_cast<uint8_t>((high >> 4) & 3), 0, 0, nullptr, 0};
  const size_t total = low | (high & 0x0F) << 8;
  in.seek(kIdsOffset);
  page.subtype = read_varint(in);
  page.subsubtype = read_varint(in);
  const size_t start = in.position();
  if (in.ok() && total <= length && total >= start + kTrailerSize) {
    page.part = frame + start;
    page.part_length = total - kTrailerSize - start;
  }
  return page;
}

void store_ids(Record35Content& content, const Page& page, Record35Assembly& a) {
  content.subtype = page.subtype;
  content.subsubtype = page.subsubtype;
  a.body.length = 0;
}

// A page dropped for want of room is dropped without an error.
void append_part(Record35Assembly& a, const Page& page) {
  if (a.body.length + page.part_length > kRecord35BodyLimit) return;
  a.body.append(page.part, page.part_length);
}

// The decision table: by the collecting flag and the page code. Returns the
// error of this page (0 or 18).
uint8_t take_page(Record35Assembly& a, Record35Content& content, const Page& page) {
  const bool was_collecting = a.collecting;
  if (page.code == kPageWhole || page.code == kPageFirst || !was_collecting) {
    store_ids(content, page, a);
    const bool appended = page.code == kPageWhole || page.code == kPageFirst;
    if (appended) append_part(a, page);
    a.collecting = page.code == kPageFirst;
    return was_collecting || !appended ? kRec35PageSequence : 0;
  }
  if (page.subtype != content.subtype || page.subsubtype != content.subsubtype) {
    a.body.length = 0;
    a.collecting = false;
    return kRec35PageSequence;
  }
  append_part(a, page);
  a.collecting = page.code == kPageMiddle;
  return 0;
}

// A non-35 record while a record 35 is open.
int end_incomplete(Record35Assembly& a, int type, ReaderStatus* status) {
  diagnostic(Record35Sink(a), "Incomplete record 35. Dump partial record.\n");
  a.open = false;
  a.body.length = 0;
  if (type == kNoRecordType) return type;
  *status = kRec35PageSequence;
  MarkAllAwaitKey(a);
  return type;
}

}  // namespace

int AssembleRecord35(Record35Assembly& a, Record35Content* content, const uint8_t* frame,
                     uint16_t length, int type, ReaderStatus* status) {
  if (type == 0 || (type != kRecord35Type && !a.open)) return type;
  if (!content) {
    *status = kRec35NoMemory;
    MarkAllAwaitKey(a);
    return -1;
  }
  if (type != kRecord35Type) return end_incomplete(a, type, status);
  if (!a.open) a.collecting = false;
  a.open = true;
  const Page page = read_page(frame, length);
  const uint8_t error = take_page(a, *content, page);
  if (page.code == kPageWhole || page.code == kPageLast) a.open = false;
  if (a.body.length == 0) {
    *status = error ? error : uint8_t{kRec35EmptyBody};
    MarkAllAwaitKey(a);
    return -1;
  }
  if (error) {
    *status = error;
    MarkAllAwaitKey(a);
  }
  return a.open ? 0 : kRecord35Type;
}

const DiagnosticSink& Record35Sink(const Record35Assembly& a) {
  static const DiagnosticSink kUnset;
  return a.diagnostics ? *a.diagnostics : kUnset;
}

void MarkAllAwaitKey(Record35Assembly& a) {
  for (SubtypeStatePtr& state : a.states)
    if (state) state->await_key = true;
}

void ResetRecord35Assembly(Record35Assembly& a) {
  a.body.length = 0;
  a.collecting = false;
  a.open = false;
  for (SubtypeStatePtr& state : a.states)
    if (state) ResetSubtypeState(*state);
}

}  // namespace d01ozu
