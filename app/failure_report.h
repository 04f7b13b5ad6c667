// The one line on standard error that says why a quiet run failed.
#pragma once

#include <cstdio>
#include <string>

#include "app/conversion_context.h"
#include "core/status_code.h"

namespace rawsplit {

// The file a run that ended with status concerns: what a refusal named, the
// input being read (or the last one named) for input and record errors, the
// output for its creation and writing errors; "" when there is none.
std::string ConcernedFile(ConversionContext& cx, d01ozu::StatusCode status);

// "rawsplit: TEXT (status N): FILE", without ": FILE" when no file is concerned.
std::string FailureLine(ConversionContext& cx, d01ozu::StatusCode status);

// Writes the failure line and a line end to err when the run ended with a
// status other than 0, 29 and 32, below -v2 or before any conversion began
// (converted false): from -v2 on, a conversion's own error line on standard
// output says it.
void ReportFailure(ConversionContext& cx, d01ozu::StatusCode status, bool converted,
                   std::FILE* err);

}  // namespace rawsplit
