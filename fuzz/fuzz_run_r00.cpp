// A whole conversion of arbitrary bytes, with every output and fixup on:
// nothing may crash, leak or run away. The first byte also picks the format
// option, so the R00 loop and the container path (T00, T01, T02, T04) are
// both reached; R00 headers, block containers (first byte 0) and T00 streams
// (STX, 2) keep the format their content gives.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/arguments.h"
#include "app/conversion_context.h"
#include "app/naming.h"
#include "app/run_driver.h"

namespace {

// One scratch directory for the whole fuzzing process, removed at exit.
char g_scratch[] = "/tmp/fuzz-run-r00-XXXXXX";

const std::string& ScratchDir() {
  static const std::string dir = [] {
    if (!mkdtemp(g_scratch)) return std::string("/tmp");
    std::atexit([] { std::filesystem::remove_all(g_scratch); });
    return std::string(g_scratch);
  }();
  return dir;
}

// -t value chosen by the first input byte modulo 8; nullptr: from the content.
const char* FormatOption(uint8_t first) {
  static const char* const kByFirstByte[8] = {nullptr,  "-t.r00", nullptr,  "-t.t01",
                                              "-t.t00", "-t.t02", "-t.t04", "-t.r00"};
  return kByFirstByte[first % 8];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = ScratchDir() + "/in.r00";
  const std::string output = ScratchDir() + "/out";
  std::FILE* f = std::fopen(input.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  auto cx = std::make_unique<rawsplit::ConversionContext>();
  // No message sink: the run is silent.
  std::vector<const char*> argv{"rawsplit", "-deimasf", input.c_str(), output.c_str()};
  const char* format = size > 0 ? FormatOption(data[0]) : nullptr;
  if (format) argv.insert(argv.begin() + 2, format);
  d01ozu::StatusCode st =
      rawsplit::ParseArguments(*cx, static_cast<int>(argv.size()), argv.data(), true);
  if (st == d01ozu::kStatusOk) st = rawsplit::PrepareNames(*cx);
  if (st == d01ozu::kStatusOk) rawsplit::RunConversion(*cx);
  return 0;
}
