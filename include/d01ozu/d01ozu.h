// d01ozu: conversion of the raw logs of GNSS survey receivers (R00, T00,
// T01, T02, T04; several joined end to end) into the DAT record stream, the
// EPH and ION images, the MES session report, the summary text and the APP
// configuration.
//
// A Converter is made from Options, given its inputs (files by path, bytes in
// memory, or a read callback), then run to the end or stepped one record at a
// time, and closed, which writes the outputs and gives the final status. What
// happens on the way is reported through the callbacks of Events; the library
// never prints. Converters share nothing: several may run at once on
// different threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace d01ozu {

constexpr int kVersionMajor = 8;
constexpr int kVersionMinor = 109;

// The library version text, "8.109".
const char* LibraryVersion();

// Status of an operation and of a whole run; the run's status is the command
// line's exit status. 1 to 31 are errors, 32 reports that the quick summary
// was given.
enum class Status : uint16_t {
  kOk = 0,
  kNoMemory = 1,
  kNotOpened = 2,
  kDatOpen = 3,
  kDatNotOpen = 4,
  kEphOpen = 5,
  kEphNotOpen = 6,
  kIonOpen = 7,
  kIonNotOpen = 8,
  kMesOpen = 9,
  kMesNotOpen = 10,
  kNoStx = 11,
  kNoEtx = 12,
  kBadChecksum = 13,
  kLogst = 14,
  kDiskFull = 15,
  kNoBinaryMessages = 16,
  kNoInput = 17,
  kBadHeader = 18,
  kOutOfSequence = 19,
  kSumOpen = 20,
  kSumNotOpen = 21,
  kNoResync = 23,
  kAppOpen = 24,
  kAppNotOpen = 25,
  kAppInvalid = 26,
  kAppNoInfo = 27,
  kAborted = 28,
  kErrorsTolerated = 29,
  kExpansion = 30,
  kT02Unsupported = 31,
  kQuickSummary = 32,
};

// The text of a status ("Disk full", ...), or nullptr for a value without one.
const char* StatusText(Status status);

enum class InputFormat : uint8_t { kUnknown = 0, kR00 = 1, kT00 = 2, kT01 = 3, kT02 = 4, kT04 = 5 };

// The input format of a file name's extension (".r00", ".T01", ...), else
// kUnknown; and the format that a file's first bytes show, else kUnknown.
InputFormat FormatOfExtension(const char* name);
InputFormat FormatOfBytes(const uint8_t* data, size_t size);

// The extension a DAT file has while it is written; the converter renames
// such a file at close.
constexpr char kTemporaryDatExtension[] = ".tg!";

enum class OutputKind : uint8_t { kDat = 1, kEph = 2, kIon = 3, kMes = 4, kSummary = 5, kApp = 6 };

// Everything a conversion is told before it starts. An output is written when
// its path is set. A DAT path ending in ".tg!" is renamed at close to ".dat",
// or ".tgd" when it holds type-27 records as they are; under update_name_mode
// 1 it is first renamed after the station found in the data, the session
// name and dat_extension.
struct Options {
  std::string dat_path, eph_path, ion_path, mes_path, summary_path, app_path;
  std::string dat_extension;                   // the extension dat_path ends with
  InputFormat format = InputFormat::kUnknown;  // kUnknown: from the first file's bytes
  bool inputs_have_header = true;
  bool inputs_have_ephemerides = true;
  bool inputs_have_ion = true;
  bool ignore_checksum = false;  // drop records with a bad checksum and go on
  bool fixup = false;            // search for the next sound record after damage
  int serial_fix_mode = 0;       // 0 off, 1 conditional, 2 unconditional
  int mode_27_17 = 1;            // 0 keep type 27, 1 convert to type 17, 2 both
  int l2_preference = 3;
  bool type27_flag = false;
  int quick_mode = 0;  // non-zero: stop once the quick summary is known
  uint32_t record_filter = 0;
  int update_name_mode = 0;
  uint16_t gps_week = 0;
  uint16_t nav_version = 0, sig_version = 0;  // 0: from the header
  std::string station_name, session_name;     // run names until the data gives them
  // 2 or more: that many worker threads (at most 3) decompress the blocks of
  // T02 and T04 input side by side, ahead of the records, and one worker
  // decodes the su code of T01 input ahead of the framer (inputs read through
  // a callback stay on one thread). Outputs, statuses and events are the
  // same either way.
  unsigned threads = 1;
};

// One step of the record loop, reported after the record was processed.
// The command line's trace shows type and position; a T0x step reports the
// offset where the step before it began, since a record leaves the reader
// only once the bytes after it have been looked at.
struct RecordEvent {
  InputFormat form;
  bool delivered;        // false: the step read no record (end of input)
  int type;              // the record type the step handed on
  uint64_t position;     // input offset reported for the step
  uint64_t offset;       // input offset where the step began
  bool has_time;         // the type carries an epoch time
  double time_seconds;   // the latest epoch time of the run
  int raw_type;          // the type byte of the record as read
  uint32_t length;       // the record's frame length as read
  bool checksum_tested;  // the record carried a checksum, and it was right
};

// A record that was refused. For R00 input, bytes holds the refused bytes
// (size of them) followed by the 256 input bytes after them (zeros past the
// end of the input). For T0x input, bytes is empty and detail is the reader's
// code: 2 bad checksum, 3 bad length, 5 no ETX, 7 refused block or record,
// 8 block too long, 9 unsupported version, 10, 24, 25 zlib, brotli, zstd
// failure, 14 scrambled block, 18 the first record after a search.
struct ProblemEvent {
  InputFormat form;
  Status status;
  uint64_t position;
  const uint8_t* bytes;
  size_t size;
  bool resynchronising;  // a search for the next record follows
  int detail;
};

// A search for the next sound record after damage.
struct ResyncEvent {
  uint64_t search_start;
  bool found;
  uint64_t found_at;
  uint64_t lost_bytes;
};

struct Events {
  void* user = nullptr;
  void (*output_opened)(void* user, OutputKind kind, const char* path, Status status) = nullptr;
  void (*input_started)(void* user, int index, const char* name) = nullptr;
  void (*record)(void* user, const RecordEvent& event) = nullptr;
  void (*problem)(void* user, const ProblemEvent& event) = nullptr;
  void (*resync)(void* user, const ResyncEvent& event) = nullptr;
  // Percent of the current input; returning false aborts the run (status 28).
  bool (*progress)(void* user, int percent) = nullptr;
  void (*quick_summary)(void* user, const char* text) = nullptr;
  void (*diagnostic)(void* user, const char* text) = nullptr;
};

// Bytes of an input read at an offset; returns the count read, less than
// size only at the end of the input. Offsets mostly increase; the search
// after damage steps back.
using ReadAt = size_t (*)(void* user, uint64_t offset, uint8_t* dest, size_t size);

struct Counters {
  int32_t records = 0;
  int32_t checksum_errors = 0;
  int32_t lost_bytes = 0;
};

class Converter {
 public:
  // A converter for these options, or nullptr when memory cannot be had.
  static std::unique_ptr<Converter> Create(const Options& options, const Events& events = {});
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Inputs are read in the order given, as one run. A path is opened when its
  // turn comes; bytes and callbacks must stay valid until Close.
  [[nodiscard]] Status AddInputFile(const char* path);
  [[nodiscard]] Status AddInputBytes(const uint8_t* data, size_t size, const char* name = "");
  [[nodiscard]] Status AddInputReader(ReadAt read, void* user, uint64_t size,
                                      const char* name = "");

  // Opens the outputs (the first call to Step does it when not done).
  [[nodiscard]] Status Open();
  // Processes one record; *finished is set when the run is over (every input
  // read, or a status that ends it). Returns the step's status.
  [[nodiscard]] Status Step(bool* finished);
  // Steps until the run is over, then closes; returns the run's status.
  [[nodiscard]] Status Run();
  // Writes and closes the outputs; returns the run's final status: the first
  // error not tolerated, 28 after an abort, 29 when errors were tolerated, 32
  // after a quick summary.
  [[nodiscard]] Status Close();

  Counters counters() const;

  struct State;

 private:
  explicit Converter(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace d01ozu
