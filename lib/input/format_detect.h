// The input formats in one table: each format's extension, the signature
// that its first bytes carry, and the record source that reads it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "d01ozu/d01ozu.h"

namespace d01ozu {

enum class RecordSourceKind : uint8_t { kR00, kContainer };

struct FormatTraits {
  InputFormat format;
  const char* extension;  // lower case; the upper-case spelling is accepted too
  RecordSourceKind source;
  // True when the first size bytes carry the format's signature; nullptr for
  // a format without one (T01 is what a file without a signature is taken for).
  bool (*signature)(const uint8_t* bytes, size_t size);
};

// The table, in the order signatures are tried; FormatTraitsOf never fails
// (kUnknown gives the R00 row).
const FormatTraits* FormatTable(size_t* count);
const FormatTraits& FormatTraitsOf(InputFormat format);

// Bytes of a file's start that FormatOfBytes looks at.
constexpr size_t kFormatProbeSize = 22;

}  // namespace d01ozu
