// Packet rules shared by the container reader and the raw record dispatcher:
// how long a raw record frame is, how a length is written back into a frame,
// and which raw types carry no checksum.
//
// Raw record frame: STX, length low byte, type, byte 3 (length high bits for
// the extended types, else a status byte), payload, 16-bit big-endian byte-sum
// checksum, ETX. The length counts the whole frame, STX to ETX.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

// Largest raw record frame, and the capacity of every record buffer.
constexpr size_t kRawRecordCapacity = 5120;

// Frame offsets of the raw record header.
constexpr size_t kRawStxOffset = 0;
constexpr size_t kRawLengthOffset = 1;
constexpr size_t kRawTypeOffset = 2;
constexpr size_t kRawLengthHighOffset = 3;
constexpr size_t kRawHeaderSize = 4;

// Total frame length of a raw record of this type from header bytes 1 and 3.
// Types 74 to 77 add 256; the extended types take byte 3 as the high byte;
// type 35 takes only the low nibble of byte 3 (its high nibble is a status).
int raw_frame_length(uint8_t type, uint8_t length_byte, uint8_t high_byte);

// Writes total into bytes 1 and 3 of frame (at least 4 bytes) by the reverse
// of the length rule. Returns false when the type cannot express total (74 to
// 77 outside 256..511, type 35 over 4095, plain types over 255); the bytes then
// hold total's low bits so the frame stays well-formed.
bool write_raw_frame_length(uint8_t* frame, uint8_t type, int total);

// True for the compact types whose frames carry no checksum (and, when the
// reader rebuilds them from a block without STX, no ETX).
bool raw_type_checksum_exempt(uint8_t type);

// The 16-bit sum of data[0..n), each byte taken unsigned.
uint16_t byte_sum16(const uint8_t* data, size_t n);

// The 16-bit byte sum of frame bytes 0 to length - 4 compared with the
// big-endian word at length - 3. False for frames shorter than 3 bytes.
bool raw_frame_checksum_ok(const uint8_t* frame, size_t length);

}  // namespace d01ozu
