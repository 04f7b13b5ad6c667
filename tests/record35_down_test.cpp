// Record-35 data records converted into legacy records: subtype-19 and
// subtype-9 epochs into type 27, subtype 2 into type 29, subtype 16 into
// type 33, from key and delta records alike, and a T04 file's epochs in the
// DAT file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "output/expanded_images.h"
#include "records/record35/down_conversion.h"
#include "records/record35/schema_node.h"
#include "testdata/record35_epochs.h"
#include "tests/dat_fixture.h"
#include "tests/record35_fixture.h"

namespace {

using rec35test::Conversion;
using rec35test::Outcome;
using writers::Bytes;

// --- Subtype 19 from a readable epoch description ---

using writers::Epoch;
using writers::Meas;
using writers::Sat;

std::string schema19() {
  return writers::sub19_writer_schema();
}
Bytes body19(const Epoch& e, writers::DeltaCoder& coder, bool key) {
  return writers::sub19_body(e, coder, key);
}

Meas meas(int64_t block, int64_t flags, double range_m, double phase_cycles) {
  return {block,
          3,
          1,
          flags,
          2,
          45,
          std::llround(range_m * 128),
          std::llround(phase_cycles * 32768),
          -100 * 256};
}

Epoch epoch(int k, int sats) {
  Epoch e{1000 * k + 5000, 2300, 0, 0, 1, 800 + 3 * k, {{1, 1000}, {3, -2000 + k}}, 7, 9, {}};
  for (int s = 0; s < sats; ++s) {
    Sat sat{s + 3, s % 3, 1, s - 1, s + 10, 0x30, s == 1 ? k : 0, 0, 400 + k, 50 + s, {}};
    for (int m = 0; m <= (s + k) % 3; ++m)
      sat.meas.push_back(meas(m, 0x400 | (m == 1 ? 0x200 : 0x80), 20000000.0 + 1000 * s + 7 * k,
                              1000.0 * (s + 1) + 5.5 * k + m));
    e.sats.push_back(sat);
  }
  return e;
}

Bytes image27(const Conversion& c) {
  std::vector<uint8_t> out(30000);
  out.resize(d01ozu::build_type27_image(c.header, c.content->type27, out.data(), out.size()));
  return out;
}

TEST(Record35Down, Subtype19EpochsFromDeltaRecordsEqualTheirKeyRecords) {
  Conversion delta, key;
  writers::DeltaCoder delta_coder, key_coder;
  ASSERT_EQ(delta.schema(19, schema19()).status, 0);
  ASSERT_EQ(key.schema(19, schema19()).status, 0);
  const int sats[] = {2, 3, 1, 3, 2};
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    const Epoch e = epoch(k, sats[k]);
    const Outcome d = delta.record(19, k == 0 ? 1 : 2, body19(e, delta_coder, k == 0));
    const Outcome f = key.record(19, 1, body19(e, key_coder, true));
    ASSERT_EQ(d.status, 0);
    ASSERT_EQ(f.status, 0);
    EXPECT_EQ(d.type, 27);
    EXPECT_EQ(d.count, f.count);
    EXPECT_EQ(image27(delta), image27(key));
    EXPECT_EQ(delta.content->type27.sv_count, sats[k]);
    EXPECT_EQ(delta.content->type27.receive_time, 1000.0 * k + 5000);
  }
}

void put_f32(dattest::Le& le, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  le.le32(bits);
}

TEST(Record35Down, Subtype19EpochByteExact) {
  Epoch e{345000, 2301, 4, 0, 2, 1 << 19, {{1, 1000}, {3, -2000}}, 0, 0, {}};
  Sat sat{5, 0, 1, 0, 3, 0x30, 0, 0, 400, 50, {}};
  sat.meas.push_back(meas(0, 0x400 | 0x80 | 0x02, 20000000.0, 1000.0));
  sat.meas.push_back(meas(1, 0x400 | 0x200 | 0x800 | 0x40, 20000005.0, 800.0));
  e.sats.push_back(sat);
  Conversion conv;
  writers::DeltaCoder coder;
  conv.schema(19, schema19());
  const Outcome o = conv.record(19, 1, body19(e, coder, true));
  ASSERT_EQ(o.status, 0);
  ASSERT_EQ(o.count, 110);
  const double c = 299792458.0;
  dattest::Le le;
  le.u8(0x74).u8(110).u8(0).u8(27).u8(18).le16(2301).f64(345000.0);
  put_f32(le, 1.0f);
  le.u8(1).u8(0x70).u8(4).u8(21).u8(2).u8(2);
  le.u8(1).f64(std::ldexp(1000.0, -28)).u8(3).f64(std::ldexp(-2000.0, -28));
  le.u8(10).u8(5).u8(0x40).u8(3).u8(2).le16(13).le16(100).u8(0x06);
  le.u8(28).u8(0).u8(3).le16(45).f64(20000000.0 - c / 1575420000 * 1000.0).f64(1000.0);
  put_f32(le, -100.0f);
  le.u8(2).u8(0x87).u8(0x01);
  le.u8(29).u8(1).u8(3).le16(45).f64(20000005.0 - c / 1227600000 * 800.0).f64(800.0);
  put_f32(le, -100.0f);
  le.u8(2).u8(0x83).u8(0x80).u8(0x0C);
  EXPECT_EQ(image27(conv), le.data());
}

// Builds a native subtype-19 epoch directly for the mapping's limits.
TEST(Record35Down, Subtype19MappingLimits) {
  auto native = std::make_unique<d01ozu::Sub19Native>();
  uint8_t error = 0;
  native->system.reserve(9, &error);
  native->system.length = 9;
  native->sv.reserve(3, &error);
  native->sv.length = 3;
  const int32_t first_flags[] = {0x000, 0x400, 0x400};
  const double elevation[] = {0, 12.5, -12.5};
  for (int s = 0; s < 3; ++s) {
    d01ozu::Sub19Satellite& sat = native->sv.d[s];
    sat.svId = s + 1;
    sat.elevation = elevation[s];
    sat.meas.reserve(8, &error);
    sat.meas.length = 8;
    for (int m = 0; m < 8; ++m)
      sat.meas.d[m].measFlags = m == 0 ? first_flags[s] : m == 3 ? 0 : 0x400;
  }
  auto out = std::make_unique<d01ozu::Type27Record>();
  d01ozu::Sub19ToType27(*native, out.get());
  EXPECT_EQ(out->offset_count, 8);
  EXPECT_EQ(out->offset_length, 75);
  ASSERT_EQ(out->sv_count, 2);  // the first satellite lacks bit 10 on its first measurement
  EXPECT_EQ(out->satellites[0].sv, 2);
  EXPECT_EQ(out->satellites[0].block_count, 6);  // seven usable, six kept
  EXPECT_EQ(out->satellites[0].word6, 13);
  EXPECT_EQ(out->satellites[1].word6, 0xFFF3);  // -13
}

// --- Subtypes 9, 2 and 16: every long changes from epoch to epoch ---

// Longs take base + k x step in walk order (delta records: step alone).
void fill_walk(avro_value_t* v, int64_t* position, int k, bool delta) {
  switch (avro_value_get_type(v)) {
    case AVRO_INT64: {
      const int64_t i = (*position)++;
      const int64_t step = 1 + i % 3;
      avro_value_set_long(v, delta ? step : 0x400 + 3 * i + k * step);
      break;
    }
    case AVRO_DOUBLE:
      avro_value_set_double(v, 0.5 * k);
      break;
    case AVRO_FLOAT:
      avro_value_set_float(v, 0.25f * static_cast<float>(k));
      break;
    case AVRO_BYTES:
      avro_value_set_bytes(v, const_cast<char*>("ab"), 2);
      break;
    case AVRO_ARRAY:
      for (int i = 0; i < 2; ++i) {
        avro_value_t e = writers::append_element(v);
        fill_walk(&e, position, k, delta);
      }
      break;
    case AVRO_RECORD: {
      size_t n = 0;
      avro_value_get_size(v, &n);
      for (size_t i = 0; i < n; ++i) {
        avro_value_t f;
        avro_value_get_by_index(v, i, &f, nullptr);
        fill_walk(&f, position, k, delta);
      }
      break;
    }
    default:
      break;
  }
}

Bytes walk_body(const std::string& text, int k, bool delta) {
  return writers::avro_body(text, [&](avro_value_t* v) {
    int64_t position = 0;
    fill_walk(v, &position, k, delta);
  });
}

Bytes legacy_image(const Conversion& c, int type) {
  std::vector<uint8_t> out(30000);
  size_t n = 0;
  if (type == 27)
    n = d01ozu::build_type27_image(c.header, c.content->type27, out.data(), out.size());
  if (type == 29)
    n = d01ozu::build_type29_image(c.header, c.content->type29, out.data(), out.size());
  if (type == 33)
    n = d01ozu::build_newer_image(c.header, c.content->type33, out.data(), out.size());
  out.resize(n);
  return out;
}

TEST(Record35Down, NestedSubtypesFromDeltaRecordsEqualTheirKeyRecords) {
  const struct {
    uint32_t subtype;
    int type;
  } cases[] = {{9, 27}, {2, 29}, {16, 33}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subtype);
    d01ozu::SubtypeSchema s;
    d01ozu::BuildSubtypeSchema(d01ozu::subtype_rows()[d01ozu::subtype_index(c.subtype)], &s);
    Conversion delta, key;
    delta.schema(c.subtype, s.text);
    key.schema(c.subtype, s.text);
    for (int k = 0; k < 3; ++k) {
      const Outcome d = delta.record(c.subtype, k == 0 ? 1 : 2, walk_body(s.text, k, k > 0));
      const Outcome f = key.record(c.subtype, 1, walk_body(s.text, k, false));
      ASSERT_EQ(d.status, 0);
      ASSERT_EQ(f.status, 0);
      EXPECT_EQ(d.type, c.type);
      EXPECT_EQ(d.count, f.count);
      const Bytes image = legacy_image(delta, c.type);
      EXPECT_FALSE(image.empty());
      EXPECT_EQ(image, legacy_image(key, c.type));
      if (c.type == 33) {
        EXPECT_EQ(d.count, 468);
        EXPECT_EQ(image.size(), 468u);
        EXPECT_EQ(Bytes(image.begin(), image.begin() + 5), (Bytes{0x74, 0xD4, 0x0E, 33, 14}));
      }
    }
    EXPECT_EQ(static_cast<uint16_t>(delta.record(c.subtype, 3, walk_body(s.text, 3, true)).type),
              65535);
  }
}

TEST(Record35Down, Subtype9System7HalfCycle) {
  d01ozu::Sub9Native native{};
  uint8_t error = 0;
  native.sv.reserve(2, &error);
  native.sv.length = 2;
  const int32_t ids[] = {3, 6};
  for (int s = 0; s < 2; ++s) {
    native.sv.d[s].svId = ids[s];
    native.sv.d[s].rt_sattype = 7;
    native.sv.d[s].meas.reserve(2, &error);
    native.sv.d[s].meas.length = 2;
    native.sv.d[s].meas.d[0] = {6, 26, 0, 0, 0x20, 0, 0, 0, 0, 10.0, 0};
    native.sv.d[s].meas.d[1] = {6, 27, 0, 0, 0x00, 0, 0, 0, 0, 10.0, 0};
  }
  d01ozu::RewriteSub9System7(&native);
  EXPECT_EQ(native.sv.d[0].rt_sattype, 10);
  EXPECT_EQ(native.sv.d[0].meas.d[0].measFlags, 0u);
  EXPECT_EQ(native.sv.d[0].meas.d[0].phase, 9.5);
  EXPECT_EQ(native.sv.d[0].meas.d[1].phase, 10.0);  // another track type
  EXPECT_EQ(native.sv.d[1].rt_sattype, 10);
  EXPECT_EQ(native.sv.d[1].meas.d[0].phase, 10.0);  // satellite 6 is not adjusted
}

// A T04 file of subtype-19 epochs: the DAT file holds each epoch's type-27
// record as the conversion above gives it.
TEST(Record35Down, T04EpochsReachTheDatFile) {
  writers::DeltaCoder coder, key_coder;
  std::vector<Bytes> frames;
  for (const Bytes& p : writers::record35_pages(19, 0, writers::text_bytes(schema19())))
    frames.push_back(p);
  Conversion expected;
  expected.schema(19, schema19());
  std::vector<Bytes> images;
  for (int k = 0; k < 3; ++k) {
    for (const Bytes& p :
         writers::record35_pages(19, k == 0 ? 1 : 2, body19(epoch(k, 2 + k), coder, k == 0), 200))
      frames.push_back(p);
    expected.record(19, 1, body19(epoch(k, 2 + k), key_coder, true));
    images.push_back(image27(expected));
  }
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("m.t04"), writers::t04_file(frames));
  const testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), {"-d", "-g", "m.t04"});
  EXPECT_EQ(r.status, 0) << r.output;
  ASSERT_TRUE(testsupport::file_exists(dir.file("m.tgd"))) << r.output;
  const Bytes dat = testsupport::read_file(dir.file("m.tgd"));
  for (const Bytes& image : images)
    EXPECT_NE(std::search(dat.begin(), dat.end(), image.begin(), image.end()), dat.end());
}

}  // namespace

namespace {

// A record-35 error is a tolerated error of the run: the record goes
// nowhere, the run reads on and ends with status 29.
TEST(Record35Down, DecodingErrorsEndTheRunWith29) {
  writers::DeltaCoder coder;
  std::vector<Bytes> frames = writers::record35_pages(19, 0, writers::text_bytes(schema19()));
  for (const Bytes& p : writers::record35_pages(19, 2, body19(epoch(1, 2), coder, false)))
    frames.push_back(p);
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("e.t04"), writers::t04_file(frames));
  const testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), {"-d", "-g", "e.t04"});
  EXPECT_EQ(r.status, 29) << r.output;
}

}  // namespace
