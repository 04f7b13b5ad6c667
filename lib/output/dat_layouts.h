// DAT images of the legacy record types that convert field by field from one
// input frame. Each builder takes the whole frame (STX first) and its length
// and fills out; it returns the image length, or 0 when the frame is too
// short for its layout or a count in it is larger than the frame allows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

// DAT image lengths fixed by their layout.
constexpr size_t kType3Dat = 206;
constexpr size_t kType21Dat = 190;
constexpr size_t kType101Dat = 46;
constexpr size_t kType12Dat = 68;  // plus 16 per entry beyond the first
constexpr size_t kType12EntryDat = 16;
constexpr size_t kType10Dat = 82;  // plus 2 per satellite
constexpr size_t kType25Sub0Dat = 39;
constexpr size_t kType25Sub2Dat = 40;  // 45 with the optional fields

size_t build_type3_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
size_t build_type21_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
size_t build_type101_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
// Type 12: byte 3 is the entry count c (0 read as 1).
size_t build_type12_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
// Types 10 and 11 (type byte of the frame decides).
size_t build_type10_11_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
// Types 16 and 33: the payload after byte 3 copied unchanged.
size_t build_copied_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
// Type 19 sub-codes 5 to 8 (sub-code 6 writes 0 in byte 2).
size_t build_type19_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
size_t build_type20_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
// Type 25 by sub-code 0, 1, 2; other sub-codes give 0.
size_t build_type25_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);
size_t build_type31_image(const uint8_t* frame, size_t length, uint8_t* out, size_t capacity);

}  // namespace d01ozu
