// Session and setup records that overrun the block's arrays or fields, and
// the merge of a pending session into the reported one.
#include "processing/session_facts.h"

#include <gtest/gtest.h>

#include <string>

#include "testdata/session_records.h"
#include "tests/test_support.h"

namespace d01ozu {
namespace {

using namespace session;
using testsupport::Bytes;

void feed(SessionFacts& s, const Bytes& f) {
  if (f[2] == 4 || f[2] == 22) decode_session_record(s, f.data(), f.size(), f[2] == 22);
  if (f[2] == 13 || f[2] == 23) decode_session_setup(s, f.data(), f.size(), f[2] == 23);
  if (f[2] == 5 || f[2] == 24) decode_position_record(s, f.data(), f.size(), f[2] == 24);
  if (f[2] == 14) decode_tracking_record(s, f.data(), f.size());
}

uint32_t count(const uint8_t* b, size_t array, size_t slot) {
  return block_u32(b, array + 4 * slot);
}

writers::SessionRecord basic_session(uint16_t start, uint16_t stop) {
  writers::SessionRecord r;
  r.schedule_start = 60;
  r.logging_start = start;
  r.logging_stop = stop;
  r.sats = {{10, 5, 8, 4}, {0, 0, 0, 0}, {70000, 3, 0, 0}};
  r.sync_rate = 150;
  r.receiver_serial = 4455;
  return r;
}

TEST(SessionRecord, MoreSatelliteIndexesThanSlotsAreCutAndLaterFieldsStayAligned) {
  writers::SessionRecord r = basic_session(600, 700);
  r.sats.assign(100, writers::SatCounts{1, 2, 3, 4});
  SessionFacts s;
  feed(s, writers::session_record(r, true));
  const uint8_t* b = s.pending;
  EXPECT_EQ(count(b, kTotalL1, kSatSlots - 1), 1u);
  EXPECT_EQ(count(b, kContL2, kSatSlots - 1), 4u);
  EXPECT_EQ(block_u16(b, kSyncRate), 150);
  EXPECT_EQ(block_u32(b, kReceiverSerial), 4455u);
  EXPECT_EQ(b[kSessionByteB], 0);  // the byte arrays did not run into the next run
  feed(s, writers::tracking_record(200, {1, 1, 1, 1}));  // no such slot: ignored
  uint8_t out[kSessionBlockSize];
  final_session_block(s, out);  // the pending session as the outputs see it
  EXPECT_EQ(count(out, kTotalL1, 0), 1u);
  EXPECT_TRUE(s.pending_valid);
}

TEST(SessionSetup, OverlongNameIsCutToItsFieldAndReversedRangeRefused) {
  writers::SessionSetup setup;
  setup.first = 70;
  setup.last = 80;  // runs past the 72 slots
  setup.counts.assign(11, writers::SatCounts{5, 5, 5, 5});
  setup.long_name = std::string(60, 'x') + "END";
  setup.word = 4321;
  SessionFacts s;
  feed(s, writers::session_setup_record(setup, false));
  const uint8_t* b = s.pending;
  EXPECT_EQ(b[kLongNameLength], kLongNameCapacity);
  EXPECT_EQ(b[kLongNameText + kLongNameCapacity - 1], 'x');
  EXPECT_EQ(b[kSetupByte], 0);  // the 13 characters past the field were stepped over
  EXPECT_EQ(block_u16(b, kSetupWord), 4321);
  EXPECT_EQ(count(b, kTotalL1, 71), 5u);
  EXPECT_EQ(b[kSyncRate], 0);  // nothing was written past the last count slot

  SessionFacts reversed;
  setup.first = 9;
  setup.last = 2;
  feed(reversed, writers::session_setup_record(setup, false));
  EXPECT_FALSE(reversed.pending_valid);
}

TEST(SessionMerge, NewLoggingStartMergesThePendingSession) {
  SessionFacts s;
  writers::PositionFixes p1;
  p1.best3d_lat = 0.1;
  p1.best3d_pdop = 3.0;
  p1.best2d_lat = 0.2;
  p1.best2d_pdop = 2.0;
  p1.mean3d_lat = 0.3;
  p1.fixes3d = 10;
  p1.mean2d_lat = 0.4;
  p1.fixes2d = 50;
  feed(s, writers::session_record(basic_session(600, 700), false));
  feed(s, writers::position_record(p1, false));
  // Same logging start: still the same session, the record replaces it.
  feed(s, writers::session_record(basic_session(600, 710), false));
  feed(s, writers::tracking_record(5, {7, 7, 0, 0}));  // beyond the records' satellites
  EXPECT_FALSE(s.reported_valid);

  writers::SessionRecord second = basic_session(9999, 800);
  second.sats = {{20, 2, 1, 9}, {0, 0, 0, 0}, {1, 1, 0, 0}};
  second.schedule_start = 30;
  second.ref_lat = -0.125;
  feed(s, writers::session_record(second, false));
  writers::PositionFixes p2 = p1;
  p2.best3d_lat = 0.11;
  p2.best3d_pdop = 2.5;  // better: replaces
  p2.best2d_lat = 0.22;
  p2.best2d_pdop = 4.0;  // worse: kept
  p2.mean3d_lat = 0.33;
  p2.fixes3d = 11;  // more fixes: replaces
  p2.mean2d_lat = 0.44;
  p2.fixes2d = 5;
  feed(s, writers::position_record(p2, true));
  EXPECT_TRUE(s.reported_valid);  // the first session was taken over whole

  merge_pending_session(s);
  merge_pending_session(s);  // nothing pending any more
  const uint8_t* b = s.reported;
  EXPECT_EQ(count(b, kTotalL1, 0), 30u);
  EXPECT_EQ(count(b, kContL1, 0), 5u);
  EXPECT_EQ(count(b, kTotalL2, 0), 9u);
  EXPECT_EQ(count(b, kContL2, 0), 9u);
  EXPECT_EQ(count(b, kTotalL1, 2), (70000u & 0xFFFF) + 1);
  EXPECT_EQ(count(b, kTotalL1, 5), 7u);         // the first session's counts are added once
  EXPECT_EQ(block_u16(b, kScheduleStart), 60);  // kept
  EXPECT_EQ(block_u16(b, kLoggingStart), 600);  // kept, the pending one is none
  EXPECT_EQ(block_u16(b, kLoggingStop), 800);   // taken
  EXPECT_EQ(block_f64(b, kRefLatitude), -0.125);
  EXPECT_EQ(block_f64(b, kBest3dLat), 0.11);
  EXPECT_EQ(block_f64(b, kBest2dLat), 0.2);
  EXPECT_EQ(block_f64(b, kMean3dLat), 0.33);
  EXPECT_EQ(block_u32(b, kMean3dFixes), 11u);
  EXPECT_EQ(block_f64(b, kMean2dLat), 0.4);
  EXPECT_EQ(block_u32(b, kMean2dFixes), 50u);
}

}  // namespace
}  // namespace d01ozu
