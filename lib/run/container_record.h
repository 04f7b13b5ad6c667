// One step of the T0x record loop: read, expand and process one raw record.
#pragma once

#include "core/status_code.h"
#include "input/input_stream.h"

namespace d01ozu {

struct OutputSet;
struct RecordProcessor;

// Reads one raw record from input, expands it and hands it to the processor.
// Returns 0 (also at end of input and after an su end symbol), 30 for any
// other reader or dispatcher detail, the processor's status for the record,
// 4 without a DAT stream, 15 on a full disk, or 32 when the quick summary is
// ready. Raises rp.record_count once per record delivered.
StatusCode ReadContainerRecord(OutputSet& handle, RecordProcessor& rp, InputStream& input,
                               FormatCode format);

}  // namespace d01ozu
