// The library handle: output streams and their names, the images, the run
// facts, the application buffer and the container reader state.
#pragma once

#include <memory>
#include <string>

#include "datstream/app_file.h"
#include "datstream/images.h"
#include "datstream/out_file.h"
#include "datstream/status_code.h"
#include "expansion/expansion_context.h"

namespace d01ozu {

struct RecordProcessor;

enum OutputKind : int {
  kOutputDat = 1,
  kOutputEph = 2,
  kOutputIon = 3,
  kOutputMes = 4,
  kOutputSummary = 5,
  kOutputApp = 6,
};

struct OutputSet {
  OutFile files[7];  // indexed by OutputKind
  EphImage eph;
  IonImage ion;
  RunInfo run;
  AppBuffer app;
  std::string dat_extension;
  bool quick = false;
  ExpansionContextPtr expansion;
  RecordProcessor* processor = nullptr;

  OutFile& file(OutputKind kind) { return files[kind]; }
};

using OutputSetPtr = std::unique_ptr<OutputSet>;

StatusCode OpenConversion(OutputSetPtr& handle, RecordProcessor& rp);
StatusCode OpenOutput(OutputSet* handle, int kind, const char* path);
StatusCode CloseConversion(OutputSetPtr& handle);

}  // namespace d01ozu
