// The conversion run: opens the requested outputs, reads every input file
// record by record into the processor, closes the outputs and reports.
#pragma once

#include "app/conversion_context.h"
#include "processing/record_processor.h"
#include "core/status_code.h"

namespace rawsplit {

// Runs the whole conversion described by the prepared context. Returns the
// run's status: 0, the first error not tolerated, 28 after an abort, 29 when
// errors were tolerated, 32 after a quick summary.
d01ozu::StatusCode RunConversion(ConversionContext& cx, d01ozu::RecordProcessor& rp);

}  // namespace rawsplit
