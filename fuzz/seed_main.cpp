// make_fuzz_seeds TARGET DIRECTORY: writes the seed inputs of TARGET into DIRECTORY.
#include <cstdio>
#include <map>
#include <string>

#include "fuzz/seed_registry.h"

namespace fuzzseed {

static std::multimap<std::string, SeedFunction>& registry() {
  static std::multimap<std::string, SeedFunction> seeds;
  return seeds;
}

bool register_seed(const char* target, SeedFunction fn) {
  registry().emplace(target, fn);
  return true;
}

void write_seed(const std::string& directory, const std::string& name, const void* data,
                size_t size) {
  std::string path = directory + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace fuzzseed

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds TARGET DIRECTORY\n");
    return 2;
  }
  auto range = fuzzseed::registry().equal_range(argv[1]);
  for (auto it = range.first; it != range.second; ++it) it->second(argv[2]);
  return 0;
}
