// Subtype 16 into the type-33 record: a fixed 464-byte little-endian
// payload (468 with the DAT header) whose first byte is 14:
//   0 u8 14; 1 u16 hdr.week; 3 u32 hdr.time; 7 u8 clk.referenceSystem;
//   8 f64 clk.clkOffset 2^-19; 16 f64 clk.clkDrift 2^-22; then for the
//   first position entry (zeros without one): 24 u8 fixType; 25 u8
//   fixMode; 26 u8 raimInfo; 27 f64 latPos 2^-40; 35 f64 lonPos 2^-39;
//   43 f64 hgtPos 2^-12; 51 3 x f32 latVel, lonVel, hgtVel 2^-21; 63 3 x
//   f32 hdop, vdop, tdop 2^-11; 75 f32 corrAge 2^-6; 79 u8 numSVsUsed;
//   80 u8 n, the svs entries kept (at most 128); 81 n x 3 bytes svId,
//   rt_sattype, flags; zeros to the end.
#include <cstring>

#include "core/byte_cursor.h"
#include "records/record35/down_conversion.h"
#include "records/record35/position_fields.h"

namespace d01ozu {

namespace {

constexpr size_t kType33Payload = 464;
constexpr uint8_t kType33Code = 14;
constexpr uint64_t kType33Satellites = 128;

const Value& at(const Value& record, int index) {
  return record.items.d[index];
}
double scaled(const Value& record, int index, int e) {
  return times_pow2(static_cast<double>(at(record, index).l), e);
}

void write_position(ByteWriter& w, const Value& pos) {
  w.u8(static_cast<uint8_t>(at(pos, k16FixType).l));
  w.u8(static_cast<uint8_t>(at(pos, k16FixMode).l));
  w.u8(static_cast<uint8_t>(at(pos, k16RaimInfo).l));
  w.f64(scaled(pos, k16LatPos, -40));
  w.f64(scaled(pos, k16LonPos, -39));
  w.f64(scaled(pos, k16HgtPos, -12));
  for (int f : {k16LatVel, k16LonVel, k16HgtVel}) w.f32(static_cast<float>(scaled(pos, f, -21)));
  for (int f : {k16Hdop, k16Vdop, k16Tdop}) w.f32(static_cast<float>(scaled(pos, f, -11)));
  w.f32(static_cast<float>(scaled(pos, k16CorrAge, -6)));
  w.u8(static_cast<uint8_t>(at(pos, k16NumSVsUsed).l));
  const Value& svs = at(pos, k16Svs);
  const uint64_t n = svs.items.length < kType33Satellites ? svs.items.length : kType33Satellites;
  w.u8(static_cast<uint8_t>(n));
  for (uint64_t i = 0; i < n; ++i)
    for (int k : {kSvId, kSvSatType, kSvFlags}) w.u8(static_cast<uint8_t>(at(svs.items.d[i], k).l));
}

}  // namespace

size_t Sub16ToType33(const IntermediateRecord& native, NewerTypeRecord* out) {
  std::memset(out->payload, 0, kType33Payload);
  ByteWriter w(out->payload, kType33Payload);
  const Value& hdr = at(native.root, kPosHdr);
  const Value& clk = at(native.root, kPosClk);
  const Value& list = at(native.root, kPosList);
  w.u8(kType33Code);
  w.le16(static_cast<uint16_t>(at(hdr, kHdrWeek).l));
  w.le32(static_cast<uint32_t>(at(hdr, kHdrTime).l));
  w.u8(static_cast<uint8_t>(at(clk, kClkReference).l));
  w.f64(scaled(clk, kClkOffset, -19));
  w.f64(scaled(clk, kClkDrift, -22));
  if (list.items.length > 0) write_position(w, list.items.d[0]);
  out->length = static_cast<uint16_t>(kType33Payload);
  return kType33Payload + 4;
}

}  // namespace d01ozu
