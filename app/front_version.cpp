// Fixed version texts of this build.
#include "app/front_version.h"

#include <cstdio>

namespace rawsplit {

#define RAWSPLIT_PROGRAM_VERSION "6.04"
const char kProgramVersion[] = "Version " RAWSPLIT_PROGRAM_VERSION;
const char kProgramVersionNumber[] = RAWSPLIT_PROGRAM_VERSION;

void LibraryVersionText(char* dest, size_t capacity) {
  std::snprintf(dest, capacity, "%d.%02d ", kLibraryMajor, kLibraryMinor);
}

}  // namespace rawsplit
