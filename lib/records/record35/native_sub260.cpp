#include "records/record35/native_sub260.h"

namespace d01ozu {

namespace {

// The top-level fields of subtype 260 in schema order.
enum : int { kTime, kNa, kNaNa, kFlags, kMPHat, kCCFiltCount, kCCDiff, kFieldCount };

const Value& field(const IntermediateRecord& in, int index) {
  return in.root.items.d[index];
}

bool overrun(uint8_t* error) {
  *error = kRec35ArrayOverrun;
  return false;
}

// The columns all hold total entries, and the counts add up to it.
bool columns_agree(const IntermediateRecord& in, uint64_t satellites) {
  const Value& counts = field(in, kNaNa);
  if (counts.items.length != satellites) return false;
  uint64_t total = 0;
  for (uint64_t i = 0; i < satellites; ++i) {
    const uint64_t n = static_cast<uint64_t>(counts.items.d[i].l);
    if (n > field(in, kFlags).items.length - total) return false;
    total += n;
  }
  for (int f = kFlags; f <= kCCDiff; ++f)
    if (field(in, f).items.length != total) return false;
  return true;
}

}  // namespace

bool BuildSub260Native(const IntermediateRecord& in, Sub260Native* n, uint8_t* error) {
  if (in.root.items.length != kFieldCount) return overrun(error);
  const uint64_t satellites = static_cast<uint64_t>(field(in, kNa).l);
  if (!columns_agree(in, satellites)) return overrun(error);
  n->version = in.version;
  n->receiveTime = field(in, kTime).l;
  if (!n->sv.reserve(satellites, error)) return false;
  n->sv.length = satellites;
  uint64_t next = 0;
  for (uint64_t i = 0; i < satellites; ++i) {
    const uint64_t count = static_cast<uint64_t>(field(in, kNaNa).items.d[i].l);
    DynArray<Sub260Measurement>& meas = n->sv.d[i].meas;
    if (!meas.reserve(count, error)) return false;
    meas.length = count;
    for (uint64_t j = 0; j < count; ++j, ++next)
      meas.d[j] = {field(in, kFlags).items.d[next].l, field(in, kMPHat).items.d[next].l,
                   field(in, kCCFiltCount).items.d[next].l, field(in, kCCDiff).items.d[next].l};
  }
  return true;
}

}  // namespace d01ozu
