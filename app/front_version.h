#pragma once

namespace rawsplit {

extern const char kProgramVersion[];
constexpr int kLibraryMajor = 8;
constexpr int kLibraryMinor = 109;

}  // namespace rawsplit
