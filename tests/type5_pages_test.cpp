// Raw type-5 pages: each page's structure, the page-0 text and page-7 list
// limits, and the binary message records that the pages replace.
#include <gtest/gtest.h>

#include <string>

#include "output/binary_messages.h"
#include "records/type5_converter.h"
#include "testdata/position_records.h"
#include "testdata/t0x_writers.h"
#include "tests/dat_fixture.h"
#include "tests/expand_harness.h"

namespace {

using dattest::Le;
using writers::Bytes;

// The structure a page gives, padded to its 106 bytes.
Bytes structure(const Le& fields) {
  Bytes b = fields.data();
  b.resize(d01ozu::kType5Size, 0);
  return b;
}

writers::Type5Page0 page0(const std::string& long_name) {
  writers::Type5Page0 p;
  p.kind = 3;
  p.position = {0.25, -0.5, 312.5, 1.25};
  p.unit = 2;
  p.long_flag = 1;
  p.text = long_name;
  return p;
}

Bytes page0_fields(const std::string& kept) {
  Le f;
  f.le16(0x0100).text("BASE", 5).u8(3);
  for (double v : {0.25, -0.5, 312.5, 1.25}) f.f64(v);
  f.u8(2).u8(1).u8(static_cast<unsigned>(kept.size())).text(kept, kept.size());
  return structure(f);
}

writers::Type5Page1 page1() {
  writers::Type5Page1 p;
  p.word = 0x0203;
  p.session = "233A";
  p.flag = 1;
  p.words = {61, 600, 75, 590, 2087, 2020, 1, 5, 150};
  p.bytes = {10, 4, 1, 1, 0, 1, 1, 0xA1, 1, 0xC1};
  p.raw = {0xB1, 0xB2, 0xB3, 0};
  p.value = 2.5;
  p.longs = {11, 12, 13};
  p.last = 0xC2;
  return p;
}

writers::Type5Page2 page2() {
  writers::Type5Page2 p;
  p.words = {0, 312, 44, 3, 11, 1};
  p.antenna = "        77";
  p.receiver = "0000004455";
  p.bytes = {5, 0x31, 1, 1, 1, 0xC3, 0xC4, 0x32};
  p.value = 40.0;
  p.long_value = 14;
  p.word = 0x1234;
  p.last = {0xD1, 0xD2};
  return p;
}

writers::Type5Page3 page3() {
  writers::Type5Page3 p;
  p.word = 7;
  for (int i = 0; i < 12; ++i) p.values[i] = 0.5 * (i + 1);
  p.fixes = {70000, 5};
  return p;
}

struct PageCase {
  const char* name;
  Bytes frame;
  Bytes expected;  // the 106-byte structure
};

std::vector<PageCase> page_cases() {
  Le p1;
  p1.le16(0x0203).text("233A", 5).u8(1);
  for (unsigned w : {61, 600, 75, 590, 2087, 2020, 1, 5, 150}) p1.le16(w);
  p1.bytes({10, 4, 1, 1, 0, 1, 1, 0xA1, 1, 0xC1, 0xB1, 0xB2, 0xB3, 0}).f64(2.5);
  p1.le32(11).le32(12).le32(13).u8(0xC2);
  Le p2;
  for (unsigned w : {0, 312, 44, 3, 11, 1}) p2.le16(w);
  p2.text("        77", 12).text("0000004455", 12);
  p2.bytes({5, 0x31, 1, 1, 1, 0xC3, 0xC4, 0x32}).f64(40.0).le32(14).le16(0x1234).u8(0xD1).u8(0xD2);
  Le p3;
  p3.le16(7);
  for (int i = 0; i < 12; ++i) p3.f64(0.5 * (i + 1));
  p3.le32(70000).le32(5);
  const writers::Type5Page4 four{0, {1, 2, 3, 4}, {5, 6, 7, 8}};
  const writers::Type5Page4 five{0, {9, 8}, {1, 2, 3, 4, 5, 0xA0B0C0D0}};
  writers::Type5Page6 six{{0, 4}, {0x01020304, 2, 3, 4}};
  writers::Type5Page7 seven{0x0102, 1.5, {{1, 2}, {3, 4}, {5, 6}}, -1};
  Le p4, p5, p6, p7;
  p4.le16(0).bytes({1, 2, 3, 4}).le32(5).le32(6).le32(7).le32(8);
  p5.le16(0).bytes({9, 8}).le32(1).le32(2).le32(3).le32(4).le32(5).le32(0xA0B0C0D0);
  p6.le16(0).le16(4).le32(0x01020304).le32(2).le32(3).le32(4);
  p7.le16(0x0102).f64(1.5).le16(3).bytes({1, 2, 3, 4, 5, 6});
  return {{"page 0", writers::type5_page(page0("Hilltop")), page0_fields("Hilltop")},
          {"page 1", writers::type5_page(page1()), structure(p1)},
          {"page 2", writers::type5_page(page2()), structure(p2)},
          {"page 3", writers::type5_page(page3()), structure(p3)},
          {"page 4", writers::type5_page(4, four), structure(p4)},
          {"page 5", writers::type5_page(5, five), structure(p5)},
          {"page 6", writers::type5_page(six), structure(p6)},
          {"page 7", writers::type5_page(seven), structure(p7)},
          {"page 9", writers::raw_frame(5, 9, Bytes(13, 0x55)), Bytes(106, 0)}};
}

TEST(Type5Pages, EveryPageFillsItsStructureAndHeader) {
  for (const PageCase& t : page_cases()) {
    d01ozu::Type5Record r;
    uint8_t header[4] = {};
    const uint16_t n = d01ozu::ConvertType5(t.frame.data(), t.frame.size(), r, header);
    EXPECT_EQ(n, t.frame.size() - 3) << t.name;
    EXPECT_EQ(Bytes(header, header + 4), (Bytes{0x74, static_cast<uint8_t>(n), t.frame[3], 5}))
        << t.name;
    EXPECT_EQ(Bytes(r.bytes, r.bytes + sizeof r.bytes), t.expected) << t.name;
  }
}

// The page-0 text is cut to its 63 bytes of room; the other limits refuse the
// record (count 0), and a refused record leaves no page behind.
TEST(Type5Pages, TextListAndFrameLimits) {
  const std::string long_name(70, 'N');
  d01ozu::Type5Record r;
  uint8_t header[4];
  Bytes cut = writers::type5_page(page0(long_name));
  ASSERT_EQ(d01ozu::ConvertType5(cut.data(), cut.size(), r, header), cut.size() - 3);
  EXPECT_EQ(Bytes(r.bytes, r.bytes + 106), page0_fields(std::string(63, 'N')));

  writers::Type5Page0 past = page0("Hill");
  past.declared_length = 5;  // one byte more than the frame holds
  writers::Type5Page7 over{0, 0, std::vector<std::array<uint8_t, 2>>(48), -1};
  writers::Type5Page7 full{0, 0, std::vector<std::array<uint8_t, 2>>(47, {7, 8}), -1};
  Bytes short_page1 = writers::type5_page(page1());
  short_page1.erase(short_page1.end() - 4);  // the last byte of the page
  short_page1[1] = static_cast<uint8_t>(short_page1.size());
  const struct {
    Bytes frame;
    bool converted;
  } cases[] = {{writers::type5_page(past), false},
               {writers::type5_page(over), false},
               {short_page1, false},
               {writers::type5_page(full), true}};
  for (const auto& t : cases) {
    const uint16_t n = d01ozu::ConvertType5(t.frame.data(), t.frame.size(), r, header);
    EXPECT_EQ(n != 0, t.converted) << int{t.frame[3]};
    if (!t.converted) {
      EXPECT_EQ(Bytes(r.bytes, r.bytes + 106), Bytes(106, 0));
    }
  }
  EXPECT_EQ(r.bytes[12 + 2 * 46 + 1], 8);
}

Bytes binary_page(int page, const d01ozu::RecordProcessor& rp) {
  uint8_t out[128] = {};
  d01ozu::RunInfo run;
  d01ozu::build_binary_message(page, rp, run, out);
  return Bytes(out, out + out[1]);
}

// Pages 6, 0, 1, 2 and 3 that arrived as type-5 records become the binary
// message records of those pages, cut to their length; pages 4, 5, 7 and
// above change none, and a later record of a page replaces the earlier one.
TEST(Type5Pages, ArrivedPagesReplaceTheirBinaryMessageRecords) {
  auto c = d01ozu::CreateExpansionContext();
  dattest::Processor with, without;
  for (const PageCase& t : page_cases())
    if (t.frame[3] != 0) {
      ASSERT_EQ(expandtest::feed(*c, with, t.frame), 0) << t.name;
    }
  ASSERT_EQ(expandtest::feed(*c, with, writers::type5_page(page0("Old name"))), 0);
  ASSERT_EQ(expandtest::feed(*c, with, writers::type5_page(page0(std::string(60, 'L')))), 0);
  ASSERT_EQ(expandtest::feed(*c, with, writers::raw_frame(5, 131, Bytes(40, 1))), 0);
  for (int i = 0; i < 5; ++i) {
    const int page = d01ozu::kBinaryMessagePages[i];
    const size_t length = d01ozu::kBinaryMessageLengths[i];
    Bytes expected{0x74, static_cast<uint8_t>(length), static_cast<uint8_t>(page), 5};
    for (const PageCase& t : page_cases())
      if (t.frame[3] == page && page != 0) writers::append(expected, t.expected);
    if (page == 0) writers::append(expected, page0_fields(std::string(60, 'L')));
    expected.resize(length);
    EXPECT_EQ(binary_page(page, *with.rp), expected) << page;
  }
  // The processor that saw no type-5 record writes the run state's pages.
  EXPECT_EQ(binary_page(6, *without.rp),
            (Le().u8(0x74).u8(24).u8(6).u8(5).le16(0).le16(4).zeros(16).data()));
}

}  // namespace
