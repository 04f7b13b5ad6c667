// Fixed version texts of this build.
#include "app/front_version.h"

#include <cstdio>

namespace rawsplit {

const char kProgramVersion[] = "Version 6.04";

void LibraryVersionText(char* dest, size_t capacity) {
  std::snprintf(dest, capacity, "%d.%02d ", kLibraryMajor, kLibraryMinor);
}

}  // namespace rawsplit
