// A whole conversion of arbitrary bytes read as an R00 input, with every
// output and fixup on: nothing may crash, leak or run away.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/arguments.h"
#include "app/conversion_context.h"
#include "app/naming.h"
#include "app/run_driver.h"
#include "datstream/record_processor.h"

namespace {

// One scratch directory for the whole fuzzing process.
const std::string& ScratchDir() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/fuzz-run-r00-XXXXXX";
    const char* made = mkdtemp(tmpl);
    return std::string(made ? made : "/tmp");
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
