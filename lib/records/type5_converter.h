// Raw type 5, receiver facts in numbered pages, into the type-5 structure of
// the page that the record processor keeps for the binary message records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/expanded_records.h"

namespace d01ozu {

// Room of the page-0 text and of the page-7 list of byte pairs.
constexpr size_t kType5TextRoom = 63;
constexpr size_t kType5PairRoom = 47;

// Fills out with the page of the frame (STX first, length bytes; byte 3 is the
// page number) and writes the DAT record header. Returns the header's length
// byte, or 0 when the frame is too short for its page or a page-7 list holds
// more pairs than fit.
uint16_t ConvertType5(const uint8_t* frame, size_t length, Type5Record& out, uint8_t header[4]);

}  // namespace d01ozu
