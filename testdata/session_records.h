// Readable builders for the framed records that feed the EPH, ION, MES,
// summary and APP outputs: ephemeris (3, 21), ION/UTC (15), session (4, 22),
// session setup (13, 23), position (5, 24), tracking (14), file information
// (30) and application parts (31).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

// Type 3: satellite number and 25 values.
Bytes ephemeris_record(int sv, const std::array<double, 25>& values);

// Type 21: the compact ephemeris, fields in frame order.
struct CompactEphemeris {
  int sv = 1;
  int16_t w0 = 0, w1 = 0;
  uint8_t byte0 = 0, byte1 = 0;
  std::array<int32_t, 3> longs{};
  std::array<double, 19> doubles{};
  uint32_t flags = 0;
};
Bytes compact_ephemeris_record(const CompactEphemeris& e);

// Type 15: 11 values, two signed words, an unsigned long and 8 raw bytes.
struct IonUtc {
  std::array<double, 11> values{};
  int16_t word_a = 0, word_b = 0;
  uint32_t long_value = 0;
  std::array<uint8_t, 8> raw{};
};
Bytes ion_utc_record(const IonUtc& ion);

// Tracking counts of one satellite index.
struct SatCounts {
  uint32_t total_l1 = 0, cont_l1 = 0, total_l2 = 0, cont_l2 = 0;
};

// Types 4 (word counts) and 22 (long counts). sats[i] is satellite index i;
// the record's last index N is sats.size() - 1 unless last_index overrides it.
struct SessionRecord {
  double ref_lat = 0, ref_lon = 0;  // semicircles
  double ref_height = 0, antenna_height = 0;
  uint8_t session_byte = 0, l2_tracked = 0, test_mode = 0, ref_kind = 0, schedule_flag = 0;
  int8_t elevation_mask = 0, min_satellites = 0;
  uint8_t sv_selection = 0;
  uint8_t session_byte_b = 0, antenna_in_field = 0, antenna_unit = 0;
  uint8_t position_logging = 0, position_only = 0, every_cycle = 0;
  uint16_t schedule_start = 0, schedule_stop = 0, logging_start = 0, logging_stop = 0;
  std::vector<SatCounts> sats{SatCounts{}};
  int last_index = -1;
  uint16_t sync_rate = 0;  // tenths of a second
  uint32_t antenna_serial = 0, receiver_serial = 0;
  uint16_t nav_version = 0, sig_version = 0;
};
Bytes session_record(const SessionRecord& r, bool wide_counts);

// Types 13 (word counts) and 23 (long counts): indexes first..last.
struct SessionSetup {
  uint8_t first = 0, last = 0;
  std::vector<uint8_t> sat_bytes_a, sat_bytes_b;  // zero-padded to the index count
  std::vector<SatCounts> counts;                  // zero-padded to the index count
  std::string long_name;
  int long_name_length = -1;  // length byte when it should differ from the text
  uint8_t setup_byte = 0;
  int32_t setup_long = 0;  // becomes a double
  std::array<uint8_t, 3> bytes3{};
  std::array<uint32_t, 3> longs{};
  std::array<uint8_t, 4> bytes4{};
  uint32_t long_value = 0;
  std::array<uint8_t, 2> bytes2{};
  int16_t scaled_word = 0;  // x 2^-4
  uint16_t word = 0;
};
Bytes session_setup_record(const SessionSetup& s, bool wide_counts);

// Types 5 (word counts) and 24 (long counts): best-PDOP and mean fixes.
struct PositionFixes {
  double best3d_lat = 0, best3d_lon = 0, best3d_height = 0, best3d_pdop = 0;
  double best2d_lat = 0, best2d_lon = 0, best2d_pdop = 0;
  double mean3d_lat = 0, mean3d_lon = 0, mean3d_height = 0;
  double mean2d_lat = 0, mean2d_lon = 0;
  uint32_t fixes3d = 0, fixes2d = 0;
};
Bytes position_record(const PositionFixes& p, bool wide_counts);

// Type 14: the counts of one satellite index and two further counts.
Bytes tracking_record(uint8_t index, const SatCounts& c, uint32_t extra_a = 0,
                      uint32_t extra_b = 0);

// Type 30 file information: selector (byte 3) and length-prefixed sub-records.
Bytes file_information_record(uint8_t selector, const std::vector<Bytes>& subrecords);
// Selector-1 sub-records (kinds 1, 6, 0, 2, 0, 3) for a receiver.
struct ReceiverIdentity {
  uint32_t serial_number = 0;
  uint8_t receiver_type = 0;
  std::string serial_text;
  uint16_t nav_version = 0;  // x 100
  uint32_t antenna_number = 0;
};
Bytes receiver_identity_record(const ReceiverIdentity& id);

// Type 31: one application part.
Bytes app_part(uint16_t total_length, bool more_parts, const Bytes& data);
// A whole application file cut into parts of at most part_size bytes.
std::vector<Bytes> app_parts(const Bytes& file, size_t part_size);
// An application file of n bytes with a recognisable pattern.
Bytes app_file_data(size_t n);

}  // namespace writers
