#include "app/failure_report.h"

#include "app/messages.h"
#include "app/naming.h"

namespace rawsplit {
namespace {

using d01ozu::StatusCode;

// The input being read, else the last one named on the command line.
std::string InputConcerned(const ConversionContext& cx) {
  if (cx.current_input >= 0) return cx.inputs[cx.current_input];
  int last = -1;
  for (int i = 0; i < kMaxInputs && cx.inputs[i][0]; ++i) last = i;
  return last >= 0 ? cx.inputs[last] : "";
}

// The output name with extension once the names are prepared, else the
// output argument as typed.
std::string OutputConcerned(ConversionContext& cx, const char* extension) {
  if (cx.dat_extension[0] == '\0') return cx.have_output ? cx.output_name : "";
  return FormOutputName(cx, extension) ? cx.output_name : "";
}

}  // namespace

std::string ConcernedFile(ConversionContext& cx, StatusCode status) {
  if (!cx.concerned_file.empty()) return cx.concerned_file;
  switch (status) {
    case d01ozu::kStatusDatOpen:
    case d01ozu::kStatusDiskFull:
    case d01ozu::kStatusNoBinaryMessages:
      return OutputConcerned(cx, cx.dat_extension);
    case d01ozu::kStatusEphOpen:
      return OutputConcerned(cx, ".eph");
    case d01ozu::kStatusIonOpen:
      return OutputConcerned(cx, ".ion");
    case d01ozu::kStatusMesOpen:
      return OutputConcerned(cx, ".mes");
    case d01ozu::kStatusAppOpen:
    case d01ozu::kStatusAppInvalid:
    case d01ozu::kStatusAppNoInfo:
      return OutputConcerned(cx, ".cfg");
    case d01ozu::kStatusSumOpen:
      return cx.summary_given ? cx.summary_name : OutputConcerned(cx, ".txt");
    case d01ozu::kStatusNoStx:
    case d01ozu::kStatusNoEtx:
    case d01ozu::kStatusBadChecksum:
    case d01ozu::kStatusLogst:
    case d01ozu::kStatusNoInput:
    case d01ozu::kStatusBadHeader:
    case d01ozu::kStatusOutOfSequence:
    case d01ozu::kStatusNoResync:
    case d01ozu::kStatusExpansion:
    case d01ozu::kStatusT02Unsupported:
      return InputConcerned(cx);
    default:
      return "";
  }
}

std::string FailureLine(ConversionContext& cx, StatusCode status) {
  char text[128];
  StatusMessage(status, text, sizeof text);
  std::string line = "rawsplit: " + std::string(text) + " (status " + std::to_string(status) + ")";
  std::string file = ConcernedFile(cx, status);
  if (!file.empty()) line += ": " + file;
  return line;
}

void ReportFailure(ConversionContext& cx, StatusCode status, bool converted, std::FILE* err) {
  if (status == d01ozu::kStatusOk || status == d01ozu::kStatusErrorsTolerated ||
      status == d01ozu::kStatusQuickSummary || (converted && cx.verbose >= 2))
    return;
  std::fprintf(err, "%s\n", FailureLine(cx, status).c_str());
}

}  // namespace rawsplit
