// Writers of raw record frames and of the two packet-stream forms: T00 (plain
// frames one after another) and T01 (the same stream su-coded).
#pragma once

#include <cstdint>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

// A raw record frame: STX, length, type, byte 3, payload, big-endian byte-sum
// checksum, ETX. The length (payload + 7) goes into bytes 1 and 3 by the raw
// length rule; byte 3 of plain types is status, and type 35 keeps the high
// nibble of status.
Bytes raw_frame(uint8_t type, uint8_t status, const Bytes& payload);
inline Bytes raw_frame(uint8_t type, uint8_t status, const Payload& p) {
  return raw_frame(type, status, p.data());
}

// The 15-byte type-30 file record that opens a T00 stream (byte 3 = 0).
Bytes t00_file_record();

// T00: the frames back to back.
Bytes t00_stream(const std::vector<Bytes>& frames);

// T01: the frames su-coded as one stream; with end_between, an end symbol
// follows every frame.
Bytes t01_stream(const std::vector<Bytes>& frames, bool end_between = false);

}  // namespace writers
