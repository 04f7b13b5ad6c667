// Record-35 page assembly: the decision table over the collecting flag and
// the page code, ids repeated on every page, and the records that end an
// open record.
#include <gtest/gtest.h>

#include "tests/record35_fixture.h"

namespace {

using rec35test::Conversion;
using writers::Bytes;
using writers::record35_page;

struct PageCase {
  const char* name;
  bool collecting;  // a first page was taken before
  uint8_t code;
  bool same_ids;
  int result;
  int status;
  size_t body;  // body length after the page
};

TEST(Record35Assembly, DecisionTable) {
  const PageCase cases[] = {
      {"whole", false, 0, true, 35, 0, 3},
      {"first", false, 1, true, 0, 0, 3},
      {"middle alone", false, 2, true, -1, 18, 0},
      {"last alone", false, 3, true, -1, 18, 0},
      {"whole in a record", true, 0, true, 35, 18, 3},
      {"first in a record", true, 1, true, 0, 18, 3},
      {"middle", true, 2, true, 0, 0, 6},
      {"last", true, 3, true, 35, 0, 6},
      {"middle of another", true, 2, false, -1, 18, 0},
      {"last of another", true, 3, false, -1, 18, 0},
  };
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.name);
    Conversion conv;
    d01ozu::ReaderStatus status = 0;
    if (c.collecting) {
      ASSERT_EQ(conv.page(record35_page(1, 19, 1, Bytes{1, 2, 3}), &status), 0);
    }
    const uint64_t subtype = c.same_ids ? 19 : 20;
    EXPECT_EQ(conv.page(record35_page(c.code, subtype, 1, Bytes{4, 5, 6}), &status), c.result);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(conv.assembly.body.length, c.body);
    // A mismatched page keeps the ids of the record it interrupted.
    if (!c.same_ids) {
      EXPECT_EQ(conv.content->subtype, 19u);
    }
  }
}

TEST(Record35Assembly, PagesJoinIntoOneBodyWithLongIds) {
  Conversion conv;
  Bytes body;
  for (int i = 0; i < 2500; ++i) body.push_back(static_cast<uint8_t>(i * 7));
  d01ozu::ReaderStatus status = 0;
  int result = 0;
  const auto pages = writers::record35_pages(uint64_t{1} << 40, 300, body, 1000);
  ASSERT_EQ(pages.size(), 3u);
  for (const Bytes& p : pages) result = conv.page(p, &status);
  EXPECT_EQ(result, 35);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(conv.content->subtype, uint64_t{1} << 40);
  EXPECT_EQ(conv.content->subsubtype, 300u);
  ASSERT_EQ(conv.assembly.body.length, body.size());
  EXPECT_EQ(Bytes(conv.assembly.body.data, conv.assembly.body.data + body.size()), body);
}

TEST(Record35Assembly, EmptyBodyIsError7) {
  Conversion conv;
  d01ozu::ReaderStatus status = 0;
  EXPECT_EQ(conv.page(record35_page(0, 19, 1, Bytes{}), &status), -1);
  EXPECT_EQ(status, 7);
}

TEST(Record35Assembly, OtherRecordEndsAnOpenRecord) {
  for (int type : {27, 65535}) {
    Conversion conv;
    d01ozu::ReaderStatus status = 0;
    conv.page(record35_page(1, 19, 1, Bytes{1}), &status);
    const Bytes other{2, 7, static_cast<uint8_t>(type), 0, 0, 0, 3};
    EXPECT_EQ(conv.page(other, &status, type), type);
    EXPECT_EQ(status, type == 65535 ? 0 : 18);
    EXPECT_FALSE(conv.assembly.open);
    EXPECT_EQ(conv.diag.text(), "Incomplete record 35. Dump partial record.\n");
  }
}

TEST(Record35Assembly, OtherRecordsPassWhileNoneIsOpen) {
  Conversion conv;
  d01ozu::ReaderStatus status = 0;
  const Bytes other{2, 7, 27, 0, 0, 0, 3};
  EXPECT_EQ(conv.page(other, &status, 27), 27);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(d01ozu::AssembleRecord35(conv.assembly, nullptr, other.data(), 7, 35, &status), -1);
  EXPECT_EQ(status, 17);
}

}  // namespace
