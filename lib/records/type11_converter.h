// Raw type 11, one position solution with the satellites used, into the
// type-11 structure the record processor writes as its DAT record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/expanded_records.h"

namespace d01ozu {

// Fills out from the frame (STX first, length bytes) and writes the DAT
// record header. Returns the record length (82 + 2n), or 0 when the frame is
// too short for its lists or lists more satellites than the structure holds.
uint16_t ConvertType11(const uint8_t* frame, size_t length, Type11Record& out, uint8_t header[4]);

// The DAT record header of a type-11 record of count satellites; returns its
// length (count + 41) x 2.
uint16_t PutType11Header(uint8_t count, uint8_t header[4]);

}  // namespace d01ozu
