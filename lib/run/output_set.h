// The library handle: output streams and their names, the images, the run
// facts, the application buffer and the container reader state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/status_code.h"
#include "d01ozu/d01ozu.h"
#include "output/app_file.h"
#include "output/images.h"
#include "output/out_file.h"
#include "records/expansion_context.h"

namespace d01ozu {

struct RecordProcessor;

// Indexes of the outputs in the handle: the values of the public OutputKind.
enum : int {
  kOutputDat = static_cast<int>(OutputKind::kDat),
  kOutputEph = static_cast<int>(OutputKind::kEph),
  kOutputIon = static_cast<int>(OutputKind::kIon),
  kOutputMes = static_cast<int>(OutputKind::kMes),
  kOutputSummary = static_cast<int>(OutputKind::kSummary),
  kOutputApp = static_cast<int>(OutputKind::kApp),
};

struct OutputSet {
  OutFile files[7];  // indexed by kOutputDat to kOutputApp
  EphImage eph;
  IonImage ion;
  RunInfo run;
  AppBuffer app;
  std::string dat_extension;
  bool quick = false;               // a quick run deletes the DAT file at close
  std::vector<std::string> inputs;  // never replaced by the -u1 rename
  ExpansionContextPtr expansion;
  DiagnosticSink diagnostics;
  RecordProcessor* processor = nullptr;

  OutFile& file(int kind) { return files[kind]; }
};

using OutputSetPtr = std::unique_ptr<OutputSet>;

// Creates the handle (zeroed images, reader state) and makes its images known to rp. 1 when memory
// cannot be had (no handle is left).
StatusCode OpenConversion(OutputSetPtr& handle, RecordProcessor& rp);
// Opens output kind 1 to 6 at path: DAT read-write binary (and hands it to the
// processor), EPH, ION and APP binary, MES and summary text. Returns 3, 5, 7,
// 9, 20 or 24 when path is empty or cannot be created, 2 without a handle.
StatusCode OpenOutput(OutputSet* handle, int kind, const char* path);
// Finishes, writes and closes every open output, gives the DAT file its final
// name, deletes empty outputs and releases the handle. Returns 2 without a
// handle, else the status of the last step that sets one (DAT leading
// records 16, MES writer, APP 26/27, summary writer).
StatusCode CloseConversion(OutputSetPtr& handle);

// Discards and re-creates the container reader state; 1 when that fails.
StatusCode ResetContainerReader(OutputSet& handle);

// The conversion's diagnostic sink, kept for every reader state made later.
void SetDiagnosticSink(OutputSet& handle, const DiagnosticSink& sink);

// Run facts handed over by the driver.
void SetUpdateNameMode(OutputSet& handle, uint16_t mode);
void SetQuickFlag(OutputSet& handle, bool quick);
void SetDatExtension(OutputSet& handle, const char* extension);
void SetReceiverType(OutputSet& handle, uint16_t type);
void SetVersions(OutputSet& handle, uint16_t nav, uint16_t sig);
// Copies both names upper-cased, cut to 12 characters.
void SetStationNames(OutputSet& handle, const char* station, const char* session);
void SetGpsWeek(OutputSet& handle, uint16_t week);
// Adds an input of the run: the -u1 rename never replaces it.
void ProtectInput(OutputSet& handle, const char* path);

}  // namespace d01ozu
