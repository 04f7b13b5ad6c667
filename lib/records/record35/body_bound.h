// A check of a record-35 body against the schema it was written with, run
// before the Avro reader sees it: every count the body declares (array
// blocks, bytes and string lengths) must fit in the bytes that follow, so a
// damaged or hostile body cannot make the reader allocate or loop beyond
// what its length allows.
#pragma once

#include <avro.h>

#include <cstddef>
#include <cstdint>

namespace d01ozu {

// True when body holds one whole datum of schema whose declared counts all
// fit in the body.
bool BodyFitsSchema(avro_schema_t schema, const uint8_t* body, size_t length);

}  // namespace d01ozu
