// Doppler of the type-27 blocks that carry none: the phase change against
// the previous epoch of the same input file, with a predicted value after a
// slip and a correction for receiver clock steps.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "records/type27_converter.h"

namespace d01ozu {

namespace {

constexpr uint8_t kDopplerPresent = 0x04;
constexpr uint8_t kSlipFlag = 0x08;       // measurement flags bit 3
constexpr uint8_t kHalfCycleBits = 0x60;  // bits 5 and 6
constexpr uint8_t kHalfCycleKnown = 0x20;
constexpr double kClockStepMs = 0.5;
constexpr double kStepPhaseLimit = 1000000.0;  // cycles

// The previous epoch's satellite of the same number and system: the same
// index first, else the first match; -1 when there is none.
int find_satellite(const Type27Record& p, const Type27Satellite& s, int i) {
  auto same = [&](int k) {
    return p.satellites[k].sv == s.sv && p.satellites[k].system == s.system;
  };
  if (i < p.sv_count && same(i)) return i;
  for (int k = 0; k < p.sv_count; ++k)
    if (same(k)) return k;
  return -1;
}

// The previous satellite's block of the same block and track type, likewise.
int find_block(const Type27Satellite& p, const Type27Block& b, int j) {
  auto same = [&](int k) {
    return p.blocks[k].block_type == b.block_type && p.blocks[k].track_type == b.track_type;
  };
  if (j < p.block_count && same(j)) return j;
  for (int k = 0; k < p.block_count; ++k)
    if (same(k)) return k;
  return -1;
}

// +1 when the receiver clock offset rose by more than 0.5 ms, -1 when it
// fell by more, else 0.
int clock_step(const Type27Record& r, const Type27Record& p) {
  const double change = static_cast<double>(r.clock_offset) - p.clock_offset;
  if (change > kClockStepMs) return 1;
  return change < -kClockStepMs ? -1 : 0;
}

struct EpochChange {
  double dt_ms;
  int step;
};

// Doppler of block b from the previous block q. After a slip (count changed
// or flag bit 3) the prediction made for q stands in. A clock step moves a
// large phase change by a millisecond of carrier cycles; a signal without a
// carrier frequency is left uncorrected. Two epochs at the same time (less
// the step) give no doppler.
void doppler_from_phase(Type27Block& b, const Type27Block& q, const Type27Prediction& predicted,
                        const EpochChange& e, double frequency) {
  double dphi = b.phase - q.phase;
  if ((b.flags & kHalfCycleBits) == kHalfCycleBits && !(q.flags & kHalfCycleKnown)) dphi -= 0.5;
  const double span = (e.dt_ms - e.step) / 1000.0;
  const bool slipped = b.slip_count != q.slip_count || (b.flags & kSlipFlag);
  if (slipped && predicted.marked) {
    b.doppler = predicted.doppler;
  } else if (!slipped && span != 0.0) {
    if (e.step != 0 && std::fabs(dphi) > kStepPhaseLimit)
      dphi += e.step * static_cast<double>(static_cast<float>(frequency * 0.001));
    b.doppler = static_cast<float>(dphi / span);
  } else {
    b.doppler = 0;
    b.flags &= ~kDopplerPresent;
    return;
  }
  b.flags |= kDopplerPresent;
}

// The prediction for the next epoch at this block's position.
Type27Prediction predict(const Type27Block& b, const Type27Block& q) {
  if (!(b.flags & kDopplerPresent)) return {0, false};
  if (!(q.flags & kDopplerPresent)) return {b.doppler, true};
  return {static_cast<float>(2.0 * b.doppler - q.doppler), true};
}

// The predictions of the previous epoch's positions, and those being made.
struct Predictions {
  const Type27Predictions& before;
  Type27Predictions& next;
};

// The blocks without doppler of satellite i.
void derive_satellite(const Type27State& st, Predictions& p, Type27Satellite& s, int i,
                      const EpochChange& e) {
  const int pi = st.have_previous ? find_satellite(st.previous, s, i) : -1;
  for (int j = 0; j < s.block_count; ++j) {
    Type27Block& b = s.blocks[j];
    if (b.flags & kDopplerPresent) continue;
    const Type27Satellite* ps = pi >= 0 ? &st.previous.satellites[pi] : nullptr;
    const int pj = ps ? find_block(*ps, b, j) : -1;
    if (pj < 0) {
      b.doppler = 0;
      p.next[i][j] = {0, false};
      continue;
    }
    const Type27Block& q = ps->blocks[pj];
    const double f = carrier_frequency(s.system, b.block_type, static_cast<int8_t>(s.channel));
    doppler_from_phase(b, q, p.before[pi][pj], e, f);
    p.next[i][j] = predict(b, q);
  }
}

}  // namespace

void derive_type27_doppler(Type27State& st, Type27Record& r) {
  // Positions whose blocks carry their doppler keep their predictions.
  Predictions p{st.predictions[st.current], st.predictions[1 - st.current]};
  std::memcpy(p.next, p.before, r.sv_count * sizeof p.next[0]);
  const EpochChange e{r.receive_time - st.previous.receive_time, clock_step(r, st.previous)};
  for (int i = 0; i < r.sv_count; ++i) derive_satellite(st, p, r.satellites[i], i, e);
  st.current = 1 - st.current;
  // Only the satellites in use are kept.
  std::memcpy(&st.previous, &r,
              offsetof(Type27Record, satellites) + r.sv_count * sizeof(Type27Satellite));
  st.have_previous = true;
}

}  // namespace d01ozu
