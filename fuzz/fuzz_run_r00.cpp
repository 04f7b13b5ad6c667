// A whole conversion of arbitrary bytes read as an R00 input, with every
// output and fixup on: nothing may crash, leak or run away.
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
#include "datstream/record_processor.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = ScratchDir() + "/in.r00";
  const std::string output = ScratchDir() + "/out";
  std::FILE* f = std::fopen(input.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  auto cx = std::make_unique<rawsplit::ConversionContext>();
  auto rp = std::make_unique<d01ozu::RecordProcessor>();
  // No message sink: the run is silent. -t.r00 keeps every input on the R00 path.
  const std::vector<const char*> argv{"rawsplit", "-deimasf", "-t.r00", input.c_str(),
                                      output.c_str()};
  d01ozu::StatusCode st =
      rawsplit::ParseArguments(*cx, static_cast<int>(argv.size()), argv.data(), true);
  if (st == d01ozu::kStatusOk) st = rawsplit::PrepareNames(*cx);
  if (st == d01ozu::kStatusOk) rawsplit::RunConversion(*cx, *rp);
  return 0;
}
