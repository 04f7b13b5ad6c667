// Raw type 29, the position record of the container formats, into the
// type-29 structure, and the type-11 record the 27/17 modes 1 and 2 make of
// it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/expanded_records.h"

namespace d01ozu {

// Satellite entries whose section length (3 per entry, plus 1) fits its byte.
constexpr uint8_t kType29CountedEntries = 84;

// Fills out from the frame (STX first, length bytes) and writes the DAT
// record header. Returns 4 + the six section lengths, or 0 when a section
// runs past the frame.
uint16_t ConvertType29(const uint8_t* frame, size_t length, Type29Record& out, uint8_t header[4]);

// The type-11 record of a type-29 solution: values, fix-type code and the
// lists of used satellites. Writes its DAT record header and returns its
// length.
uint16_t Type29ToType11(const Type29Record& in, Type11Record& out, uint8_t header[4]);

// The fix-type byte of the type-11 record from header bytes B0 to B7.
uint8_t Type29FixCode(const uint8_t b[8]);

}  // namespace d01ozu
