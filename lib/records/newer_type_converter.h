// Raw types 25, 26, 28, 32, 33, 40, 98 and 99 into the newer-type structure:
// the DAT payload laid out by the converter, which the record processor
// writes behind the header subject to the filter mask.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/expanded_records.h"

namespace d01ozu {

// Fills out from the frame (STX first, length bytes; the type byte decides the
// layout) and writes the DAT record header. Returns the DAT record length, or
// 0 when the frame does not fit its layout (the record then takes the legacy
// path).
uint16_t ConvertNewerType(const uint8_t* frame, size_t length, NewerTypeRecord& out,
                          uint8_t header[4]);

}  // namespace d01ozu
