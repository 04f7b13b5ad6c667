// Input kind detection, frame checks and resynchronisation on R00 input.
#include <gtest/gtest.h>

#include <memory>

#include "input/r00_framing.h"
#include "processing/record_processor.h"
#include "run/output_set.h"
#include "testdata/frame_writer.h"
#include "tests/test_support.h"

namespace d01ozu {
namespace {

using writers::Bytes;

class Framing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(OpenConversion(handle, rp), kStatusOk);
    ASSERT_EQ(OpenOutput(handle.get(), kOutputDat, dir.file("out.tg!").c_str()), kStatusOk);
  }
  void TearDown() override { CloseConversion(handle); }

  // Opens an input file holding the parts joined.
  InputStream& Input(std::initializer_list<Bytes> parts) {
    Bytes data;
    for (const Bytes& p : parts) writers::append(data, p);
    testsupport::write_file(dir.file("in.r00"), data);
    input = std::make_unique<InputStream>();
    input->open(dir.file("in.r00").c_str());
    return *input;
  }
  StatusCode Check(const Bytes& f) { return check_frame(rp, handle.get(), f.data(), f.size()); }
  // Resynchronises from offset 0 of the parts; pos and checksum_errors tell the rest.
  StatusCode Resync(std::initializer_list<Bytes> parts) {
    pos = 0;
    checksum_errors = 0;
    return resync_to_record(Input(parts), pos, rp, handle.get(), checksum_errors);
  }

  testsupport::TempDir dir;
  RecordProcessor rp;
  OutputSetPtr handle;
  std::unique_ptr<InputStream> input;
  uint32_t pos = 0;
  int32_t checksum_errors = 0;
};

TEST_F(Framing, DetectsInputKindsByTheirFirstBytes) {
  uint8_t tail[kR00TailSize];
  InputFormat kind = InputFormat::kT01;
  EXPECT_EQ(detect_input_header(nullptr, tail, kind), kStatusNoInput);
  InputStream& r00 = Input({writers::r00_header(29, 310, 120)});
  EXPECT_EQ(detect_input_header(&r00, tail, kind), kStatusOk);
  EXPECT_EQ(kind, InputFormat::kR00);
  EXPECT_EQ(r00.tell(), 39u);
  EXPECT_EQ(tail[2] | tail[3] << 8, 310);

  writers::Payload file_record;
  file_record.u8(0).text("ORVN", 4).u8(0).bytes({1, 2, 3});
  Bytes damaged = writers::r00_header(5, 1, 1);
  damaged[20] = 'x';  // the text must end in a NUL
  const struct {
    Bytes first;
    InputFormat kind;
  } kCases[] = {{writers::frame(30, file_record), InputFormat::kT00},
                {{0, 0, 0, 0, 0x74, 0xBA, 0x79, 0x4B, 0xCF, 0x6B}, InputFormat::kT02},
                {{9, 9, 9, 9, 0xD1, 0x60, 0x42, 0x2E, 0xF8, 0xF9, 7}, InputFormat::kT04},
                {damaged, InputFormat::kUnknown},
                {{2, 15, 30}, InputFormat::kUnknown}};
  for (const auto& c : kCases) {
    EXPECT_EQ(detect_input_header(&Input({c.first}), tail, kind),
              c.kind == InputFormat::kUnknown ? kStatusBadHeader : kStatusOk);
    EXPECT_EQ(kind, c.kind);
  }
}

TEST_F(Framing, CheckFrameRefusesDamagedFrames) {
  Bytes good = writers::message_frame(0, "TEXT");
  EXPECT_EQ(check_frame(rp, nullptr, good.data(), good.size()), kStatusNotOpened);
  EXPECT_EQ(Check(good), kStatusOk);
  Bytes no_stx = good, no_etx = good;
  no_stx[0] = 0;
  no_etx.back() = 0x04;
  EXPECT_EQ(Check(no_stx), kStatusNoStx);
  EXPECT_EQ(Check(no_etx), kStatusNoEtx);
  EXPECT_EQ(Check(writers::frame_bad_checksum(16, Bytes{0, 1})), kStatusBadChecksum);

  // Types 64 to 67, 74 and 75 carry their own checks: the frame reaches the
  // processor whatever its checksum and last byte; type 117 is checked.
  for (uint8_t type : {64, 65, 66, 67, 74, 75, 117}) {
    Bytes f = writers::frame_bad_checksum(type, Bytes(type >= 74 ? 300 : 20, 0));
    f.back() = 0;
    const int32_t handed = rp.records_handed;
    const StatusCode st = Check(f);
    EXPECT_TRUE(type != 117 || st == kStatusBadChecksum);
    EXPECT_EQ(rp.records_handed, handed + (type == 117 ? 0 : 1)) << int(type);
  }
  // Length byte 0x10 of type 117: 272 bytes, the ETX is looked for at the end.
  Bytes long117 = writers::frame(117, Bytes(266, 0));
  ASSERT_EQ(long117[1], 0x10);
  EXPECT_EQ(check_frame(rp, handle.get(), long117.data(), 271), kStatusNoEtx);
  const int32_t handed = rp.records_handed;
  Check(long117);
  EXPECT_EQ(rp.records_handed, handed + 1);

  handle->file(kOutputDat).close();
  EXPECT_EQ(Check(good), kStatusDatNotOpen);
}

TEST_F(Framing, ResyncAcceptsOnlyASoundRecordOfTheAllowedTypes) {
  writers::Payload file_record;
  file_record.u8(1).zeros(8);
  Bytes type30 = writers::frame(30, file_record);  // 30 is not accepted
  Bytes bad = writers::frame_bad_checksum(16, Bytes{0, 'X'});
  Bytes good = writers::message_frame(0, "OK");
  EXPECT_EQ(Resync({Bytes{0xFF}, type30, bad, good}), kStatusOk);
  EXPECT_EQ(pos, 1 + type30.size() + bad.size());
  EXPECT_EQ(input->tell(), pos + good.size());  // the record found has been read
  EXPECT_EQ(checksum_errors, 1);

  // At the end: the last status seen, else "unable to resync".
  EXPECT_EQ(Resync({Bytes(50, 0x02)}), kStatusNoResync);
  Bytes cut = writers::message_frame(0, "CUT");
  cut.resize(cut.size() - 2);  // a candidate that runs past the end
  EXPECT_EQ(Resync({Bytes{0}, bad, cut}), kStatusBadChecksum);
  EXPECT_EQ(checksum_errors, 1);
}

}  // namespace
}  // namespace d01ozu
