// Seed corpus generators for the fuzz targets, registered by target name.
#pragma once

#include <cstddef>
#include <string>

namespace fuzzseed {

using SeedFunction = void (*)(const std::string& directory);

// Adds fn to the seed writers of target; used through SEED_FOR below.
bool register_seed(const char* target, SeedFunction fn);
// Writes data into directory/name.
void write_seed(const std::string& directory, const std::string& name, const void* data,
                size_t size);

}  // namespace fuzzseed

#define SEED_FOR(target)                                                                   \
  static void seed_##target(const std::string& directory);                                 \
  static const bool registered_##target = fuzzseed::register_seed(#target, seed_##target); \
  static void seed_##target(const std::string& directory)
