#include "app/input_guard.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/naming.h"
#include "core/file_identity.h"
#include "d01ozu/d01ozu.h"

namespace rawsplit {
namespace {

using d01ozu::StatusCode;

struct PlannedOutput {
  std::string name;
  StatusCode failure;  // status of a failure to create it
};

// Adds the output name with extension, when it fits.
void Plan(ConversionContext& cx, std::vector<PlannedOutput>& out, const char* extension,
          StatusCode failure) {
  if (FormOutputName(cx, extension)) out.push_back({cx.output_name, failure});
}

// Every name the run would create or rename onto, with its failure status.
std::vector<PlannedOutput> PlannedOutputs(ConversionContext& cx) {
  std::vector<PlannedOutput> out;
  if (cx.produce_dat) {
    Plan(cx, out, cx.dat_extension, d01ozu::kStatusDatOpen);
    if (std::strcmp(cx.dat_extension, d01ozu::kTemporaryDatExtension) == 0) {
      Plan(cx, out, ".dat", d01ozu::kStatusDatOpen);
      Plan(cx, out, ".tgd", d01ozu::kStatusDatOpen);
    }
  }
  for (const NamedOutput& o : kNamedOutputs)
    if (cx.*o.wanted) Plan(cx, out, o.extension, o.failure);
  if (cx.produce_summary) {
    if (cx.summary_given)
      out.push_back({cx.summary_name, d01ozu::kStatusSumOpen});
    else
      Plan(cx, out, ".txt", d01ozu::kStatusSumOpen);
  }
  return out;
}

}  // namespace

StatusCode RefuseInputClashes(ConversionContext& cx) {
  for (const PlannedOutput& output : PlannedOutputs(cx)) {
    for (int i = 0; i < kMaxInputs && cx.inputs[i][0]; ++i) {
      if (!d01ozu::SameFile(output.name, cx.inputs[i])) continue;
      cx.concerned_file = output.name + " would replace the input " + cx.inputs[i];
      if (cx.verbose >= 2) Say(cx, 2, kMsgError, ("output " + cx.concerned_file).c_str());
      return output.failure;
    }
  }
  return d01ozu::kStatusOk;
}

}  // namespace rawsplit
