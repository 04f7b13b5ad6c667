// A whole conversion of arbitrary bytes, with every output and fixup on:
// nothing may crash, leak or run away. The bytes go to the converter in
// memory; the outputs go to one scratch directory made once. The first byte
// also picks the format option, so the R00 loop and the container path (T00,
// T01, T02, T04) are both reached; R00 headers, block containers (first byte
// 0) and T00 streams (STX, 2) keep the format their content gives.
#include <d01ozu/d01ozu.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// One scratch directory for the whole fuzzing process, removed at exit.
const std::string& ScratchDir() {
  static const std::string dir = [] {
    static char path[] = "/tmp/fuzz-run-r00-XXXXXX";
    if (!mkdtemp(path)) return std::string("/tmp");
    std::atexit([] { std::filesystem::remove_all(path); });
    return std::string(path);
  }();
  return dir;
}

// The format chosen by the first input byte modulo 8; kUnknown: from the content.
d01ozu::InputFormat FormatOption(uint8_t first) {
  using F = d01ozu::InputFormat;
  static const F kByFirstByte[8] = {F::kUnknown, F::kR00, F::kUnknown, F::kT01,
                                    F::kT00,     F::kT02, F::kT04,     F::kR00};
  return kByFirstByte[first % 8];
}

// Every output in the scratch directory, fixup on; the container formats
// carry no R00 header and no initial blocks.
d01ozu::Options RunOptions(d01ozu::InputFormat format) {
  static const d01ozu::Options base = [] {
    const std::string out = ScratchDir() + "/out";
    d01ozu::Options o;
    o.dat_path = out + ".tg!";
    o.dat_extension = ".dat";
    o.eph_path = out + ".eph";
    o.ion_path = out + ".ion";
    o.mes_path = out + ".mes";
    o.app_path = out + ".cfg";
    o.summary_path = out + ".txt";
    o.fixup = true;
    o.station_name = "out";
    return o;
  }();
  d01ozu::Options o = base;
  o.format = format;
  if (format >= d01ozu::InputFormat::kT00) o.inputs_have_header = o.inputs_have_ephemerides = false;
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const d01ozu::InputFormat format =
      size > 0 ? FormatOption(data[0]) : d01ozu::InputFormat::kUnknown;
  std::unique_ptr<d01ozu::Converter> converter = d01ozu::Converter::Create(RunOptions(format));
  if (!converter) return 0;
  if (converter->AddInputBytes(data, size, "in.r00") == d01ozu::Status::kOk) (void)converter->Run();
  return 0;
}
