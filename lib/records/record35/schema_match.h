// Whether a writer's schema (from the file) can be resolved into the
// library's schema. Checked before the Avro resolver is built, which does
// not survive every mismatch: each library record field must be in the
// writer's record of the same name, with the same or a promotable type.
#pragma once

#include <avro.h>

namespace d01ozu {

// True when writer resolves into reader.
bool SchemasResolvable(avro_schema_t writer, avro_schema_t reader);

}  // namespace d01ozu
