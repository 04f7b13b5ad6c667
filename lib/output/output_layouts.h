// Byte layouts of the EPH and ION images, the type-21 compact ephemeris, the
// type-15 ION/UTC record and the APP file packets. Parsing code uses these
// names; nothing else knows the numbers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

// --- EphImage slot (336 bytes, 42 cells of 8 bytes) ---
constexpr size_t kEphCellSize = 8;
constexpr size_t kEphInitialCells = 40;  // cells 0..39 from an initial block
constexpr size_t kEphType3Cells = 25;    // cells 0..24 from a type-3 record
constexpr size_t kEphFlagsOffset = 320;  // 13 bytes of flags and words
constexpr size_t kEphFlagsSize = 13;
constexpr size_t kEphType21FlagArea = 16;  // bytes 320..335 cleared by type 21
constexpr size_t kEphSourceOffset = 334;   // 2 bytes: 0 type 3, 255 type 21
constexpr uint8_t kEphSourceType21 = 255;

// Type-21 flag bytes of the slot, filled from the flag long F.
constexpr size_t kEph21Marker = 320;    // always 3
constexpr size_t kEph21Bits11 = 321;    // F bits 11..14
constexpr size_t kEph21Bit15 = 322;     // F bit 15
constexpr size_t kEph21Bit10 = 323;     // F bit 10
constexpr size_t kEph21Bits4 = 324;     // F bits 4..9
constexpr size_t kEph21Bits16 = 325;    // F bits 16..18
constexpr size_t kEph21FlagLong = 328;  // F itself, little-endian
constexpr uint8_t kEph21MarkerValue = 3;

// Type-21 record: fields from frame byte 4 (byte 3 is the satellite number).
constexpr size_t kType21FieldsStart = 4;
constexpr int kType21CellW0 = 0;    // first word, signed
constexpr int kType21CellW1 = 3;    // second word, signed
constexpr int kType21CellByte = 8;  // second of the two bytes, unsigned
constexpr int kType21LongCells[3] = {1, 4, 16};
// The 19 doubles fill these cells in order.
constexpr int kType21DoubleCells[19] = {2,  5,  6,  7,  9,  10, 11, 12, 13, 14,
                                        15, 17, 18, 19, 20, 21, 22, 23, 24};

// Type-3 record: satellite number in byte 3, 25 doubles from byte 4.
constexpr size_t kType3FieldsStart = 4;

// --- IonImage (120 bytes) ---
constexpr size_t kIonCells = 14;
constexpr size_t kIonInitialRawOffset = 112;  // 5 raw bytes of the initial block
constexpr size_t kIonInitialRawSize = 5;
constexpr size_t kIonRecordRawSize = 8;  // 8 raw bytes of a type-15 record
constexpr size_t kIonFileSize = 115;     // the ION file: cells and 3 raw bytes

// Type-15 record, from frame byte 3: 11 doubles, 2 signed words, 1 long, 8 raw.
constexpr size_t kType15FieldsStart = 3;
constexpr size_t kType15Doubles = 11;

// --- EPH file ---
constexpr uint8_t kEphFileHeader[4] = {0x74, 0x00, 0x00, 0x03};

// --- Type-31 application part ---
constexpr size_t kType31TotalLength = 3;  // big-endian word
constexpr size_t kType31MoreParts = 5;
constexpr size_t kType31DataLength = 6;
constexpr size_t kType31Data = 7;

// --- APP file packet ---
constexpr size_t kAppChunkSize = 245;
constexpr size_t kAppPacketOverhead = 9;  // 7 header bytes, checksum, ETX
constexpr uint8_t kAppPacketType = 0x64;
constexpr size_t kAppPacketSumFrom = 1;  // checksum covers bytes 1..6 and the data
constexpr size_t kAppPacketHeader = 7;

}  // namespace d01ozu
