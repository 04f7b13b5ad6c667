// Status texts, the catalogue with its fallbacks, error lines and the console
// progress line.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/messages.h"

namespace rawsplit {
namespace {

std::string Status(d01ozu::StatusCode code) {
  char text[128];
  return StatusMessage(code, text, sizeof text);
}

TEST(Messages, StatusTextsAndUnknownCodes) {
  EXPECT_EQ(Status(0), "None");
  EXPECT_EQ(Status(17), "Unable to locate/open source R00/T00 file");
  EXPECT_EQ(Status(19), "Measurement records out of sequence");
  EXPECT_EQ(Status(20), "Unable to open summary TXT file");
  EXPECT_EQ(Status(23), "Unable to resync to a record");
  EXPECT_EQ(Status(30), "Error encountered while expanding measurement records");
  // 31 has no catalogue entry: its built-in default is shown.
  EXPECT_EQ(Status(31), "T02 files not supported in this version of the T01 library");
  EXPECT_EQ(Status(22), "Unknown error [22]");
  EXPECT_EQ(Status(32), "Unknown error [32]");
  EXPECT_EQ(Status(300), "Unknown error [300]");
}

TEST(Messages, CatalogueFirstDefaultOnlyWhenMissingAndCut) {
  char text[64];
  EXPECT_STREQ(LoadMessage(110, text, sizeof text, "default"), "Record id: %3d   Position: %08X");
  EXPECT_STREQ(LoadMessage(124, text, sizeof text, DefaultMessage(124)),
               "T02 files not supported in this version of the T01 library");
  EXPECT_STREQ(LoadMessage(555, text, sizeof text, "fallback"), "fallback");
  EXPECT_STREQ(LoadMessage(101, text, 5, nullptr), "raws");
}

std::vector<std::pair<int, std::string>> g_lines;
void Capture(int level, const char* text, uint32_t user) {
  EXPECT_EQ(user, 77u);
  g_lines.emplace_back(level, text);
}

TEST(Messages, ErrorLineAndFormattedMessagesGoToTheSink) {
  auto cx = std::make_unique<ConversionContext>();
  cx->message_sink = Capture;
  cx->message_user = 77;
  g_lines.clear();
  PrintError(*cx, 29);
  Say(*cx, 2, kMsgRecordTime, 17, 0x2A3Cu, 123456.5);
  Say(*cx, 1, kMsgRecords, 42L);
  ASSERT_EQ(g_lines.size(), 3u);
  EXPECT_EQ(g_lines[0].first, 2);
  EXPECT_EQ(g_lines[0].second,
            "rawsplit:  error  : One or more errors encountered, but either ignored or skipped");
  EXPECT_EQ(g_lines[1].second, "Record id:  17   Position: 00002A3C   Time: 123456.500");
  EXPECT_EQ(g_lines[2].second, "rawsplit:  records: 42");
}

TEST(Messages, ConsoleProgressOnlyFromLevelThree) {
  int16_t verbose = 2;
  uint8_t abort = 0;
  testing::internal::CaptureStdout();
  ConsoleProgress(&abort, 40, nullptr, &verbose);
  verbose = 3;
  ConsoleProgress(&abort, 41, nullptr, &verbose);
  ConsoleProgress(&abort, 42, "file two", &verbose);
  abort = 1;
  ConsoleProgress(&abort, 43, nullptr, &verbose);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Progress: 41 %\nProgress: 42 %, file two\nABORT -- Progress: 43 %\n");
}

}  // namespace
}  // namespace rawsplit
