// The front end's per-run object: options, input and output names, the
// stream that classifies inputs, the counts of the run and the two console
// callbacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/status_code.h"
#include "d01ozu/d01ozu.h"
#include "input/input_stream.h"

namespace rawsplit {

constexpr int kMaxInputs = 512;
constexpr size_t kInputNameSize = 128;  // 127 characters and the terminator
constexpr size_t kPathSize = 256;       // output, summary and DAT-extension buffers
constexpr size_t kLineSize = 256;

// Every text line of the run: level 1 run information, 2 trace and problem
// lines, 3 dumps and resynchronisation details.
using MessageSink = void (*)(int level, const char* text, uint32_t user);
// Progress of the current input file in percent; a non-zero *abort asks the
// driver to stop after the current record.
using ProgressSink = void (*)(uint8_t* abort, uint16_t percent, const char* text,
                              const int16_t* verbose);

struct ConversionContext {
  d01ozu::InputStream input;
  char inputs[kMaxInputs][kInputNameSize] = {};  // an empty entry ends the list
  bool have_input = false;
  size_t extension_pos = 0;  // where each output's extension is written
  char output_name[kPathSize] = {};
  bool have_output = false;
  char dat_extension[kPathSize] = {};

  // Options; 0 is off unless said otherwise.
  int16_t produce_dat = 0, produce_eph = 0, produce_ion = 0;
  int16_t produce_mes = 0, produce_summary = 0, produce_app = 0;
  int16_t verbose = 0;  // 0 silent .. 4; 3 and 4 behave alike
  int16_t fixup = 0;    // -f; forced on while a T0x file is read
  int16_t ignore_checksum = 0;
  uint32_t record_filter = 0;   // -k
  int16_t serial_fix_mode = 0;  // -n
  int16_t mode_27_17 = 1;       // 0 after -g, 1 default or -o, 2 after -o+
  int16_t l2_preference = 3;    // -l2c / -l2e
  int16_t type27_flag = 0;      // -g
  int16_t quick_mode = 0;       // -q
  d01ozu::InputFormat format = d01ozu::InputFormat::kUnknown;
  int16_t header_flag = 1, eph_flag = 1, ion_flag = 1;  // what the input carries
  uint16_t gps_week = 0;                                // -W
  uint16_t nav_version = 0, sig_version = 0;            // -R; 0 = from the header
  bool summary_given = false;
  char summary_name[kPathSize] = {};
  int16_t update_name_mode = 0;   // -u
  bool exit_after_usage = false;  // "-!!!", --help or --version printed their text

  // The run's counts, once it has ended.
  int32_t record_count = 0;
  int32_t checksum_errors = 0;
  int32_t lost_bytes = 0;
  int current_input = -1;      // index of the input being read, -1 before the first
  std::string concerned_file;  // what a refusal before the run names, else empty

  // Reporting.
  MessageSink message_sink = nullptr;
  uint32_t message_user = 0;
  ProgressSink progress_sink = nullptr;
  char line[kLineSize] = {};
  char message_template[kLineSize] = {};
};

}  // namespace rawsplit
