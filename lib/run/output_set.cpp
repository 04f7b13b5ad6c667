#include "run/output_set.h"
#include "core/file_identity.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "output/eph_ion.h"
#include "output/reports.h"
#include "processing/record_processor.h"

namespace d01ozu {
namespace {

struct OutputMode {
  const char* mode;
  StatusCode open_failure;
};

// fopen mode and open-failure status by output index (index 0 unused).
constexpr OutputMode kOutputModes[7] = {{nullptr, kStatusNotOpened}, {"wb+", kStatusDatOpen},
                                        {"wb", kStatusEphOpen},      {"wb", kStatusIonOpen},
                                        {"w", kStatusMesOpen},       {"w", kStatusSumOpen},
                                        {"wb", kStatusAppOpen}};

// Directory part of path, separator included ("" when it has none).
std::string DirectoryOf(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool EndsWith(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// Renames from to to, deleting an existing to first; returns the name the
// file has afterwards (from when the rename fails).
std::string MoveReplacing(const std::string& from, const std::string& to) {
  if (from == to) return from;
  std::remove(to.c_str());
  return std::rename(from.c_str(), to.c_str()) == 0 ? to : from;
}

// The -u1 name: station from the data, session of the run, DAT extension.
// Separators in the station text are replaced so the file stays in its directory.
std::string StationDatName(const OutputSet& h, const std::string& path) {
  std::string station = h.processor->facts.message_station;
  for (char& c : station)
    if (c == '/' || c == '\\') c = '_';
  return DirectoryOf(path) + station + h.run.session_name + h.dat_extension;
}

// The name a DAT file at path ends with: ".tg!" becomes ".tgd" with type-27
// records kept as they are, else ".dat"; other names stay.
std::string FinalDatName(const std::string& path, bool type27) {
  if (!EndsWith(path, kTemporaryDatExtension)) return path;
  return path.substr(0, path.size() - std::strlen(kTemporaryDatExtension)) +
         (type27 ? ".tgd" : ".dat");
}

// True when path, or the name it will end with, is one of the run's inputs.
bool NamesAnInput(const OutputSet& h, const std::string& path) {
  const std::string final_name = FinalDatName(path, h.processor->type27_written);
  for (const std::string& input : h.inputs)
    if (SameFile(path, input) || SameFile(final_name, input)) return true;
  return false;
}

// Finishes the DAT file and gives it its final name. Returns 0, or 16 when
// the leading records cannot be found. A DAT file that received no record is
// not finished (and is deleted as empty).
StatusCode CloseDat(OutputSet& h) {
  OutFile& dat = h.file(kOutputDat);
  RecordProcessor& rp = *h.processor;
  StatusCode st = kStatusOk;
  // The names the data gives replace those of the file name before they are
  // written into the leading records and used for the -u1 name.
  refresh_station_names(rp, h.run);
  if (rp.records_handed > 0) st = FinishDatFile(rp, h.run);
  dat.close();
  SetDatStream(rp, nullptr);
  std::string path = dat.path();
  if (h.quick) {
    std::remove(path.c_str());
    return st;
  }
  if (h.run.update_name_mode == 1 && rp.facts.message_station_known) {
    std::string station_name = StationDatName(h, path);
    if (!NamesAnInput(h, station_name)) path = MoveReplacing(path, station_name);
  }
  path = MoveReplacing(path, FinalDatName(path, rp.type27_written));
  remove_if_empty(path.c_str());
  return st;
}

// Closes an output whose contents have been written; deletes it when empty.
void CloseAndPrune(OutFile& file) {
  file.close();
  remove_if_empty(file.path().c_str());
}

}  // namespace

StatusCode OpenConversion(OutputSetPtr& handle, RecordProcessor& rp) {
  handle.reset(new (std::nothrow) OutputSet());
  if (!handle) return kStatusNoMemory;
  handle->expansion = CreateExpansionContext();
  if (!handle->expansion) {
    handle.reset();
    return kStatusNoMemory;
  }
  handle->processor = &rp;
  AttachOutputs(rp, &handle->eph, &handle->ion, &handle->app, handle->run.download_version);
  return kStatusOk;
}

StatusCode OpenOutput(OutputSet* handle, int kind, const char* path) {
  if (!handle) return kStatusNotOpened;
  if (kind < kOutputDat || kind > kOutputApp) return kStatusNotOpened;
  const OutputMode& m = kOutputModes[kind];
  OutFile& file = handle->files[kind];
  if (!path || !*path || !file.open(path, m.mode)) return m.open_failure;
  if (kind == kOutputDat) SetDatStream(*handle->processor, &file);
  return kStatusOk;
}

StatusCode CloseConversion(OutputSetPtr& handle) {
  if (!handle) return kStatusNotOpened;
  OutputSet& h = *handle;
  const RecordProcessor& rp = *h.processor;
  StatusCode st = kStatusOk;
  if (h.file(kOutputDat).is_open()) st = CloseDat(h);
  if (h.file(kOutputEph).is_open()) {
    write_eph_file(h.file(kOutputEph), h.eph);
    CloseAndPrune(h.file(kOutputEph));
  }
  if (h.file(kOutputIon).is_open()) {
    write_ion_file(h.file(kOutputIon), h.ion);
    CloseAndPrune(h.file(kOutputIon));
  }
  if (h.file(kOutputMes).is_open()) {
    refresh_station_names(rp, h.run);
    st = write_session_report(h.file(kOutputMes), rp, h.run);
    CloseAndPrune(h.file(kOutputMes));
  }
  if (h.file(kOutputApp).is_open()) {
    StatusCode app = write_app_file(h.file(kOutputApp), h.app);
    if (app == kStatusAppInvalid || app == kStatusAppNoInfo) st = app;
    CloseAndPrune(h.file(kOutputApp));
  }
  if (h.file(kOutputSummary).is_open()) {
    refresh_station_names(rp, h.run);
    st = write_summary(h.file(kOutputSummary), rp, h.run);
    CloseAndPrune(h.file(kOutputSummary));
  }
  AttachOutputs(*h.processor, nullptr, nullptr, nullptr, nullptr);
  handle.reset();
  return st;
}

StatusCode ResetContainerReader(OutputSet& handle) {
  handle.expansion.reset();
  handle.expansion = CreateExpansionContext();
  if (!handle.expansion) return kStatusNoMemory;
  handle.expansion->diagnostics = handle.diagnostics;
  return kStatusOk;
}

void SetDiagnosticSink(OutputSet& handle, const DiagnosticSink& sink) {
  handle.diagnostics = sink;
  if (handle.expansion) handle.expansion->diagnostics = sink;
}

void SetUpdateNameMode(OutputSet& handle, uint16_t mode) {
  handle.run.update_name_mode = mode;
}
void SetQuickFlag(OutputSet& handle, bool quick) {
  handle.quick = quick;
}
void SetDatExtension(OutputSet& handle, const char* extension) {
  handle.dat_extension = extension ? extension : "";
}
void SetReceiverType(OutputSet& handle, uint16_t type) {
  handle.run.receiver_type = type;
}
void SetVersions(OutputSet& handle, uint16_t nav, uint16_t sig) {
  handle.run.nav_version = nav;
  handle.run.sig_version = sig;
}
void SetGpsWeek(OutputSet& handle, uint16_t week) {
  handle.run.gps_week = week;
}

void ProtectInput(OutputSet& handle, const char* path) {
  handle.inputs.emplace_back(path);
}

void SetStationNames(OutputSet& handle, const char* station, const char* session) {
  auto copy_upper = [](char* dest, size_t capacity, const char* src) {
    size_t i = 0;
    for (; src && src[i] && i + 1 < capacity; ++i)
      dest[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(src[i])));
    dest[i] = '\0';
  };
  copy_upper(handle.run.station_name, sizeof handle.run.station_name, station);
  copy_upper(handle.run.session_name, sizeof handle.run.session_name, session);
}

}  // namespace d01ozu
