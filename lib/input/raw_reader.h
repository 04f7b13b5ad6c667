// The container reader: turns a T00, T01, T02 or T04 input file into framed
// raw records, one per call.
#pragma once

#include <cstdint>

#include "input/input_stream.h"
#include "records/expansion_context.h"

namespace d01ozu {

// Reads the next raw record into context.record. Returns its type (never 0),
// or -1 when no record was produced; *status then says why (1 at end of
// input). A record can also come back with a non-zero status (18, the first
// record after a resynchronisation), which means it must not be dispatched.
// mode: plain for T00 input, su-coded for T01, T02 and T04 input.
int32_t ReadRawRecord(ExpansionContext& context, InputStream& input, StreamMode mode,
                      ReaderStatus* status);

}  // namespace d01ozu
