// The version of a schema text, read by scanning for its "version" member
// rather than by parsing the JSON: writer schemas come from the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/diagnostics.h"

namespace d01ozu {

// Reads the number after the first "version" (with its quotes): the text
// from the colon that follows to the next comma, at least two bytes, parsed
// in base 10 and within 1 to 65535. Returns false with *error set to 19 when
// the text has none.
bool get_avro_schema_version(const uint8_t* text, size_t length, int64_t* version, uint8_t* error,
                             const DiagnosticSink& sink);

}  // namespace d01ozu
