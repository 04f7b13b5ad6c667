// Raw type 29: sections, the DAT image, the limits of the satellite section,
// the fix-type code and the type-11 record made from it.
#include <gtest/gtest.h>

#include <cmath>

#include "records/type29_converter.h"
#include "testdata/position_records.h"
#include "testdata/t0x_writers.h"
#include "tests/dat_fixture.h"
#include "tests/expand_harness.h"

namespace {

using dattest::Le;
using writers::Bytes;

// Sections 3, 4 (B6 = 4, B4 = 0x12) and 5 with two items; five entries, of
// which a system-5 and a system-7 satellite, three used.
writers::Type29Solution solution() {
  writers::Type29Solution s;
  s.h1 = 0x0102;
  s.h2 = 0x0A0B0C0D;
  s.b = {1, 0, 3, 0, 0x12, 5, 4, 3};
  s.p1 = int64_t{45} << 40;
  s.p2 = -(int64_t{100} << 39);
  s.p3 = 250 * 4096;
  s.p456 = {1 << 21, -(1 << 21), 3 << 20};
  s.q1 = 1 << 26;
  s.q2 = -3 * (1 << 17);
  s.q456 = {48, 64, 16};
  s.q789 = {2048, 1024, 512};
  s.q10 = 16384;
  s.q11 = 4096;
  s.s1 = 7;
  s.s2 = 3 * 64;
  s.t1 = 2 * 65536;
  s.t2 = -65536;
  s.c = 0x0A;
  s.items = {{3, 4, int64_t{1} << 28}, {5, 2, -(1 << 14)}};
  s.entries = {{3, 0, 2}, {11, 5, 2}, {4, 7, 0}, {3, 2, 2}, {9, 1, 0}};
  return s;
}

Bytes expected_image() {
  Le e;
  e.u8(0x74).le16(166).u8(29);
  e.u8(15).le16(0x0102).le32(0x0A0B0C0D).bytes({1, 5, 3, 0, 0x12, 5, 4, 3});
  e.u8(93);
  for (double v : {45.0, -100.0, 250.0, 1.0, -1.0, 1.5}) e.f64(v);
  for (float v : {1.0f, -3.0f, 5.0f, 3.0f, 4.0f, 1.0f, 1.0f, 0.5f, 0.25f, 1.0f, 4.0f}) e.f32(v);
  e.u8(7).u8(7);
  e.f32(3.0f);
  e.u8(0).u8(10);
  e.f32(2.0f);
  e.f32(-1.0f);
  e.u8(0);
  e.u8(21).u8(0x0A).u8(2).u8(3).f64(1.0).u8(5).f64(-0x1p-14);
  e.u8(16).bytes({3, 0, 2, 5, 10, 2, 4, 10, 0, 3, 2, 2, 9, 1, 0});
  return e.data();
}

// Sections 3, 4 and 5 are read in that order after the position section, the
// entries one byte after section 5; the image is written byte for byte.
TEST(Type29Converter, SectionsAndDatImage) {
  const Bytes frame = writers::type29_record(solution());
  d01ozu::Type29Record r;
  uint8_t header[4];
  ASSERT_EQ(d01ozu::ConvertType29(frame.data(), frame.size(), r, header),
            4 + 15 + 93 + 7 + 10 + (3 + 18) + 16);
  auto c = d01ozu::CreateExpansionContext();
  dattest::Processor p;
  ASSERT_EQ(expandtest::feed(*c, p, frame), 0);
  EXPECT_EQ(p.records(), expected_image());
  d01ozu::AddRecordFilter(*p.rp, 0x100);
  ASSERT_EQ(expandtest::feed(*c, p, frame), 0);
  EXPECT_EQ(p.records(), expected_image());
}

struct LimitCase {
  const char* name;
  writers::Type29Solution solution;
  int cut = 0;           // bytes taken off the end of the payload
  uint16_t count;        // the converter's result
  uint8_t kept_entries;  // B1 afterwards
};

std::vector<LimitCase> limit_cases() {
  writers::Type29Solution bare;
  writers::Type29Solution kind9 = bare;
  kind9.b[4] = 0x02;
  kind9.kind4 = 9;
  kind9.t3 = 0x55;  // not written for kind 9
  writers::Type29Solution many = bare;
  many.entries.assign(100, {1, 0, 0});
  many.entries[83] = {83, 0, 0};
  writers::Type29Solution too_many = bare;
  too_many.force_b1 = 117;
  writers::Type29Solution too_many_used = bare;
  too_many_used.force_b2 = 117;
  writers::Type29Solution t3 = kind9;
  t3.kind4 = 1;
  t3.t3 = 0x01;  // its value follows in the image
  writers::Type29Solution two = bare;
  two.entries.assign(2, {});
  return {{"kind 9", kind9, 0, 4 + 15 + 93 + 10 + 1, 0},
          {"T3 with a value", t3, 0, 4 + 15 + 93 + 10 + 1, 0},
          {"84 of 100 entries", many, 0, 4 + 15 + 93 + 253, 84},
          {"B1 117: header only", too_many, 0, 4 + 15, 117},
          {"B2 117: header only", too_many_used, 0, 4 + 15, 0},
          {"entries past the frame", two, 1, 0, 0}};
}

// A section-4 kind of 9 leaves T3 at 0 and still counts 10 bytes; more than
// 84 entries keep the first 84; B1 or B2 above 116 leave the header alone; a
// section running past the frame is refused.
TEST(Type29Converter, SatelliteSectionAndFrameLimits) {
  for (const LimitCase& t : limit_cases()) {
    Bytes frame = writers::type29_record(t.solution);
    if (t.cut) {
      Bytes payload(frame.begin() + 4, frame.end() - 3 - t.cut);
      frame = writers::raw_frame(29, 0, payload);
    }
    d01ozu::Type29Record r;
    uint8_t header[4];
    EXPECT_EQ(d01ozu::ConvertType29(frame.data(), frame.size(), r, header), t.count) << t.name;
    if (t.count == 0) continue;
    EXPECT_EQ(r.b[1], t.kept_entries) << t.name;
    EXPECT_EQ(r.t3, t.solution.kind4 == 9 ? 0 : t.solution.t3) << t.name;
    EXPECT_EQ(r.satellites[83][0], t.kept_entries == 84 ? 83 : 0) << t.name;
    // The image's length is what it writes: the header-only records carry a
    // zero position section and an empty satellite section.
    auto c = d01ozu::CreateExpansionContext();
    dattest::Processor p;
    ASSERT_EQ(expandtest::feed(*c, p, frame), 0);
    const Bytes out = p.records();
    const size_t written = t.count == 19 ? 4 + 15 + 93 + 1 : t.count + (r.t3 & 1) * 4;
    ASSERT_EQ(out.size(), written) << t.name;
    EXPECT_EQ(out[1] | out[2] << 8, static_cast<int>(written)) << t.name;
  }
}

TEST(Type29Converter, FixTypeCodes) {
  const struct {
    uint8_t b0, b5, b6, b7, code;
  } cases[] = {{0, 1, 0, 0, 0x00}, {0, 3, 0, 0, 0x02}, {0, 4, 1, 0, 0x13}, {0, 5, 5, 0, 0x45},
               {0, 5, 6, 0, 0x4D}, {1, 5, 6, 0, 0xCD}, {0, 5, 2, 0, 0x54}, {0, 2, 7, 3, 0x30},
               {1, 4, 4, 0, 0xCB}, {1, 3, 1, 0, 0x12}, {0, 9, 3, 0, 0x40}, {0, 5, 0, 3, 0x24}};
  for (const auto& t : cases) {
    const uint8_t b[8] = {t.b0, 0, 0, 0, 0, t.b5, t.b6, t.b7};
    EXPECT_EQ(d01ozu::Type29FixCode(b), t.code)
        << int{t.b0} << " " << int{t.b5} << " " << int{t.b6} << " " << int{t.b7};
  }
}

// Values, the fix code and the used satellites (system 2 listed + 51); more
// than 32 used satellites list the first 32.
TEST(Type29Converter, Type11RecordOfTheSolution) {
  const Bytes frame = writers::type29_record(solution());
  d01ozu::Type29Record r;
  d01ozu::Type11Record out;
  uint8_t header[4];
  ASSERT_NE(d01ozu::ConvertType29(frame.data(), frame.size(), r, header), 0);
  ASSERT_EQ(d01ozu::Type29ToType11(r, out, header), 88);
  EXPECT_EQ(Bytes(header, header + 4), (Bytes{0x74, 88, 0, 11}));
  const double values[9] = {45.0 / 180.0,
                            -100.0 / 180.0,
                            250.0,
                            299792.458,
                            -3.0 / 1e6 * 299792458.0 / 0.19029367279836487,
                            5.0,
                            1.0,
                            -1.0,
                            1.5};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(out.values[i], values[i]) << i;
  EXPECT_EQ(out.word, 0x0A0B0C0Du);
  EXPECT_EQ(out.fix_byte, 4 | 0x40 | 0x08 | 0x80 | 0x20);
  ASSERT_EQ(out.count, 3);
  EXPECT_EQ(Bytes(out.first_list, out.first_list + 4), (Bytes{0, 1, 2, 0}));
  EXPECT_EQ(Bytes(out.second_list, out.second_list + 4), (Bytes{3, 5, 54, 0}));

  writers::Type29Solution crowded;
  for (int i = 0; i < 40; ++i) crowded.entries.push_back({static_cast<uint8_t>(i + 1), 0, 2});
  crowded.b[2] = 40;
  const Bytes many = writers::type29_record(crowded);
  ASSERT_NE(d01ozu::ConvertType29(many.data(), many.size(), r, header), 0);
  ASSERT_EQ(d01ozu::Type29ToType11(r, out, header), (32 + 41) * 2);
  EXPECT_EQ(out.count, 32);
  EXPECT_EQ(out.first_list[31], 31);
  EXPECT_EQ(out.second_list[31], 32);
}

}  // namespace
