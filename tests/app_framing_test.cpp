// Input kind detection, frame checks and resynchronisation on R00 input.
#include <gtest/gtest.h>

#include <memory>

#include "datstream/output_set.h"
#include "datstream/r00_framing.h"
#include "datstream/record_processor.h"
#include "tests/test_support.h"
#include "writers/frame_writer.h"

namespace d01ozu {
namespace {

using testsupport::TempDir;
using writers::Bytes;

class Framing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(OpenConversion(handle, rp), kStatusOk);
    ASSERT_EQ(OpenOutput(handle.get(), kOutputDat, dir.file("out.tg!").c_str()), kStatusOk);
  }
  void TearDown() override { CloseConversion(handle); }

  // Opens an input file holding data.
  InputStream& Input(const Bytes& data) {
    testsupport::write_file(dir.file("in.r00"), data);
    input = std::make_unique<InputStream>();
    input->open(dir.file("in.r00").c_str());
    return *input;
  }
  StatusCode Check(const Bytes& f) { return check_frame(rp, handle.get(), f.data(), f.size()); }

  TempDir dir;
  RecordProcessor rp;
  OutputSetPtr handle;
  std::unique_ptr<InputStream> input;
};

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) writers::append(out, p);
  return out;
}

TEST_F(Framing, DetectsInputKindsByTheirFirstBytes) {
  uint8_t tail[kR00TailSize];
  uint16_t kind = 99;
  EXPECT_EQ(detect_input_header(nullptr, tail, kind), kStatusNoInput);

  InputStream& r00 = Input(writers::r00_header(29, 310, 120));
  EXPECT_EQ(detect_input_header(&r00, tail, kind), kStatusOk);
  EXPECT_EQ(kind, kHeaderR00);
  EXPECT_EQ(r00.tell(), 39u);
  EXPECT_EQ(tail[0], 29);
  EXPECT_EQ(tail[2] | tail[3] << 8, 310);

  writers::Payload file_record;
  file_record.u8(0).text("ORVN", 4).u8(0).bytes({1, 2, 3});
  EXPECT_EQ(detect_input_header(&Input(writers::frame(30, file_record)), tail, kind), kStatusOk);
  EXPECT_EQ(kind, kHeaderT00);

  Bytes t02{0, 0, 0, 0, 0x74, 0xBA, 0x79, 0x4B, 0xCF, 0x6B};
  EXPECT_EQ(detect_input_header(&Input(t02), tail, kind), kStatusOk);
  EXPECT_EQ(kind, kHeaderT02);
  Bytes t04{9, 9, 9, 9, 0xD1, 0x60, 0x42, 0x2E, 0xF8, 0xF9, 7};
  EXPECT_EQ(detect_input_header(&Input(t04), tail, kind), kStatusOk);
  EXPECT_EQ(kind, kHeaderT04);

  Bytes damaged = writers::r00_header(5, 1, 1);
  damaged[20] = 'x';  // the text must end in a NUL
  EXPECT_EQ(detect_input_header(&Input(damaged), tail, kind), kStatusBadHeader);
  EXPECT_EQ(kind, kHeaderNone);
  EXPECT_EQ(detect_input_header(&Input(Bytes{2, 15, 30}), tail, kind), kStatusBadHeader);
}

TEST_F(Framing, CheckFrameRefusesDamagedFrames) {
  Bytes good = writers::message_frame(0, "TEXT");
  EXPECT_EQ(check_frame(rp, nullptr, good.data(), good.size()), kStatusNotOpened);
  EXPECT_EQ(Check(good), kStatusOk);

  Bytes no_stx = good;
  no_stx[0] = 0;
  EXPECT_EQ(Check(no_stx), kStatusNoStx);
  EXPECT_EQ(Check(writers::frame_bad_checksum(16, Bytes{0, 1})), kStatusBadChecksum);
  Bytes no_etx = good;
  no_etx.back() = 0x04;
  EXPECT_EQ(Check(no_etx), kStatusNoEtx);

  // Types 64 to 67, 74 and 75 carry their own checks: the frame reaches the
  // processor whatever its checksum and last byte.
  for (uint8_t type : {64, 65, 66, 67, 74, 75}) {
    Bytes f = writers::frame_bad_checksum(type, Bytes(type >= 74 ? 300 : 20, 0));
    f.back() = 0;
    const int32_t handed = rp.records_handed;
    Check(f);
    EXPECT_EQ(rp.records_handed, handed + 1) << int(type);
  }
  // ...but type 117 is checked like the rest.
  const int32_t handed = rp.records_handed;
  EXPECT_EQ(Check(writers::frame_bad_checksum(117, Bytes(280, 0))), kStatusBadChecksum);
  EXPECT_EQ(rp.records_handed, handed);

  handle->file(kOutputDat).close();
  EXPECT_EQ(Check(good), kStatusDatNotOpen);
}

TEST_F(Framing, LongTypesAddTwoHundredFiftySixToTheLengthByte) {
  Bytes f = writers::frame(117, Bytes(266, 0));
  ASSERT_EQ(f.size(), 272u);
  ASSERT_EQ(f[1], 0x10);
  EXPECT_EQ(check_frame(rp, handle.get(), f.data(), f.size() - 1), kStatusNoEtx);
  EXPECT_EQ(rp.records_handed, 0);
  StatusCode st = Check(f);
  EXPECT_NE(st, kStatusNoEtx);
  EXPECT_NE(st, kStatusBadChecksum);
  EXPECT_EQ(rp.records_handed, 1);
}

TEST_F(Framing, ResyncSkipsTypesItMayNotAcceptAndCountsBadChecksums) {
  writers::Payload file_record;
  file_record.u8(1).zeros(8);
  Bytes type30 = writers::frame(30, file_record);
  Bytes bad = writers::frame_bad_checksum(16, Bytes{0, 'X'});
  Bytes good = writers::message_frame(0, "OK");
  InputStream& in = Input(Join({Bytes{0xFF}, type30, bad, good}));
  uint32_t pos = 0;
  int32_t checksum_errors = 0;
  EXPECT_EQ(resync_to_record(in, pos, rp, handle.get(), checksum_errors), kStatusOk);
  EXPECT_EQ(pos, 1 + type30.size() + bad.size());
  EXPECT_EQ(in.tell(), pos + good.size());  // the record found has been read
  EXPECT_EQ(checksum_errors, 1);
}

TEST_F(Framing, ResyncReportsTheLastStatusAtTheEnd) {
  uint32_t pos = 0;
  int32_t errors = 0;
  EXPECT_EQ(resync_to_record(Input(Bytes(50, 0x02)), pos, rp, handle.get(), errors),
            kStatusNoResync);

  Bytes bad = writers::frame_bad_checksum(16, Bytes{0, 'X'});
  Bytes cut = writers::message_frame(0, "CUT");
  cut.resize(cut.size() - 2);  // a candidate that runs past the end
  pos = 0;
  EXPECT_EQ(resync_to_record(Input(Join({Bytes{0}, bad, cut})), pos, rp, handle.get(), errors),
            kStatusBadChecksum);
  EXPECT_EQ(errors, 1);
}

}  // namespace
}  // namespace d01ozu
