// What the record processor has learnt about the receiver and the epochs of
// the run; read by the report writers and the binary message records.
#pragma once

#include <cstdint>

namespace d01ozu {

struct ReceiverFacts {
  uint8_t receiver_type = 0;  // receiver type code
  uint16_t nav_version = 0;   // firmware version x 100
  uint16_t sig_version = 0;
  uint16_t gps_week_option = 0;  // -W, 0 when not given
  uint16_t data_gps_week = 0;    // from the first type-12 record of the run
  bool data_week_known = false;

  char serial_text[12] = {};  // receiver serial number text
  bool serial_known = false;
  bool serial_from_file_record = false;
  uint32_t serial_number = 0;   // numeric receiver serial number
  uint32_t antenna_number = 0;  // numeric antenna serial number
  char antenna_text[11] = {};   // right-aligned, blank-filled
  bool antenna_text_known = false;
  char message_station[51] = {};  // station name from message sub-code 3
  bool message_station_known = false;
  uint32_t receiver_options[4] = {};

  double first_epoch_ms = 0;  // milliseconds of GPS week
  double latest_epoch_ms = 0;
  bool first_epoch_seen = false;
  // GPS weeks of the first and latest epochs: the data week (else -W), plus
  // one for the latest epoch once the epoch time has wrapped past the week.
  uint16_t first_epoch_week = 0;
  uint16_t latest_epoch_week = 0;

  uint32_t sv_record_count[33] = {};  // index = satellite number 1..32
  bool sv_eph_stored[33] = {};
};

}  // namespace d01ozu
