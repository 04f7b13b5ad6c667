// rawsplit: unpacks receiver raw data files into DAT, EPH, ION, MES, APP and
// summary outputs. The exit status is the run's status code; a failed run
// that standard output does not explain says why in one line on standard
// error.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

#include "app/arguments.h"
#include "app/conversion_context.h"
#include "app/failure_report.h"
#include "app/input_guard.h"
#include "app/messages.h"
#include "app/naming.h"
#include "app/run_driver.h"

int main(int argc, char** argv) {
  std::unique_ptr<rawsplit::ConversionContext> cx(new (std::nothrow) rawsplit::ConversionContext());
  if (!cx) return d01ozu::kStatusNoMemory;
  cx->message_sink = rawsplit::ConsoleMessage;
  cx->progress_sink = rawsplit::ConsoleProgress;
  if (argc < 2) {
    rawsplit::PrintUsage(*cx, false);
    return 0;
  }
  d01ozu::StatusCode status = rawsplit::ParseArguments(*cx, argc, argv, true);
  if (cx->exit_after_usage) return 0;
  if (status == d01ozu::kStatusOk) status = rawsplit::ReadExtraArguments(*cx);
  if (cx->exit_after_usage) return 0;
  if (status == d01ozu::kStatusOk) status = rawsplit::PrepareNames(*cx);
  if (status == d01ozu::kStatusOk) status = rawsplit::RefuseInputClashes(*cx);
  const bool converted = status == d01ozu::kStatusOk;
  if (converted) status = rawsplit::RunConversion(*cx);
  rawsplit::ReportFailure(*cx, status, converted, stderr);
  return static_cast<int16_t>(status);
}
