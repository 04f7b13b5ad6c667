// The library's schema texts, generated from the subtype table, and the
// version scan that reads writer and library schemas.
#include <avro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "records/record35/avro_copy.h"
#include "records/record35/native_sub19.h"
#include "records/record35/position_fields.h"
#include "records/record35/schema_node.h"
#include "records/record35/schema_version.h"
#include "tests/record35_fixture.h"

namespace {

using d01ozu::SubtypeSchema;

SubtypeSchema schema_of(uint32_t subtype) {
  SubtypeSchema s;
  const int index = d01ozu::subtype_index(subtype);
  EXPECT_GE(index, 0);
  EXPECT_TRUE(d01ozu::BuildSubtypeSchema(d01ozu::subtype_rows()[index], &s));
  return s;
}

int64_t scan(const std::string& text, uint8_t* error,
             const d01ozu::DiagnosticSink& sink = d01ozu::DiagnosticSink{}) {
  int64_t v = -1;
  *error = 0;
  d01ozu::get_avro_schema_version(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &v,
                                  error, sink);
  return v;
}

TEST(Record35Schema, EveryTextParsesInItsMemberOrderWithCrlfLines) {
  for (int i = 0; i < d01ozu::kRec35SubtypeCount; ++i) {
    const d01ozu::SubtypeRow& row = d01ozu::subtype_rows()[i];
    SCOPED_TRACE(row.subtype);
    SubtypeSchema s;
    ASSERT_TRUE(d01ozu::BuildSubtypeSchema(row, &s));
    const std::string& t = s.text;
    avro_schema_t parsed = nullptr;
    ASSERT_EQ(
        avro_schema_from_json(t.c_str(), static_cast<int32_t>(t.size() + 1), &parsed, nullptr), 0)
        << avro_strerror();
    EXPECT_EQ(std::string(avro_schema_name(parsed)), "rec35_sub" + std::to_string(row.subtype));
    EXPECT_EQ(avro_schema_record_size(parsed), s.root.children.size());
    EXPECT_TRUE(d01ozu::ReaderNamesMatch(s.root, parsed));
    avro_schema_decref(parsed);
    size_t at = 0;
    for (const char* member : {"\"type\": \"record\"", "\"name\": ",
                               "\"namespace\": "
                               "\"com.orvane.t04.avro\"",
                               "\"version\": ", "\"description\": ", "\"fields\": ["}) {
      const size_t found = t.find(member, at);
      ASSERT_NE(found, std::string::npos) << member;
      at = found;
    }
    for (size_t n = t.find('\n'); n != std::string::npos; n = t.find('\n', n + 1))
      ASSERT_EQ(t[n - 1], '\r');
    uint8_t error = 0;
    EXPECT_EQ(scan(t, &error), row.version);
  }
}

TEST(Record35Schema, NestedTypesAreNamedAndReferredToByNameWhenUsedAgain) {
  const std::string t2 = schema_of(2).text;
  EXPECT_NE(t2.find("\"name\": \"rec35_sub2_header_t\""), std::string::npos);
  EXPECT_EQ(t2.find("\"name\": \"rec35_sub2_ENU_covariance_t\""),
            t2.rfind("\"name\": \"rec35_sub2_ENU_covariance_t\""));
  EXPECT_NE(t2.find("\"items\": \"rec35_sub2_ENU_covariance_t\""), std::string::npos);
  EXPECT_NE(schema_of(15).text.find("\"items\": \"rec35_sub15_att_t\""), std::string::npos);
  EXPECT_NE(schema_of(301).text.find("\"name\": \"test_t\""), std::string::npos);
}

TEST(Record35Schema, FieldPositionsTheConvertersUse) {
  const SubtypeSchema s19 = schema_of(19);
  ASSERT_EQ(s19.root.children.size(), size_t{d01ozu::k19FieldCount});
  EXPECT_EQ(s19.root.children[d01ozu::k19NbNa].name, "_Nb_Na");
  EXPECT_EQ(s19.root.children[d01ozu::k19Doppler].name, "sv__meas__doppler");
  EXPECT_EQ(s19.root.children[d01ozu::k19Phase].children[0].method, 1);
  EXPECT_EQ(s19.root.children[d01ozu::k19Doppler].children[0].method, -1);
  EXPECT_EQ(s19.root.children[d01ozu::k19BlockType].count_field, int{d01ozu::k19NbNa});
  EXPECT_EQ(s19.root.children[d01ozu::k19SvId].count_field, int{d01ozu::k19Nb});
  EXPECT_EQ(s19.root.children[d01ozu::k19ClkType].count_field, int{d01ozu::k19Na});
  const SubtypeSchema s2 = schema_of(2), s16 = schema_of(16);
  const auto& pos2 = s2.root.children[d01ozu::kPosList].children[0].children;
  EXPECT_EQ(pos2[d01ozu::k2Svs].name, "svs");
  EXPECT_EQ(pos2[d01ozu::k2UnitSd].name, "unitStandardDeviation");
  const auto& pos16 = s16.root.children[d01ozu::kPosList].children[0].children;
  EXPECT_EQ(pos16[d01ozu::k16Svs].name, "svs");
  EXPECT_EQ(pos16[d01ozu::k16CorrAge].name, "corrAge");
  EXPECT_EQ(schema_of(306).root.children[0].children[0].method, 1);
  EXPECT_EQ(schema_of(305).root.children[0].children[0].method, -1);
}

// A reader schema whose names differ from the table's (here at the top, in a
// record inside an array and in a flattened column): the check made once per
// decoder finds it, and the copy reports the differing field as a check of
// every field would.
TEST(Record35Schema, ReaderFieldNamesThatDiffer) {
  const struct {
    uint32_t subtype;
    const char *from, *to, *message;
  } cases[] = {
      {300, "\"week_number\"", "\"week\"",
       "Desired name = week_number. Obtained name = week. Fail. \n"},
      {2, "\"svId\"", "\"svNo\"", "Desired name = svId. Obtained name = svNo. Fail. \n"},
      {19, "\"sv__meas__doppler\"", "\"doppler\"",
       "Desired name = sv__meas__doppler. Obtained name = doppler. Fail. \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subtype);
    const SubtypeSchema s = schema_of(c.subtype);
    std::string text = s.text;
    text.replace(text.find(c.from), std::strlen(c.from), c.to);
    avro_schema_t schema = nullptr;
    ASSERT_EQ(avro_schema_from_json_length(text.data(), text.size(), &schema), 0);
    EXPECT_FALSE(d01ozu::ReaderNamesMatch(s.root, schema));
    avro_value_iface_t* iface = avro_generic_class_from_schema(schema);
    avro_value_t value;
    ASSERT_EQ(avro_generic_value_new(iface, &value), 0);
    writers::fill_sample(&value, 1);
    d01ozu::IntermediateRecord out;
    rec35test::Diagnostics diag;
    uint8_t error = 0;
    EXPECT_FALSE(d01ozu::CopyAvroRecord(s.root, &value, &out.root, d01ozu::CopyPass::kAll,
                                        d01ozu::ReaderNamesMatch(s.root, schema), &error,
                                        diag.sink));
    EXPECT_EQ(error, 19);
    EXPECT_EQ(diag.text(), c.message);
    avro_value_decref(&value);
    avro_value_iface_decref(iface);
    avro_schema_decref(schema);
  }
}

TEST(Record35Schema, VersionScan) {
  struct Case {
    const char* text;
    int64_t version;  // -1: refused
    const char* message;
  };
  const Case cases[] = {
      {"{\"version\": 3, \"x\": 1}", 3, ""},
      {"{\"version\":  42 ,\"x\": 1}", 42, ""},
      {"{\"version\":3, \"x\": 1}", -1, ""},  // one byte between colon and comma
      {"{\"version\": 0, \"x\": 1}", -1, "get_avro_schema_version() read an invalid version: 0.\n"},
      {"{\"version\": 70000, \"x\": 1}", -1,
       "get_avro_schema_version() read an invalid version: 70000.\n"},
      {"{\"versions\": 3, \"x\": 1}", -1, ""},  // the quotes belong to the key
      {"{\"name\": \"x\", \"y\": 1}", -1, ""},
      {"{\"version\": 3}", -1, ""},  // no comma after the number
      {"\"version\"", -1, ""},       // eight bytes or fewer... or no colon
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    rec35test::Diagnostics diag;
    uint8_t error = 0;
    const int64_t v = scan(c.text, &error, diag.sink);
    if (c.version < 0) {
      EXPECT_EQ(error, 19);
    } else {
      EXPECT_EQ(v, c.version);
      EXPECT_EQ(error, 0);
    }
    EXPECT_EQ(diag.text(), c.message);
  }
}

}  // namespace
