#include "records/type17_converter.h"

#include <cstring>

#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "output/dat_fields.h"
#include "records/type17_entry_layout.h"

namespace d01ozu {

namespace {

// Entry values: L1 strength, pseudorange, phase, doppler, 0; L2 strength,
// phase, pseudorange minus L1's; 0.
enum : int { kL1Strength, kL1Range, kL1Phase, kL1Doppler, kL2Strength = 5, kL2Phase, kL2Range };

constexpr size_t kHeaderLength = 21, kEntryLength = 8, kL1Length = 40, kL2Length = 24;
constexpr uint8_t kFlags3 = 0x03;
constexpr uint8_t kDopplerPresent = 0x04;  // type-27 measurement flags bit 2
constexpr uint8_t kNoDoppler = 0x80;       // type-17 flags 2 bit 7
constexpr uint8_t kHasL1 = 0x40;           // type-17 flags 1 bit 6
constexpr uint8_t kHasL2 = 0x01;           // type-17 flags 1 bit 0

void write_header(uint8_t header[4], size_t n) {
  header[0] = kDatStart;
  header[1] = static_cast<uint8_t>(n);
  header[2] = static_cast<uint8_t>(n >> 8);
  header[3] = 17;
}

// The L1 block's values and the flags it sets.
void take_l1(Type17Entry& e, const Type27Satellite& s, const Type27Block& b) {
  e.values[kL1Strength] = b.strength / 10.0;
  e.values[kL1Range] = b.pseudorange;
  e.values[kL1Phase] = b.phase;
  e.flags1 |= 0xC0;
  if (b.flags & 0x08) e.flags1 |= 0x02;
  if (b.flags & 0x40) e.flags1 |= 0x08;
  if (b.flags & 0x20) e.flags1 |= 0x10;
  if (s.flags & 0x04) e.flags2 |= 0x08;
  if (b.track_type == 0) e.flags2 &= ~0x01;
  if (b.track_type == 1) e.flags2 |= 0x01;
  const bool doppler = (b.flags & kDopplerPresent) != 0;
  if (!doppler) e.flags2 |= kNoDoppler;
  e.values[kL1Doppler] = doppler ? b.doppler : 0.0;
}

// An L2 block that may become the entry's L2 values.
struct L2Candidate {
  bool present;
  uint8_t flags1, flags2;
  double strength, phase, range_difference;
};

// Flags 2 of the entry as an L2 signal of this track type leaves them.
uint8_t l2_flags2(uint8_t flags2, int track_type) {
  switch (track_type) {
    case 0:
      return flags2 & ~0x02;
    case 2:
      return (flags2 & ~0x02) | 0x04;
    case 1:
      return flags2 | 0x02;
    case 9:
      return flags2 | 0x06;
    case 3:
    case 4:
    case 5:
      return flags2 & ~0x04;
    default:
      return flags2;
  }
}

L2Candidate l2_candidate(const Type17Entry& e, const Type27Block& b) {
  L2Candidate c;
  c.present = true;
  c.flags1 = static_cast<uint8_t>(e.flags1 | 0x21 | ((b.flags & 0x08) ? 0x04 : 0));
  c.flags2 = l2_flags2(e.flags2, b.track_type);
  c.strength = b.strength / 10.0;
  c.phase = b.phase;
  c.range_difference = b.pseudorange - e.values[kL1Range];
  return c;
}

// The candidate the preference picks: e is the L2E (track type 2) candidate,
// c the other kind; nullptr for none.
const L2Candidate* choose_l2(const L2Candidate& e, const L2Candidate& c, int preference) {
  switch (preference) {
    case kL2EOnly:
      return e.present ? &e : nullptr;
    case kL2COnly:
      return c.present ? &c : nullptr;
    case kL2EFirst:
      return e.present ? &e : (c.present ? &c : nullptr);
    default:
      return c.present ? &c : (e.present ? &e : nullptr);
  }
}

// The entry of one GPS satellite; returns its record length.
size_t convert_satellite(const Type27Satellite& s, int preference, Type17Entry& e) {
  e = Type17Entry{};
  e.sv = s.sv;
  e.word4 = s.word6;
  e.word6 = s.word8;
  size_t n = kEntryLength;
  L2Candidate l2e{}, l2c{};
  for (int j = 0; j < s.block_count && j < kType27BlockCapacity; ++j) {
    const Type27Block& b = s.blocks[j];
    if (b.block_type == 0) {
      take_l1(e, s, b);
      n += kL1Length;
    } else if (b.block_type == 1 && (e.flags1 & kHasL1)) {
      (b.track_type == 2 ? l2e : l2c) = l2_candidate(e, b);
    }
  }
  if (const L2Candidate* c = choose_l2(l2e, l2c, preference)) {
    e.flags1 = c->flags1;
    e.flags2 = c->flags2;
    e.values[kL2Strength] = c->strength;
    e.values[kL2Phase] = c->phase;
    e.values[kL2Range] = c->range_difference;
    n += kL2Length;
  }
  e.flags3 |= kFlags3;
  return n;
}

}  // namespace

uint16_t ConvertType27To17(const Type27Record& r, int preference, Type17Record& out,
                           uint8_t header[4]) {
  out.receive_time = r.receive_time;
  out.clock_offset = r.clock_offset;
  out.count = 0;
  size_t n = kHeaderLength;
  const int count = r.sv_count > kType27SatelliteCapacity ? kType27SatelliteCapacity : r.sv_count;
  for (int i = 0; i < count; ++i) {
    if (r.satellites[i].system != 0) continue;
    n += convert_satellite(r.satellites[i], preference, out.entries[out.count]);
    ++out.count;
  }
  write_header(header, n);
  return static_cast<uint16_t>(n);
}

namespace {

// Raw type 17: receive time at frame byte 3, clock offset S(3, -19) at 7,
// entries from byte 10 to the checksum.
constexpr size_t kTimeOffset = 3, kFirstEntry = 10;
constexpr int kClockExponent = -19;
constexpr size_t kEntryDat = 48, kEntryDatL2 = 24;

// Pseudoranges of satellites 120 to 158 are sent halved.
bool halved_range(uint8_t sv) {
  return sv >= 120 && sv <= 158;
}

// The signed big-endian integer of W bytes at p times 2^k.
template <size_t W>
double scaled_signed(const uint8_t* p, int k) {
  return static_cast<double>(load_be_signed<W>(p)) * power_of_two(k);
}

// One raw entry from its bytes at p, already taken from the frame: 20, and
// the 9 bytes of L2 values after them when has_l2.
void read_entry(const uint8_t* p, bool has_l2, Type17Entry& e) {
  namespace at = type17_entry;
  e = Type17Entry{};
  e.sv = p[at::kSv];
  e.flags1 = p[at::kFlags1];
  e.flags2 = p[at::kFlags2] & 0x0F;
  e.flags3 = kFlags3;
  e.word4 = p[at::kWord4];
  e.word6 = static_cast<uint16_t>(p[at::kWord6] * 2);
  e.values[kL1Strength] = p[at::kL1Strength] * 0.25;
  const double range = static_cast<double>(load_be_unsigned<4>(p + at::kL1Range));
  e.values[kL1Range] = range * power_of_two(-7) * (halved_range(e.sv) ? 2 : 1);
  e.values[kL1Phase] = scaled_signed<6>(p + at::kL1Phase, -15);
  e.values[kL1Doppler] = scaled_signed<3>(p + at::kL1Doppler, -6);
  if (!has_l2) return;
  e.values[kL2Strength] = p[at::kL2Strength] * 0.25;
  e.values[kL2Phase] = scaled_signed<6>(p + at::kL2Phase, -15);
  e.values[kL2Range] = scaled_signed<2>(p + at::kL2Range, -8);
}

// The previous entry of the same satellite: the same index first.
int find_previous(const Type17Record& p, uint8_t sv, int i) {
  if (i < p.count && p.entries[i].sv == sv) return i;
  for (int k = 0; k < p.count; ++k)
    if (p.entries[k].sv == sv) return k;
  return -1;
}

// Doppler of entry i from the previous epoch when both entries have flags 1
// bit 4: after a slip (bit 1) the prediction made for the previous entry,
// else the phase change per second. Entries without a usable previous one
// keep the doppler they carry, flagged, and predict 0. Two epochs at the
// same time are treated as unmatched.
void derive_entry(Type17State& st, Type17Entry& e, int i, double dt_ms) {
  constexpr uint8_t kPhaseKnown = 0x10, kSlip = 0x02;
  const int k = st.have_previous && dt_ms != 0 ? find_previous(st.previous, e.sv, i) : -1;
  const Type17Entry* q = k >= 0 ? &st.previous.entries[k] : nullptr;
  if (!q || !(q->flags1 & kPhaseKnown) || !(e.flags1 & kPhaseKnown)) {
    st.next[i] = 0.0;
    e.flags2 |= kNoDoppler;
    return;
  }
  if (e.flags1 & kSlip) {
    e.values[kL1Doppler] = st.predicted[k];
    e.flags2 |= kNoDoppler;
  } else {
    e.values[kL1Doppler] = (e.values[kL1Phase] - q->values[kL1Phase]) / (dt_ms / 1000.0);
  }
  st.next[i] = 2 * e.values[kL1Doppler] - q->values[kL1Doppler];
}

}  // namespace

void reset_type17_state(Type17State& state) {
  state.have_previous = false;
  state.previous.count = 0;
  state.previous.receive_time = 0;
  std::memset(state.predicted, 0, sizeof state.predicted);
}

uint16_t ConvertType17(const uint8_t* frame, size_t length, Type17State& st, Type17Record& out,
                       uint8_t header[4]) {
  ByteCursor in = frame_fields(frame, length, kTimeOffset);
  out.receive_time = static_cast<double>(in.be32());
  out.clock_offset = in.scaled_s(3, kClockExponent);
  out.count = 0;
  in.seek(kFirstEntry);
  size_t n = kHeaderLength;
  // One bounds check per entry: 20 bytes, 29 with the L2 flag.
  while (in.ok() && in.remaining() > 0 && out.count < kType17EntryCapacity) {
    const bool has_l2 = in.has(2) && (in.here()[type17_entry::kFlags1] & kHasL2);
    const uint8_t* p = in.take(type17_entry::kL1Size + (has_l2 ? type17_entry::kL2Size : 0));
    if (p == nullptr) return 0;
    Type17Entry& e = out.entries[out.count++];
    read_entry(p, has_l2, e);
    n += kEntryDat + (has_l2 ? kEntryDatL2 : 0);
  }
  if (!in.ok() || in.remaining() > 0) return 0;
  const double dt = out.receive_time - st.previous.receive_time;
  for (int i = 0; i < out.count; ++i) derive_entry(st, out.entries[i], i, dt);
  // Predictions are read only for entries of the epoch kept as previous.
  std::memcpy(st.predicted, st.next, out.count * sizeof st.next[0]);
  std::memcpy(&st.previous, &out,
              offsetof(Type17Record, entries) + out.count * sizeof(Type17Entry));
  st.have_previous = true;
  write_header(header, n);
  return static_cast<uint16_t>(n);
}

}  // namespace d01ozu
