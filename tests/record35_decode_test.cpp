// Decoding of record-35 data records: every subtype of the table, key and
// delta records, the writer-schema rules and resolution, and bodies that
// do not fit their schema.
#include <gtest/gtest.h>

#include <string>

#include "records/record35/body_bound.h"
#include "records/record35/schema_node.h"
#include "records/record35/subtype_state.h"
#include "tests/record35_fixture.h"

namespace {

using rec35test::Conversion;
using rec35test::Outcome;
using writers::avro_body;
using writers::Bytes;

std::string library_text(uint32_t subtype) {
  d01ozu::SubtypeSchema s;
  d01ozu::BuildSubtypeSchema(d01ozu::subtype_rows()[d01ozu::subtype_index(subtype)], &s);
  return s.text;
}

// Made-up values whose flattened counts agree with their columns.
void fill_consistent(avro_value_t* v) {
  writers::fill_consistent_sample(v, 3);
}

const d01ozu::Value& native_field(const Conversion& c, uint32_t subtype, int index) {
  return c.content->native[d01ozu::subtype_index(subtype)]->root.items.d[index];
}

Bytes longs_body(uint32_t subtype, const std::vector<int64_t>& values) {
  return avro_body(library_text(subtype), [&](avro_value_t* v) {
    avro_value_t f;
    avro_value_get_by_index(v, 0, &f, nullptr);
    for (int64_t x : values) {
      avro_value_t e = writers::append_element(&f);
      avro_value_set_long(&e, x);
    }
  });
}

TEST(Record35Decode, EverySubtypeDecodesAKeyRecord) {
  for (int i = 0; i < d01ozu::kRec35SubtypeCount; ++i) {
    const uint32_t subtype = d01ozu::subtype_rows()[i].subtype;
    SCOPED_TRACE(subtype);
    Conversion conv;
    const std::string text = library_text(subtype);
    const Outcome schema = conv.schema(subtype, text);
    EXPECT_EQ(schema.status, 0);
    EXPECT_EQ(schema.type, 0);
    const Bytes body = avro_body(text, fill_consistent);
    ASSERT_FALSE(body.empty());
    const Outcome data = conv.record(subtype, 1, body);
    EXPECT_EQ(data.status, 0);
    const int expected = subtype == 2                    ? 29
                         : subtype == 16                 ? 33
                         : subtype == 9 || subtype == 19 ? 27
                                                         : 35;
    EXPECT_EQ(data.type, expected);
    EXPECT_GT(data.count, 0);
    if (expected == 35) {
      EXPECT_EQ(data.count, body.size());
    }
  }
}

TEST(Record35Decode, LinearPredictionOverKeyAndDeltaRecords) {
  Conversion conv;
  conv.schema(306, library_text(306));
  const struct {
    uint64_t subsubtype;
    std::vector<int64_t> body, values;
  } steps[] = {
      {1, {100, 7}, {100, 7}},
      {2, {10, 1}, {110, 8}},        // delta + first value
      {2, {5, 1, 4}, {125, 10, 4}},  // delta + 2 x second - first; a new element predicts 0
      {2, {0, 0}, {140, 12}},
  };
  for (const auto& s : steps) {
    const Outcome o = conv.record(306, s.subsubtype, longs_body(306, s.body));
    ASSERT_EQ(o.status, 0);
    const d01ozu::Value& msecs = native_field(conv, 306, 0);
    ASSERT_EQ(msecs.items.length, s.values.size());
    for (size_t i = 0; i < s.values.size(); ++i) EXPECT_EQ(msecs.items.d[i].l, s.values[i]) << i;
  }
}

TEST(Record35Decode, DeltaRecordsWaitForAKeyRecord) {
  Conversion conv;
  conv.schema(300, library_text(300));
  conv.schema(305, library_text(305));
  EXPECT_EQ(conv.record(300, 2, longs_body(300, {5})).status, 23);
  // Subtype 305 is not delta-coded: any data record is taken as it is.
  const Outcome plain = conv.record(305, 2, longs_body(305, {5, 6}));
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(native_field(conv, 305, 0).items.d[1].l, 6);
  EXPECT_EQ(conv.record(300, 1, longs_body(300, {1000})).status, 0);
  EXPECT_EQ(conv.record(300, 2, longs_body(300, {3})).status, 0);
  EXPECT_EQ(native_field(conv, 300, 0).items.d[0].l, 1003);
  // A page sequence error makes every subtype wait for a key record again.
  d01ozu::ReaderStatus status = 0;
  conv.page(writers::record35_page(2, 300, 2, Bytes{1}), &status);
  EXPECT_EQ(status, 18);
  EXPECT_EQ(conv.record(300, 2, longs_body(300, {3})).status, 23);
  EXPECT_EQ(conv.record(305, 2, longs_body(305, {1})).status, 0);
}

TEST(Record35Decode, WriterSchemaRules) {
  Conversion conv;
  EXPECT_EQ(conv.record(300, 1, longs_body(300, {5})).status, 19);
  EXPECT_EQ(static_cast<uint16_t>(conv.record(300, 1, longs_body(300, {5})).type), 65535);
  EXPECT_NE(conv.diag.text().find("Writer schema is not loaded. Cannot decode record.\n"),
            std::string::npos);
  const Outcome bad = conv.schema(300, "{\"name\": \"rec35_sub300\"}");
  EXPECT_EQ(bad.status, 19);
  EXPECT_NE(conv.diag.text().find("Failed get_avro_schema_version() rec35_sub300 err = 19\n"),
            std::string::npos);
}

// Subtype 24 (library version 2) written by an older receiver (version 1:
// fields in another order, one field the library no longer has) and a newer
// one (version 3: one more field); both resolve into the library schema.
TEST(Record35Decode, ResolutionWithOlderAndNewerWriters) {
  const std::vector<std::pair<std::string, std::string>> older = {
      {"antenna_num", "\"long\""},
      {"gps_msecs", "\"long\""},
      {"old_field", "\"long\""},
      {"center_freq", "\"double\""},
      {"bin_size", "\"float\""},
      {"peak_freq", "\"double\""},
      {"peak_snr", "\"float\""},
      {"mean_val", "\"long\""},
      {"FreqData", "{\"type\": \"array\", \"items\": \"long\"}"}};
  auto newer = older;
  newer.erase(newer.begin() + 2);
  newer.push_back({"new_field", "\"double\""});
  for (int version : {1, 3}) {
    SCOPED_TRACE(version);
    const std::string text =
        writers::writer_schema("rec35_sub24", version, version == 1 ? older : newer);
    Conversion conv;
    conv.schema(24, text);
    const Bytes body = avro_body(text, [](avro_value_t* v) {
      writers::fill_sample(v, 40);
      writers::set_long(v, "gps_msecs", 123456);
      writers::set_long(v, "antenna_num", 2);
    });
    const Outcome o = conv.record(24, 1, body);
    ASSERT_EQ(o.status, 0) << conv.diag.text();
    EXPECT_TRUE(conv.assembly.states[d01ozu::subtype_index(24)]->decoder.resolved);
    EXPECT_EQ(native_field(conv, 24, 0).l, 123456);  // gps_msecs
    EXPECT_EQ(native_field(conv, 24, 7).l, 2);       // antenna_num
    EXPECT_EQ(native_field(conv, 24, 6).items.length, 2u);
    const bool warned = conv.diag.text().find("Upgrade your t01 library.") != std::string::npos;
    EXPECT_EQ(warned, version == 3);
  }
}

// A writer schema whose nested record lacks a field of the library's cannot
// be resolved: the record fails, nothing else does.
TEST(Record35Decode, WriterSchemaThatDoesNotResolve) {
  Conversion conv;
  std::string text = library_text(301);
  text.replace(text.find("\"version\": 1,"), 13, "\"version\": 2,");
  text.replace(text.find("week_number"), 11, "week_unmber");
  conv.schema(301, text);
  const Outcome o =
      conv.record(301, 1, avro_body(text, [](avro_value_t* v) { writers::fill_sample(v, 1); }));
  EXPECT_EQ(o.status, 19);
  EXPECT_EQ(conv.record(300, 1, longs_body(300, {1})).status, 19);  // no schema yet
  // A type name defined twice: refused before the Avro parser sees it.
  std::string twice = library_text(2);
  twice.replace(twice.find("\"version\": 9,"), 13, "\"version\": 6,");
  twice.replace(twice.find("rec35_sub2_position_t"), 21, "rec35_sub2_ins_data_t");
  const Bytes body = avro_body(library_text(2), fill_consistent);
  conv.schema(2, twice);
  EXPECT_EQ(conv.record(2, 1, body).status, 19);
  EXPECT_NE(conv.diag.text().find("Unable to parse writer schema\n"), std::string::npos);
}

TEST(Record35Decode, EqualVersionsUseTheLibrarySchemaAlone) {
  for (int version : {8, 9}) {
    Conversion conv;
    std::string text = library_text(2);
    text.replace(text.find("\"version\": 9,"), 13, "\"version\": " + std::to_string(version) + ",");
    conv.schema(2, text);
    EXPECT_EQ(conv.record(2, 1, avro_body(text, fill_consistent)).status, 0);
    EXPECT_EQ(conv.assembly.states[d01ozu::subtype_index(2)]->decoder.resolved, version == 8);
  }
}

TEST(Record35Decode, BodiesThatDoNotFitTheirSchema) {
  const Bytes huge_array = {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 2, 4, 6};
  const Bytes huge_bytes = {2, 4, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 'a'};
  Bytes truncated = avro_body(library_text(19), fill_consistent);
  truncated.resize(truncated.size() - 3);
  const struct {
    uint32_t subtype;
    Bytes body;
  } cases[] = {{300, huge_array}, {26, huge_bytes}, {19, truncated}, {300, {0x05}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subtype);
    Conversion conv;
    conv.schema(c.subtype, library_text(c.subtype));
    const Outcome o = conv.record(c.subtype, 1, c.body);
    EXPECT_EQ(o.status, 19);
    EXPECT_EQ(static_cast<uint16_t>(o.type), 65535);
    EXPECT_EQ(o.count, 0);
  }
}

// Arrays of numbers are walked a block at a time: every count must still be
// backed by bytes, whatever the item kind and block form.
TEST(Record35Decode, NumberArraysAgainstTheBodyLength) {
  const std::string schema =
      writers::writer_schema("numbers", 1,
                             {{"l", "{\"type\": \"array\", \"items\": \"long\"}"},
                              {"d", "{\"type\": \"array\", \"items\": \"double\"}"},
                              {"b", "{\"type\": \"array\", \"items\": \"boolean\"}"},
                              {"n", "{\"type\": \"array\", \"items\": \"null\"}"}});
  const Bytes eight(8, 0x40), ten_more(10, 0x80);
  auto body = [](std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  const struct {
    const char* what;
    Bytes body;
    bool fits;
  } cases[] = {
      {"all kinds", body({{4, 2, 0x81, 1, 0}, {2}, eight, {0}, {4, 1, 0, 0}, {0}}), true},
      {"sized blocks", body({{3, 4, 2, 4, 2, 6, 0}, {3, 32}, eight, eight, {0, 0, 0}}), true},
      {"varint cut", {4, 2, 0x81}, false},
      {"varint too long", body({{2}, ten_more, {1, 0, 0, 0, 0}}), false},
      {"doubles short", body({{0, 4}, eight, Bytes(7, 0), {0, 0, 0}}), false},
      {"booleans past the end", {0, 0, 6, 1, 1}, false},
      {"null items", {0, 0, 0, 2, 0}, false},
  };
  avro_schema_t parsed = nullptr;
  ASSERT_EQ(avro_schema_from_json_length(schema.data(), schema.size(), &parsed), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(d01ozu::BodyFitsSchema(parsed, c.body.data(), c.body.size()), c.fits);
  }
  avro_schema_decref(parsed);
}

// A writer schema may name itself: the check stays finite and refuses a
// body nested deeper than any library schema.
TEST(Record35Decode, SelfNamingSchemaBoundedByDepth) {
  const std::string schema =
      writers::writer_schema("node", 1, {{"v", "\"int\""}, {"next", "[\"null\", \"node\"]"}});
  avro_schema_t parsed = nullptr;
  ASSERT_EQ(avro_schema_from_json_length(schema.data(), schema.size(), &parsed), 0);
  for (int levels : {1, 10, 30}) {
    SCOPED_TRACE(levels);
    Bytes chain;
    for (int i = 1; i < levels; ++i) chain.insert(chain.end(), {0, 2});
    chain.insert(chain.end(), {0, 0});
    EXPECT_EQ(d01ozu::BodyFitsSchema(parsed, chain.data(), chain.size()), levels < 30);
    chain.pop_back();
    EXPECT_FALSE(d01ozu::BodyFitsSchema(parsed, chain.data(), chain.size()));
  }
  avro_schema_decref(parsed);
}

TEST(Record35Decode, SubtypesWithoutDecoder) {
  Conversion conv;
  const Bytes body(1000, 0x5A);
  const struct {
    uint64_t subtype, subsubtype;
    int type, count;
  } cases[] = {{13, 1, 35, 1000},
               {13, 0, 0, 0},
               {500, 2, 35, 1000},
               {0, 1, 35, 1000},
               {12345678, 1, 35, 1000}};
  for (const auto& c : cases) {
    const Outcome o = conv.record(c.subtype, c.subsubtype, body);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.type, c.type);
    EXPECT_EQ(o.count, c.count);
  }
  EXPECT_EQ(conv.content->subtype0_length, 1000u);
  EXPECT_EQ(conv.content->test_length, 800u);  // cut at the buffer's size
}

// Subtype 260 rebuilds its satellites from the column arrays; counts that
// disagree with the columns fail with error 20.
TEST(Record35Decode, FlattenedMeasurementDebugRecord) {
  const std::string text = library_text(260);
  auto body = [&](int64_t satellites, std::vector<int64_t> counts) {
    return avro_body(text, [&](avro_value_t* v) {
      writers::set_long(v, "receiveTime", 777);
      writers::set_long(v, "_Na", satellites);
      writers::set_longs(v, "_Na_Na", counts);
      for (const char* c : {"sv__meas__flags", "sv__meas__MPHat", "sv__meas__CCFiltCount"})
        writers::set_longs(v, c, {1, 2, 3});
      writers::set_longs(v, "sv__meas__CCDiff", {10, 20, int64_t{1} << 40});
    });
  };
  Conversion conv;
  conv.schema(260, text);
  ASSERT_EQ(conv.record(260, 1, body(2, {1, 2})).status, 0);
  const d01ozu::Sub260Native& n = *conv.content->sub260;
  EXPECT_EQ(n.receiveTime, 777);
  ASSERT_EQ(n.sv.length, 2u);
  ASSERT_EQ(n.sv.d[1].meas.length, 2u);
  EXPECT_EQ(n.sv.d[0].meas.d[0].CCDiff, 10);
  EXPECT_EQ(n.sv.d[1].meas.d[1].CCDiff, int64_t{1} << 40);
  // Delta records keep the counts and columns consistent as well.
  EXPECT_EQ(conv.record(260, 2, body(0, {0, 0})).status, 0);
  EXPECT_EQ(conv.content->sub260->sv.d[1].meas.d[1].CCDiff, 2 * (int64_t{1} << 40));
  EXPECT_EQ(conv.record(260, 1, body(2, {1, 1})).status, 20);
  EXPECT_EQ(conv.record(260, 1, body(3, {1, 2})).status, 20);
}

TEST(Record35Decode, EmptyBytesDecodeToEmptyBuffers) {
  Conversion conv;
  const std::string text = library_text(304);
  conv.schema(304, text);
  const Bytes body = avro_body(text, [](avro_value_t* v) {
    avro_value_t f = writers::field(v, "byte_array");
    avro_value_set_bytes(&f, const_cast<char*>(""), 0);
  });
  ASSERT_EQ(body, (Bytes{0, 0}));
  ASSERT_EQ(conv.record(304, 1, body).status, 0);
  EXPECT_EQ(native_field(conv, 304, 0).bytes.length, 0u);
  EXPECT_EQ(native_field(conv, 304, 1).items.length, 0u);
}

}  // namespace
