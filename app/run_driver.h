// The conversion run of the command line: the library's converter made from
// the prepared context, its events turned into the console's lines.
#pragma once

#include "app/conversion_context.h"
#include "core/status_code.h"

namespace rawsplit {

// Runs the whole conversion described by the prepared context. Returns the
// run's status: 0, the first error not tolerated, 28 after an abort, 29 when
// errors were tolerated, 32 after a quick summary.
d01ozu::StatusCode RunConversion(ConversionContext& cx);

}  // namespace rawsplit
