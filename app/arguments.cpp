#include "app/arguments.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/front_version.h"
#include "app/messages.h"
#include "app/naming.h"

namespace rawsplit {
namespace {

using d01ozu::StatusCode;

// Separators of a joined input argument, of an @file line and of -R values.
constexpr char kJoinSeparators[] = "+,;\r\n";
constexpr char kListSeparators[] = " +,;:\r\n";
constexpr char kVersionSeparators[] = ",.;:\r\n";
constexpr size_t kListLineSize = 1024;

// Finds the next token of text at or after *cursor; runs of separators count
// as one. Returns false when none is left; otherwise start/length hold it.
bool NextToken(const char*& cursor, const char* separators, const char*& start, size_t& length) {
  cursor += std::strspn(cursor, separators);
  if (*cursor == '\0') return false;
  start = cursor;
  length = std::strcspn(cursor, separators);
  cursor += length;
  return true;
}

// Copies a token of length bytes into entry index and resolves it. Returns
// the resolution status; a token over 127 characters is refused with 17.
StatusCode TakeInputName(ConversionContext& cx, int index, const char* token, size_t length) {
  if (length >= kInputNameSize) {
    Say(cx, 1, kMsgError, "input name longer than 127 characters");
    cx.concerned_file.assign(token, length);
    return d01ozu::kStatusNoInput;
  }
  char* entry = cx.inputs[index];
  std::memcpy(entry, token, length);
  entry[length] = '\0';
  d01ozu::InputFormat detected = d01ozu::kFormatUnknown;
  StatusCode st = ResolveInputName(cx, entry, detected, cx.header_flag, cx.eph_flag, cx.ion_flag);
  if (st == d01ozu::kStatusOk && cx.format == d01ozu::kFormatUnknown) cx.format = detected;
  return st;
}

// The first plain argument: input names joined by "+" (or , ;). Stops at the
// first name that fails and returns its status.
StatusCode TakeJoinedInputs(ConversionContext& cx, const char* arg) {
  cx.have_input = true;
  StatusCode st = d01ozu::kStatusOk;
  const char* cursor = arg;
  const char* token;
  size_t length;
  int held = 0;
  while (held < kMaxInputs && st == d01ozu::kStatusOk &&
         NextToken(cursor, kJoinSeparators, token, length)) {
    st = TakeInputName(cx, held, token, length);
    if (st == d01ozu::kStatusOk) ++held;
  }
  return st;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// "@path": one input name per line (its first token), written from the first
// entry on. Returns the status of the last name tried, or previous when the
// file cannot be opened or names nothing.
StatusCode TakeListFile(ConversionContext& cx, const char* path, StatusCode previous) {
  std::unique_ptr<std::FILE, FileCloser> list(std::fopen(path, "r"));
  if (!list) return previous;
  cx.have_input = true;
  StatusCode st = previous;
  char line[kListLineSize];
  int held = 0;
  while (held < kMaxInputs && std::fgets(line, sizeof line, list.get())) {
    const char* cursor = line;
    const char* token;
    size_t length;
    if (!NextToken(cursor, kListSeparators, token, length)) continue;
    st = TakeInputName(cx, held, token, length);
    if (st == d01ozu::kStatusOk) ++held;
  }
  return st;
}

// "-R" values: NAV and SIG versions separated by , . ; or :.
void TakeVersions(ConversionContext& cx, const char* rest) {
  const char* cursor = rest;
  const char* token;
  size_t length;
  cx.nav_version = 0;
  cx.sig_version = 0;
  if (NextToken(cursor, kVersionSeparators, token, length)) {
    cx.nav_version = static_cast<uint16_t>(ParseNumber(token));
    if (NextToken(cursor, kVersionSeparators, token, length))
      cx.sig_version = static_cast<uint16_t>(ParseNumber(token));
  }
}

// "-t.ext": the input format by extension; T0x formats carry no R00 header
// and no initial blocks.
void TakeFormat(ConversionContext& cx, const char* ext) {
  cx.format = d01ozu::FormatOfExtension(ext);
  if (cx.format >= d01ozu::InputFormat::kT00) {
    cx.eph_flag = 0;
    cx.header_flag = 0;
  }
}

// "-x...": exclude initial header and blocks.
void TakeExclusions(ConversionContext& cx, const char* arg) {
  if (std::strchr(arg, '*')) {
    cx.header_flag = cx.eph_flag = cx.ion_flag = 0;
    return;
  }
  if (std::strchr(arg + 2, 'e')) cx.eph_flag = 0;
  if (std::strchr(arg + 2, 'h')) cx.header_flag = 0;
  if (std::strchr(arg + 2, 'i')) cx.ion_flag = 0;
}

// A group of flag letters found anywhere in the argument; none clears a flag.
void TakeFlagLetters(ConversionContext& cx, const char* arg) {
  static const struct {
    char letter;
    int16_t ConversionContext::*field;
  } kFlags[] = {{'a', &ConversionContext::produce_app},    {'d', &ConversionContext::produce_dat},
                {'e', &ConversionContext::produce_eph},    {'i', &ConversionContext::produce_ion},
                {'m', &ConversionContext::produce_mes},    {'v', &ConversionContext::verbose},
                {'f', &ConversionContext::fixup},          {'q', &ConversionContext::quick_mode},
                {'c', &ConversionContext::ignore_checksum}};
  for (const auto& f : kFlags)
    if (std::strchr(arg, f.letter)) cx.*f.field = 1;
  const char* v = std::strchr(arg, 'v');
  if (v && v[1] >= '2' && v[1] <= '4') cx.verbose = static_cast<int16_t>(v[1] - '0');
}

// "-s[name]": a summary file, named by the rest of the argument when given.
StatusCode TakeSummary(ConversionContext& cx, const char* name) {
  cx.produce_summary = 1;
  if (std::strlen(name) >= kPathSize) {
    Say(cx, 1, kMsgError, "summary name longer than 255 characters");
    return d01ozu::kStatusSumOpen;
  }
  std::strcpy(cx.summary_name, name);
  cx.summary_given = name[0] != '\0';
  return d01ozu::kStatusOk;
}

// Options that set one mode from the rest of the argument; false when the
// letter is none of them.
bool TakeModeOption(ConversionContext& cx, char letter, const char* rest) {
  switch (letter) {
    case 'l':
      if (std::strncmp(rest, "2c", 2) == 0) cx.l2_preference = rest[2] == '+' ? 3 : 1;
      if (std::strncmp(rest, "2e", 2) == 0) cx.l2_preference = rest[2] == '+' ? 2 : 0;
      return true;
    case 'n':
      cx.serial_fix_mode = rest[0] == '!' ? 2 : 1;
      return true;
    case 'g':
      cx.mode_27_17 = 0;
      cx.type27_flag = 1;
      return true;
    case 'o':
      cx.mode_27_17 = rest[0] == '+' ? 2 : 1;
      return true;
    case 'q':
      cx.quick_mode = rest[0] ? static_cast<int16_t>(ParseNumber(rest)) : 1;
      return true;
    case 'u':
      cx.update_name_mode = rest[0] == '1' ? 1 : 0;
      return true;
    case 'W':
      cx.gps_week = static_cast<uint16_t>(ParseNumber(rest));
      return true;
    default:
      return false;
  }
}

// An argument that begins with "-": an option named by its second character,
// else a group of flag letters. Returns 0, or 20 for a summary name that is
// too long.
StatusCode TakeOption(ConversionContext& cx, const char* arg) {
  const char* rest = arg + 2;
  if (arg[1] == 's') return TakeSummary(cx, rest);
  if (arg[1] == 'k') {
    long mask = ParseNumber(rest);
    cx.record_filter = mask ? static_cast<uint32_t>(mask) : 0xFFFFFFFFu;
  } else if (arg[1] == 'R') {
    TakeVersions(cx, rest);
  } else if (arg[1] == 'x') {
    TakeExclusions(cx, arg);
  } else if (arg[1] == 't') {
    TakeFormat(cx, rest);
  } else if (arg[1] == '\0' || !TakeModeOption(cx, arg[1], rest)) {
    TakeFlagLetters(cx, arg);
  }
  return d01ozu::kStatusOk;
}

// The second plain argument: the output name as it stands.
StatusCode TakeOutputName(ConversionContext& cx, const char* name) {
  if (std::strlen(name) >= kPathSize) {
    Say(cx, 1, kMsgError, "output name longer than 255 characters");
    return d01ozu::kStatusDatOpen;
  }
  std::strcpy(cx.output_name, name);
  cx.have_output = true;
  return d01ozu::kStatusOk;
}

// "-!!!" and --help print the full usage, --version the versions; each ends
// the run with 0. False for any other argument.
bool TakeInformationRequest(ConversionContext& cx, const char* arg) {
  if (std::strncmp(arg, "-!!!", 4) == 0 || std::strcmp(arg, "--help") == 0)
    PrintUsage(cx, true);
  else if (std::strcmp(arg, "--version") == 0)
    PrintVersion();
  else
    return false;
  cx.exit_after_usage = true;
  return true;
}

// Defaults the command line starts from (extra arguments keep what it set).
void ResetDefaults(ConversionContext& cx) {
  cx.serial_fix_mode = 0;
  cx.mode_27_17 = 1;
  cx.type27_flag = 0;
  cx.l2_preference = 3;
  cx.quick_mode = 0;
}

// Usage text: option lines of the short usage, those the full usage adds,
// and the examples.
constexpr const char* kUsageOptions[] = {
    " @file      file with list of files to be concatenated (one per line)",
    " -c         ignore checksum errors",
    " -a         produce APP file (when possible)",
    " -d         produce DAT file",
    " -e         produce EPH file",
    " -i         produce ION file",
    " -m         produce MES file",
    " -n[!]      fix Xelor serial number, [!-unconditional]",
    " -s[file]   produce Summary file",
    " -f         attempt fixup if possible",
    " -u[0|1]    update file name [0-dft, 1-station]",
    " -v         verbose",
    " -x[ehi*]   exclude initial: e-eph, h-header, i-ionutc, *-all",
    " -tfmt      format type of file (fmt=r00,t00,t01,t02)",
    " -q         quick summary to std out",
    " -g         use type 27 (if it exists) and allow extended type 17"};
constexpr const char* kUsageFullOptions[] = {
    " -k[FILTER] remove new record types flags",
    " -l2c[+]    use l2c if both l2c and l2e exist (+ = preferred)",
    " -l2e[+]    use l2e if both l2c and l2e exist (+ = preferred)",
    " -o[+]      convert type 27 to 17, no type 28 (+ use 17,27,28)",
    " -R         override NAV and SIG versions",
    " -W         set GPS week to specified value"};
constexpr const char* kUsageExamples[] = {
    "examples: rawsplit -d gs00233a",
    "          rawsplit -dev gs00233a gnew233a",
    "          rawsplit -deimv gs00233a c:\\new\\gs00233a",
    "          rawsplit -de c:\\old\\gs00233a c:\\new\\gs00233a",
    "          rawsplit -demv gs00233a+gs00233b+gs00233c comb2330",
    "          rawsplit -demv @r00.lst comb2330"};
}  // namespace

long ParseNumber(const char* text) {
  const char* p = text;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p)
    if (value < 0x7FFFFFFFLL) value = value * 10 + (*p - '0');
  if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
  return static_cast<long>(negative ? -value : value);
}

StatusCode ParseArguments(ConversionContext& cx, int argc, const char* const* argv,
                          bool reset_defaults) {
  if (reset_defaults) ResetDefaults(cx);
  StatusCode names = d01ozu::kStatusOk;  // status of the last name resolution
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    StatusCode st = d01ozu::kStatusOk;
    if (TakeInformationRequest(cx, arg)) {
      return d01ozu::kStatusOk;
    } else if (arg[0] == '-') {
      st = TakeOption(cx, arg);
    } else if (arg[0] == '@') {
      names = TakeListFile(cx, arg + 1, names);
    } else if (!cx.have_input) {
      names = TakeJoinedInputs(cx, arg);
    } else if (!cx.have_output) {
      st = TakeOutputName(cx, arg);
    }
    if (st != d01ozu::kStatusOk) return st;
  }
  if (cx.quick_mode) cx.produce_dat = 1;
  return names;
}

void PrintVersion() {
  std::printf("rawsplit %s (d01ozu %d.%02d)\n", kProgramVersionNumber, kLibraryMajor,
              kLibraryMinor);
}

void PrintUsage(const ConversionContext&, bool full) {
  char library[16];
  LibraryVersionText(library, sizeof library);
  std::printf("\nrawsplit - Utility to unpack Orvane R00\\T00\\T01\\T02 files, %s ( d01ozu %s)\n\n",
              kProgramVersion, library);
  std::printf(
      "usage: rawsplit [-deimacfvq] [-sfile] [-x[ehi*]] [-tfmt] [-n[!]] [-u0|1] "
      "src[+s2+s3+..+sn] [@file] [out]\n");
  if (full) std::printf("                [-k[filter]] [-g] [-o[+]] [-RNav,Sig] [-Wweek]\n");
  for (const char* line : kUsageOptions) std::printf("%s\n", line);
  if (full)
    for (const char* line : kUsageFullOptions) std::printf("%s\n", line);
  std::printf("\n");
  for (const char* line : kUsageExamples) std::printf("%s\n", line);
  std::printf("\n");
}

}  // namespace rawsplit
