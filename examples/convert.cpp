// convert INPUT OUTPUT_BASE: converts one raw receiver log into OUTPUT_BASE.dat
// (with .eph, .ion, .mes and .txt beside it) through the public d01ozu API
// alone, and prints the final status. The first four characters of the base
// name are the station, the four after them the session, until the data
// gives its own.
#include <d01ozu/d01ozu.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// The options for every output of base, named the way the command line names them.
d01ozu::Options OptionsFor(const std::string& base) {
  d01ozu::Options options;
  options.dat_path = base + ".dat";
  options.dat_extension = ".dat";
  options.eph_path = base + ".eph";
  options.ion_path = base + ".ion";
  options.mes_path = base + ".mes";
  options.summary_path = base + ".txt";
  const size_t slash = base.find_last_of('/');
  const std::string name = base.substr(slash == std::string::npos ? 0 : slash + 1);
  options.station_name = name.substr(0, 4);
  if (name.size() > 4) options.session_name = name.substr(4, 4);
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: convert INPUT OUTPUT_BASE\n");
    return 2;
  }
  std::unique_ptr<d01ozu::Converter> converter = d01ozu::Converter::Create(OptionsFor(argv[2]));
  if (!converter) return 1;
  d01ozu::Status status = converter->AddInputFile(argv[1]);
  if (status == d01ozu::Status::kOk) status = converter->Run();
  const char* text = d01ozu::StatusText(status);
  std::printf("d01ozu %s: status %d%s%s, %d records\n", d01ozu::LibraryVersion(),
              static_cast<int>(status), text ? ": " : "", text ? text : "",
              static_cast<int>(converter->counters().records));
  return status == d01ozu::Status::kOk ? 0 : 1;
}
