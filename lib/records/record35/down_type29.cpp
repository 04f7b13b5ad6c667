// Subtype 2 into the type-29 position record. The first position entry is
// taken; each long is scaled as the raw type-29 converter scales the field
// it stands for, so both paths give the same record:
//   header: H1 <- hdr.week, H2 <- hdr.time, B0 <- flags, B1 <- entries of
//     svs (at most 116), B2 <- numSVsUsed (at most 116), B3 <-
//     antennaNumber, B4 <- bit 4 when clk.system is not empty, B5 <-
//     fixType, B6 <- fixMode, B7 <- raimInfo.
//   position: P1 <- latPos 2^-40, P2 <- lonPos 2^-39, P3 <- hgtPos 2^-12,
//     P4..P6 <- latVel, lonVel, hgtVel 2^-21, Q1 <- clk.clkOffset 2^-26,
//     Q2 <- clk.clkDrift 2^-17, Q4..Q6 <- poscov.sigmaN, sigmaE, sigmaU
//     2^-4, Q3 <- the root of Q4^2 + Q5^2, Q7..Q9 <- hdop, vdop, tdop 2^-11,
//     Q10 <- rms 2^-14, Q11 <- the square of unitStandardDeviation 2^-11.
//   section 3 (B6 3 to 6): S1 <- fixInfo, S2 <- corrAge 2^-6, S3 0.
//   section 5: C <- clk.referenceSystem, up to 7 items of kind rt_clktype
//     and value systemClockOffset 2^-28.
//   satellites: svId, rt_sattype, flags of each svs entry.
// Without a position entry only the header section is filled.
#include <cmath>

#include "core/byte_cursor.h"
#include "records/record35/down_conversion.h"
#include "records/record35/position_fields.h"

namespace d01ozu {

namespace {

const Value& at(const Value& record, int index) {
  return record.items.d[index];
}
double scaled(const Value& record, int index, int e) {
  return times_pow2(static_cast<double>(at(record, index).l), e);
}
uint8_t capped(int64_t v) {
  return static_cast<uint8_t>(v < 0                          ? 0
                              : v > kType29SatelliteCapacity ? kType29SatelliteCapacity
                                                             : v);
}

void fill_position(const Value& pos, const Value& clk, Type29Record* out) {
  out->position_length = 93;
  out->p[0] = scaled(pos, k2LatPos, -40);
  out->p[1] = scaled(pos, k2LonPos, -39);
  out->p[2] = scaled(pos, k2HgtPos, -12);
  out->p[3] = scaled(pos, k2LatVel, -21);
  out->p[4] = scaled(pos, k2LonVel, -21);
  out->p[5] = scaled(pos, k2HgtVel, -21);
  const Value& cov = at(pos, k2PosCov);
  out->q[0] = static_cast<float>(scaled(clk, kClkOffset, -26));
  out->q[1] = static_cast<float>(scaled(clk, kClkDrift, -17));
  out->q[3] = static_cast<float>(scaled(cov, kSigmaN, -4));
  out->q[4] = static_cast<float>(scaled(cov, kSigmaE, -4));
  out->q[5] = static_cast<float>(scaled(cov, kSigmaU, -4));
  out->q[2] = std::sqrt(out->q[3] * out->q[3] + out->q[4] * out->q[4]);
  out->q[6] = static_cast<float>(scaled(pos, k2Hdop, -11));
  out->q[7] = static_cast<float>(scaled(pos, k2Vdop, -11));
  out->q[8] = static_cast<float>(scaled(pos, k2Tdop, -11));
  out->q[9] = static_cast<float>(scaled(pos, k2Rms, -14));
  const double sd = scaled(pos, k2UnitSd, -11);
  out->q[10] = static_cast<float>(sd * sd);
}

void fill_header(const Value& root, const Value& pos, Type29Record* out) {
  const Value& hdr = at(root, kPosHdr);
  const Value& systems = at(at(root, kPosClk), kClkSystem);
  out->header_length = 15;
  out->h1 = static_cast<uint16_t>(at(hdr, kHdrWeek).l);
  out->h2 = static_cast<uint32_t>(at(hdr, kHdrTime).l);
  out->b[0] = static_cast<uint8_t>(at(pos, k2Flags).l);
  out->b[1] = capped(static_cast<int64_t>(at(pos, k2Svs).items.length));
  out->b[2] = capped(at(pos, k2NumSVsUsed).l);
  out->b[3] = static_cast<uint8_t>(at(pos, k2AntennaNumber).l);
  out->b[4] = systems.items.length > 0 ? 0x10 : 0;
  out->b[5] = static_cast<uint8_t>(at(pos, k2FixType).l);
  out->b[6] = static_cast<uint8_t>(at(pos, k2FixMode).l);
  out->b[7] = static_cast<uint8_t>(at(pos, k2RaimInfo).l);
}

void fill_sections(const Value& root, const Value& pos, Type29Record* out) {
  const Value& clk = at(root, kPosClk);
  const Value& systems = at(clk, kClkSystem);
  if (out->b[6] >= 3 && out->b[6] <= 6) {
    out->section3_length = 7;
    out->s1 = static_cast<uint8_t>(at(pos, k2FixInfo).l);
    out->s2 = static_cast<float>(scaled(pos, k2CorrAge, -6));
  }
  if (out->b[4] & 0x10) {
    const uint64_t n = systems.items.length < 7 ? systems.items.length : 7;
    out->c = static_cast<uint8_t>(at(clk, kClkReference).l & 0x0F);
    out->n = static_cast<uint8_t>(n);
    for (uint64_t i = 0; i < n; ++i) {
      out->kinds[i] = static_cast<uint8_t>(at(systems.items.d[i], kSysClkType).l);
      out->values[i] = scaled(systems.items.d[i], kSysOffset, -28);
    }
    out->section5_length = static_cast<uint8_t>(3 + 9 * n);
  }
  const Value& svs = at(pos, k2Svs);
  for (int i = 0; i < out->b[1]; ++i)
    for (int k = 0; k < 3; ++k)
      out->satellites[i][k] = static_cast<uint8_t>(at(svs.items.d[i], k).l);
  out->satellites_length = static_cast<uint8_t>(3 * out->b[1] + 1);
}

}  // namespace

size_t Sub2ToType29(const IntermediateRecord& native, Type29Record* out) {
  *out = Type29Record{};
  const Value& root = native.root;
  const Value& list = at(root, kPosList);
  if (list.items.length == 0) {
    out->header_length = 15;
    out->h1 = static_cast<uint16_t>(at(at(root, kPosHdr), kHdrWeek).l);
    out->h2 = static_cast<uint32_t>(at(at(root, kPosHdr), kHdrTime).l);
    return 4u + out->header_length;
  }
  const Value& pos = list.items.d[0];
  fill_header(root, pos, out);
  fill_position(pos, at(root, kPosClk), out);
  fill_sections(root, pos, out);
  return 4u + out->header_length + out->position_length + out->section3_length +
         out->section4_length + out->section5_length + out->satellites_length;
}

}  // namespace d01ozu
