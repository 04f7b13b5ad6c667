#include "records/type29_converter.h"

#include <cmath>
#include <cstring>

#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "records/satellite_systems.h"
#include "records/scaled_field.h"
#include "records/type11_converter.h"

namespace d01ozu {

namespace {

// Raw type 29, frame offsets from the STX (byte 3 is the high byte of the
// frame length, byte 4 is not read); S(n, e) / U(n, e) are n-byte big-endian
// signed / unsigned integers x 2^e:
//    5  H1 u16           7  H2 u32           11-18  B0 to B7
//   19  not read
//   20  P1 S(6, -40)    26  P2 S(6, -39)    32  P3 S(4, -12)
//   36, 40, 44  P4 to P6 S(4, -21)
//   48  Q1 S(4, -26)    52  Q2 S(4, -17)    56, 58, 60  Q4 to Q6 U(2, -4)
//   62, 64, 66  Q7 to Q9 U(2, -11)          68  Q10 U(2, -14)
//   70  Q11, the square of U(2, -11); Q3 is the root of Q4^2 + Q5^2
// From frame byte 72 the present sections follow one after the other:
//   section 3 (B6 is 3 to 6): a byte not read; S1 u8; S2 U(2, -6); S3 u8
//   section 4 (B4 bit 1): kind k; T1, T2 S(4, -16); T3 u8 unless k is 9
//   section 5 (B4 bit 4): a byte not read; control byte (C in the low nibble,
//     the item count n in bits 4-6); per item a byte (kind in the low nibble,
//     value width w in bits 4-6) and the value S(w, -28)
//   satellites: a byte not read; B1 entries of satellite number, system,
//     flags (bit 1: used in the solution)
// B1 or B2 above 116: only the header is read. More than 84 entries cannot be
// counted by the section's length byte: the first 84 are kept and B1 becomes
// 84, so the header, the length byte and the entries written agree.
constexpr size_t kHeaderAt = 5;
constexpr size_t kPositionAt = 20;
constexpr uint8_t kHeaderLength = 15;
constexpr uint8_t kPositionLength = 93;
constexpr uint8_t kSection3Length = 7;
constexpr uint8_t kSection4Length = 10;
constexpr uint8_t kSection5Base = 3;
constexpr uint8_t kSection5PerItem = 9;
constexpr uint8_t kNoT3Kind = 9;
constexpr uint8_t kSection4Flag = 0x02;  // in B4
constexpr uint8_t kSection5Flag = 0x10;  // in B4
constexpr uint8_t kUsedFlag = 0x02;      // in an entry's flags
constexpr uint8_t kType29 = 29;

// Section 3 is present for the solution qualifiers 3 to 6.
bool has_section3(const Type29Record& r) {
  return r.b[6] >= 3 && r.b[6] <= 6;
}

// The position section from frame byte 20, in frame order: P1 to P6, Q1,
// Q2, Q4 to Q10 and the root of Q11.
constexpr ScaledField kPositionFields[16] = {
    {6, true, -40},  {6, true, -39},  {4, true, -12},  {4, true, -21},
    {4, true, -21},  {4, true, -21},  {4, true, -26},  {4, true, -17},
    {2, false, -4},  {2, false, -4},  {2, false, -4},  {2, false, -11},
    {2, false, -11}, {2, false, -11}, {2, false, -14}, {2, false, -11}};

void read_position(ByteCursor& in, Type29Record& r) {
  in.seek(kPositionAt);
  double v[16];
  for (int i = 0; i < 16; ++i) v[i] = read_scaled_field(in, kPositionFields[i]);
  for (int i = 0; i < 6; ++i) r.p[i] = v[i];
  r.q[0] = static_cast<float>(v[6]);
  r.q[1] = static_cast<float>(v[7]);
  for (int i = 0; i < 7; ++i) r.q[3 + i] = static_cast<float>(v[8 + i]);  // Q4 to Q10
  r.q[10] = static_cast<float>(v[15] * v[15]);
  const double q4 = r.q[3], q5 = r.q[4];
  r.q[2] = static_cast<float>(std::sqrt(q4 * q4 + q5 * q5));
  r.position_length = kPositionLength;
}

// Sections 3, 4 and 5, each when the header says it is present.
void read_optional_sections(ByteCursor& in, Type29Record& r) {
  if (has_section3(r)) {
    in.skip(1);
    r.s1 = in.u8();
    r.s2 = static_cast<float>(in.scaled_u(2, -6));
    r.s3 = in.u8();
    r.section3_length = kSection3Length;
  }
  if (r.b[4] & kSection4Flag) {
    const uint8_t kind = in.u8();
    r.t1 = static_cast<float>(in.scaled_s(4, -16));
    r.t2 = static_cast<float>(in.scaled_s(4, -16));
    if (kind != kNoT3Kind) r.t3 = in.u8();
    r.section4_length = kSection4Length;
  }
  if (!(r.b[4] & kSection5Flag)) return;
  in.skip(1);
  const uint8_t control = in.u8();
  r.c = control & 0x0F;
  r.n = (control >> 4) & 0x07;
  r.section5_length = static_cast<uint8_t>(kSection5Base + kSection5PerItem * r.n);
  for (int i = 0; i < r.n; ++i) {
    const uint8_t item = in.u8();
    r.kinds[i] = item & 0x0F;
    r.values[i] = in.scaled_s((item >> 4) & 0x07, -28);
  }
}

// The satellite entries (the first 84 kept), with the system settings:
// system 5 renumbered into system 7, then system 7 reported as 10.
void read_satellites(ByteCursor& in, Type29Record& r) {
  in.skip(1);
  const uint8_t kept = r.b[1] < kType29CountedEntries ? r.b[1] : kType29CountedEntries;
  const uint8_t* entries = in.take(3u * r.b[1]);
  if (entries == nullptr) return;
  std::memcpy(r.satellites, entries, 3u * kept);
  r.b[1] = kept;
  r.satellites_length = static_cast<uint8_t>(3 * kept + 1);
  for (int i = 0; i < kept; ++i) {
    uint8_t* e = r.satellites[i];
    if (e[1] == kSystemRemapped) {
      e[0] = remap_system5_number(e[0]);
      e[1] = kSystemFixed;
    }
    if (e[1] == kSystemFixed) e[1] = kSystemAfterFix;
  }
}

}  // namespace

uint16_t ConvertType29(const uint8_t* frame, size_t length, Type29Record& out, uint8_t header[4]) {
  std::memset(&out, 0, sizeof out);
  ByteCursor in = frame_fields(frame, length, kHeaderAt);
  out.h1 = in.be16();
  out.h2 = in.be32();
  in.bytes(out.b, sizeof out.b);
  out.header_length = kHeaderLength;
  if (out.b[1] <= kType29SatelliteCapacity && out.b[2] <= kType29SatelliteCapacity) {
    read_position(in, out);
    read_optional_sections(in, out);
    read_satellites(in, out);
  }
  if (!in.ok()) return 0;
  const uint16_t total =
      static_cast<uint16_t>(4 + out.header_length + out.position_length + out.section3_length +
                            out.section4_length + out.section5_length + out.satellites_length);
  header[0] = kDatStart;
  header[1] = static_cast<uint8_t>(total);
  header[2] = static_cast<uint8_t>(total >> 8);
  header[3] = kType29;
  return total;
}

uint8_t Type29FixCode(const uint8_t b[8]) {
  const uint8_t qualifier = b[6];
  uint8_t code = 0;
  if (b[5] == 3) code = 2;
  if (b[5] == 4) code = 3;
  if (b[5] == 5) code = (qualifier == 5 || qualifier == 6) ? 5 : 4;
  if (qualifier == 1) code |= 0x10;
  if (qualifier == 2) code |= 0x50;
  if (qualifier == 7) code |= 0x30;
  if (b[7] == 3) code |= 0x20;
  if (qualifier >= 3 && qualifier <= 6) {
    code |= 0x40;
    if (qualifier == 4 || qualifier == 6) code |= 0x08;
    if (b[0] == 1) code |= 0x80;
  }
  return code;
}

// More than 32 used satellites: the lists take the first 32 used entries and
// the count says 32, so nothing is written beyond the lists.
uint16_t Type29ToType11(const Type29Record& in, Type11Record& out, uint8_t header[4]) {
  constexpr double kSpeedOfLightKm = 299792.458;
  constexpr double kSpeedOfLight = 299792458.0;
  constexpr double kL1Wavelength = 0.19029367279836487;
  std::memset(&out, 0, sizeof out);
  out.values[0] = in.p[0] / 180.0;
  out.values[1] = in.p[1] / 180.0;
  out.values[2] = in.p[2];
  out.values[3] = in.q[0] * kSpeedOfLightKm;
  out.values[4] = in.q[1] / 1e6 * kSpeedOfLight / kL1Wavelength;
  out.values[5] = in.q[2];
  for (int i = 0; i < 3; ++i) out.values[6 + i] = in.p[3 + i];
  out.word = in.h2;
  out.fix_byte = Type29FixCode(in.b);
  const uint8_t n = in.b[2] < kType11ListCapacity ? in.b[2] : kType11ListCapacity;
  out.count = n;
  const int entries = in.satellites_length ? (in.satellites_length - 1) / 3 : 0;
  uint8_t k = 0;
  for (int i = 0; i < entries && k < n; ++i) {
    const uint8_t* e = in.satellites[i];
    if (!(e[2] & kUsedFlag)) continue;
    out.first_list[k] = k;
    out.second_list[k] = static_cast<uint8_t>(e[0] + (e[1] == 2 ? 51 : 0));
    ++k;
  }
  return PutType11Header(n, header);
}

}  // namespace d01ozu
