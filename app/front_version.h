// Fixed version numbers of this build: the program and its conversion library.
#pragma once

#include <cstddef>

namespace rawsplit {

extern const char kProgramVersion[];        // "Version 6.04"
extern const char kProgramVersionNumber[];  // "6.04"
constexpr int kLibraryMajor = 8;
constexpr int kLibraryMinor = 109;

// The library version text "%d.%02d " (8.109 and a blank) into dest.
void LibraryVersionText(char* dest, size_t capacity);

}  // namespace rawsplit
