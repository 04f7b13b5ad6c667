// Application file reassembly from type-31 parts and the APP file packets.
#include "output/app_file.h"

#include <gtest/gtest.h>

#include "testdata/session_records.h"
#include "tests/test_support.h"

namespace d01ozu {
namespace {

using testsupport::Bytes;

void feed(AppBuffer& app, const std::vector<Bytes>& parts) {
  for (const Bytes& p : parts) collect_app_part(app, p.data(), p.size());
}

// Writes the APP file of app and returns its bytes (status into status).
Bytes app_file_bytes(const AppBuffer& app, StatusCode& status) {
  testsupport::TempDir dir;
  std::string path = dir.file("x.cfg");
  OutFile out;
  EXPECT_TRUE(out.open(path.c_str(), "wb"));
  status = write_app_file(out, app);
  out.close();
  return testsupport::read_file(path);
}

// Checks the packet at offset at: header, chunk, checksum and ETX; returns
// the offset of the next packet.
size_t check_packet(const Bytes& f, size_t at, const Bytes& data, size_t k, size_t last) {
  size_t c = std::min<size_t>(245, data.size() - 245 * k);
  EXPECT_EQ(Bytes(f.begin() + at, f.begin() + at + 7),
            (Bytes{2, 0, 0x64, static_cast<uint8_t>(c + 3), 0, static_cast<uint8_t>(k),
                   static_cast<uint8_t>(last)}));
  EXPECT_EQ(Bytes(f.begin() + at + 7, f.begin() + at + 7 + c),
            Bytes(data.begin() + 245 * k, data.begin() + 245 * k + c));
  uint8_t sum = 0;
  for (size_t i = at + 1; i < at + 7 + c; ++i) sum += f[i];
  EXPECT_EQ(f[at + 7 + c], sum);
  EXPECT_EQ(f[at + 8 + c], 3);
  return at + 9 + c;
}

// Feeds a file of n bytes in parts and checks the whole APP file.
void check_app_file(size_t n, size_t part_size, size_t packets, uint16_t word) {
  Bytes data = writers::app_file_data(n);
  AppBuffer app;
  feed(app, writers::app_parts(data, part_size));
  StatusCode status = 99;
  Bytes f = app_file_bytes(app, status);
  EXPECT_EQ(status, kStatusOk);
  ASSERT_EQ(f.size(), 2 + n + 9 * packets);
  EXPECT_EQ(f[0] | f[1] << 8, word);
  size_t at = 2;
  for (size_t k = 0; k < packets; ++k) at = check_packet(f, at, data, k, packets - 1);
  EXPECT_EQ(at, f.size());
}

TEST(AppFile, PacketBoundaries) {
  check_app_file(245, 100, 1, 254);
  check_app_file(246, 200, 2, 246 + 18);
  check_app_file(500, 120, 3, 527);
  check_app_file(1, 1, 1, 10);
}

// Each application file replaces the one before, also one left at overflow;
// one whose last part never came is zero-filled at its end.
TEST(AppFile, LaterFilesReplaceEarlierOnes) {
  AppBuffer app;
  StatusCode status;
  feed(app, writers::app_parts(writers::app_file_data(300), 200));
  feed(app, {writers::app_part(50, true, Bytes(60, 1))});   // runs past its own file
  feed(app, {writers::app_part(50, false, Bytes(20, 2))});  // fits, but the file is spoilt
  EXPECT_TRUE(app_file_bytes(app, status).empty());
  EXPECT_EQ(status, kStatusAppInvalid);
  Bytes data = writers::app_file_data(100);
  std::vector<Bytes> parts = writers::app_parts(data, 40);
  parts.pop_back();  // the part with flag 0 never arrives
  feed(app, parts);
  Bytes f = app_file_bytes(app, status);
  EXPECT_EQ(status, kStatusOk);
  ASSERT_EQ(f.size(), 2u + 100 + 9);
  EXPECT_EQ(f[2 + 7 + 79], data[79]);
  EXPECT_EQ(Bytes(f.begin() + 2 + 7 + 80, f.end() - 2), Bytes(20, 0));
}

// No part, an empty file, a part whose data the frame does not hold, no file.
TEST(AppFile, NothingToWriteOrRefused) {
  AppBuffer app;
  StatusCode status;
  EXPECT_TRUE(app_file_bytes(app, status).empty());
  EXPECT_EQ(status, kStatusAppNoInfo);
  feed(app, {writers::app_part(0, false, Bytes{})});
  EXPECT_TRUE(app_file_bytes(app, status).empty());
  EXPECT_EQ(status, kStatusOk);
  Bytes part = writers::app_part(100, false, Bytes(20, 9));
  part[6] = 120;  // announces more data bytes than the frame holds
  collect_app_part(app, part.data(), part.size());
  app_file_bytes(app, status);
  EXPECT_EQ(status, kStatusAppInvalid);
  OutFile closed;
  EXPECT_EQ(write_app_file(closed, app), kStatusAppNotOpen);
}

}  // namespace
}  // namespace d01ozu
