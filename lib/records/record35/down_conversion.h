// Down-conversion of decoded record-35 data records into legacy records:
// the measurement subtypes 19 and 9 into type 27, the position subtype 2
// into type 29 and the fix subtype 16 into type 33.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/record35/record35_content.h"

namespace d01ozu {

// After a record 35 that produced count: converts the subtypes above (key
// and delta records only; other subsubtypes give 65535 and count 0), writes
// the DAT header and returns the legacy count with *legacy_type set. Other
// subtypes, and records that convert to nothing, keep type 35 and count.
uint16_t DownConvertRecord35(Record35Content& content, uint8_t dat_header[4], int16_t* legacy_type,
                             uint16_t count);

// The single conversions; each returns the legacy record length (0 for
// nothing).
size_t Sub19ToType27(const Sub19Native& native, Type27Record* out);
size_t Sub9ToType27(const Sub9Native& native, Type27Record* out);
size_t Sub2ToType29(const IntermediateRecord& native, Type29Record* out);
size_t Sub16ToType33(const IntermediateRecord& native, NewerTypeRecord* out);

}  // namespace d01ozu
