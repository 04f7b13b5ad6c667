// The type-30 file-information record: receiver and antenna serial numbers,
// receiver type code, firmware versions and option words, carried in
// sub-records whose kinds follow from the record's selector byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "processing/receiver_facts.h"

namespace d01ozu {

// Reads the record (selector in byte 3, not 0) into facts and builds its DAT
// image into out. Input: byte 4 the count n, then n sub-records of one
// length byte m and m data bytes. Image: 0x74, length, selector, 30, the
// count, then each sub-record as its length byte and its data with the
// kind's fields byte-reversed (kind 1: a long and a word; 2: three words;
// 3: a long and 2 bytes; 4 and 5: two longs; 6 and 0: bytes as they are);
// a sub-record shorter than its kind's fields converts the fields that fit
// and copies the rest. Returns the image length, or 0 (facts untouched) when
// the sub-records run past the frame.
size_t read_file_information(ReceiverFacts& facts, int serial_fix_mode, const uint8_t* frame,
                             size_t length, uint8_t* out, size_t capacity);

// The serial-number fix for receivers of type code 29: the serial text read
// as a decimal number N is replaced by N with bit 32 set, printed with at
// least 10 digits. Mode 1 only when N is below 2^32, its low 32 bits are not
// all ones and the NAV version is 100 to 103; mode 2 always; mode 0 never.
void apply_serial_fix(ReceiverFacts& facts, int mode);

}  // namespace d01ozu
