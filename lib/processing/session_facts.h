// Session facts of the report: the pending and reported session blocks,
// filled from session, setup, position and tracking records.
//
// A session block is a byte block in a fixed layout (little-endian values after
// decoding); the offsets below name its fields. Session records are decoded
// into the pending block; when a record of a new session arrives (another
// data-logging start time), the pending block is merged into the reported one
// first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

constexpr size_t kSessionBlockSize = 1584;

namespace session {
// Reference position and antenna height, doubles.
constexpr size_t kRefLatitude = 0;  // semicircles
constexpr size_t kRefLongitude = 8;
constexpr size_t kRefHeight = 16;      // metres
constexpr size_t kAntennaHeight = 24;  // metres
// First run of session bytes (8 fixed bytes, then one byte per satellite index).
constexpr size_t kSessionByteA = 32;
constexpr size_t kL2Tracked = 33;
constexpr size_t kTestMode = 34;
constexpr size_t kRefKind = 35;  // 0 not specified, 254 RTCM reference, else user
constexpr size_t kScheduleFlag = 36;
constexpr size_t kElevationMask = 37;  // signed
constexpr size_t kMinSatellites = 38;  // signed
constexpr size_t kSvSelection = 39;    // set: manual selection
constexpr size_t kSatBytesA = 40;
constexpr size_t kFixedBytesA = 8;
// Second run of session bytes (6 fixed bytes, then one byte per satellite index).
constexpr size_t kSessionByteB = 112;
constexpr size_t kAntennaInField = 113;
constexpr size_t kAntennaUnit = 114;  // 0 inches, 1 feet, 2 metres, 3 centimetres
constexpr size_t kPositionLogging = 115;
constexpr size_t kPositionOnly = 116;
constexpr size_t kEveryCycle = 117;
constexpr size_t kSatBytesB = 118;
constexpr size_t kFixedBytesB = 6;
// Times, minutes of day; 9999 means none.
constexpr size_t kScheduleStart = 190;
constexpr size_t kScheduleStop = 192;
constexpr size_t kLoggingStart = 194;
constexpr size_t kLoggingStop = 196;
constexpr uint16_t kNoTime = 9999;
// Per satellite index: four arrays of 4-byte counts; slot i is satellite i + 1.
constexpr size_t kSatSlots = 72;
constexpr size_t kMergedSlots = 24;  // slots that merging adds up
constexpr size_t kTotalL1 = 200;
constexpr size_t kContL1 = 488;
constexpr size_t kTotalL2 = 776;
constexpr size_t kContL2 = 1064;
constexpr size_t kCountArrays[4] = {kTotalL1, kContL1, kTotalL2, kContL2};
constexpr size_t kSyncRate = 1352;  // word, tenths of a second
constexpr size_t kAntennaSerial = 1356;
constexpr size_t kReceiverSerial = 1360;
constexpr size_t kNavVersion = 1364;  // x 100
constexpr size_t kSigVersion = 1366;
constexpr size_t kLongNameFlag = 1368;
constexpr size_t kLongNameLength = 1369;
constexpr size_t kLongNameText = 1370;
constexpr size_t kLongNameCapacity = 50;
// Further fields of the session setup record, carried into the binary
// message records as they are.
constexpr size_t kSetupByte = 1420;
constexpr size_t kSetupDouble = 1424;  // from a signed long
constexpr size_t kSetupBytes3 = 1432;  // 3 bytes
constexpr size_t kSetupLongs = 1436;   // 3 longs
constexpr size_t kSetupBytes4 = 1448;  // 4 bytes
constexpr size_t kSetupLong = 1452;
constexpr size_t kSetupBytes2 = 1456;  // 2 bytes
constexpr size_t kSetupScaled = 1464;  // from a signed word x 2^-4
constexpr size_t kSetupWord = 1472;
// Position data of records 5 and 24: twelve doubles and two counts.
constexpr size_t kBest3dLat = 1480;
constexpr size_t kBest3dLon = 1488;
constexpr size_t kBest3dHeight = 1496;
constexpr size_t kBest3dPdop = 1504;
constexpr size_t kBest2dLat = 1512;
constexpr size_t kBest2dLon = 1520;
constexpr size_t kBest2dPdop = 1528;
constexpr size_t kMean3dLat = 1536;
constexpr size_t kMean3dLon = 1544;
constexpr size_t kMean3dHeight = 1552;
constexpr size_t kMean2dLat = 1560;
constexpr size_t kMean2dLon = 1568;
constexpr size_t kPositionDoubles = 12;
constexpr size_t kMean3dFixes = 1576;  // long
constexpr size_t kMean2dFixes = 1580;  // long
}  // namespace session

struct SessionFacts {
  uint8_t reported[kSessionBlockSize] = {};
  uint8_t pending[kSessionBlockSize] = {};
  bool pending_valid = false;    // a record has been decoded into the pending block
  bool pending_session = false;  // ... and one of them was a session record
  bool reported_valid = false;   // a pending block has been merged
  bool tracking_seen = false;    // a tracking record arrived
};

// Each decoder takes the whole legacy frame (STX first) and its length;
// fields beyond the frame read as 0, never past it. Values for satellite
// indexes beyond the block's 72 slots are read and dropped.
void decode_session_record(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts);
void decode_session_setup(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts);
void decode_position_record(SessionFacts& s, const uint8_t* frame, size_t size, bool wide_counts);
void decode_tracking_record(SessionFacts& s, const uint8_t* frame, size_t size);
// Merges the pending block into the reported session (at close); a second
// call without a new record does nothing.
void merge_pending_session(SessionFacts& s);
// The reported session as the outputs see it: the reported block with a still
// pending block merged in, written into out (kSessionBlockSize bytes).
void final_session_block(const SessionFacts& s, uint8_t* out);

// Little-endian field access on a session block.
uint16_t block_u16(const uint8_t* block, size_t offset);
uint32_t block_u32(const uint8_t* block, size_t offset);
double block_f64(const uint8_t* block, size_t offset);
void put_block_u32(uint8_t* block, size_t offset, uint32_t v);
void put_block_f64(uint8_t* block, size_t offset, double v);

}  // namespace d01ozu
