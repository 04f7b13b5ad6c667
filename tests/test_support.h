// Helpers shared by the tests: temporary directories, file access and running
// the built rawsplit binary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

// A fresh directory under the system temporary directory, removed on exit.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void write_file(const std::string& path, const Bytes& data);
void write_text(const std::string& path, const std::string& text);
Bytes read_file(const std::string& path);
std::string read_text(const std::string& path);
bool file_exists(const std::string& path);
// The lines of text, without their line ends.
std::vector<std::string> lines_of(const std::string& text);

struct RunResult {
  int status = -1;     // exit status, or -1 when the program did not exit normally
  std::string output;  // standard output
  std::string error;   // standard error
};

// Runs the built rawsplit in directory cwd with args; env entries "NAME=VALUE"
// are added to the environment (RAWSPLIT_CONFIG defaults to a missing file).
// file_size_limit > 0 sets RLIMIT_FSIZE on the child with SIGXFSZ ignored.
RunResult run_rawsplit(const std::string& cwd, const std::vector<std::string>& args,
                       const std::vector<std::string>& env = {}, long file_size_limit = 0);

// Five binary message placeholders and the ION/UTC record open a DAT file.
constexpr size_t kDatStartBytes = 24 + 98 + 65 + 64 + 110 + 124;

// A run on one input file and the DAT file it left (".dat", or ".tgd" when
// the file holds type-27 records).
struct DatRun {
  int status = -1;
  std::string output;
  std::string extension;  // empty when no DAT file was left
  Bytes dat;
};

// Writes input as name into a fresh directory and runs rawsplit there with
// args followed by name.
DatRun run_on_input(const std::string& name, const Bytes& input, std::vector<std::string> args);

// The records of a DAT file after its start: the length in byte 1, and in
// byte 2 too for the types whose records may pass 255 bytes.
std::vector<Bytes> dat_records(const Bytes& dat);

}  // namespace testsupport
