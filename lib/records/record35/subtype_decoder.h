// The one decoder of every known record-35 subtype, driven by the subtype
// table: schema records load the writer's schema; data records are read
// through Avro, copied into the intermediate structure, delta-decoded,
// checked and turned into the subtype's native structure.
#pragma once

#include <cstdint>

#include "records/record35/record35_assembly.h"
#include "records/record35/record35_content.h"

namespace d01ozu {

// Decodes the assembled record (ids in content, body in assembly.body) of
// the subtype at table index. *error: 17, 19, 20 or 23 on failure.
void DecodeSubtype(Record35Assembly& assembly, Record35Content& content, int index, uint8_t* error);

}  // namespace d01ozu
