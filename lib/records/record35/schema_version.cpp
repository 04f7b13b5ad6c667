#include "records/record35/schema_version.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/diagnostics.h"
#include "records/record35/dyn_array.h"

namespace d01ozu {

namespace {

constexpr char kVersionKey[] = "\"version\"";
constexpr size_t kVersionKeySize = sizeof kVersionKey - 1;  // nine bytes, quotes included
constexpr size_t kMinimumText = 8;
constexpr long kLargestVersion = 65535;
constexpr size_t kNumberRoom = 32;  // longer fields cannot hold a valid version

// Position of the first b in [from, length), or length.
size_t find_byte(const uint8_t* text, size_t from, size_t length, uint8_t b) {
  const void* p = from < length ? std::memchr(text + from, b, length - from) : nullptr;
  return p ? static_cast<size_t>(static_cast<const uint8_t*>(p) - text) : length;
}

size_t find_key(const uint8_t* text, size_t length) {
  for (size_t i = 0; i + kVersionKeySize <= length; ++i)
    if (std::memcmp(text + i, kVersionKey, kVersionKeySize) == 0) return i;
  return length;
}

bool fail(uint8_t* error) {
  *error = kRec35DecodeFailed;
  return false;
}

}  // namespace

bool get_avro_schema_version(const uint8_t* text, size_t length, int64_t* version, uint8_t* error,
                             const DiagnosticSink& sink) {
  if (length <= kMinimumText) return fail(error);
  const size_t key = find_key(text, length);
  if (key == length) return fail(error);
  const size_t colon = find_byte(text, key + kVersionKeySize - 1, length, ':');
  const size_t comma = find_byte(text, colon, length, ',');
  if (comma == length) return fail(error);
  const size_t start = colon + 1;
  if (comma - start < 2) return fail(error);
  // The field is copied so that the parse cannot run past the text.
  char field[kNumberRoom + 2] = {};
  const size_t n = comma - start < kNumberRoom ? comma - start : kNumberRoom;
  std::memcpy(field, text + start, n);
  field[n] = comma - start < kNumberRoom ? ',' : '\0';
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(field, &end, 10);
  if (end > field + n) {
    diagnostic(sink, "get_avro_schema_version() read past the version field.\n");
    return fail(error);
  }
  if (value < 1 || value > kLargestVersion) {
    diagnostic(sink, "get_avro_schema_version() read an invalid version: %ld.\n", value);
    return fail(error);
  }
  *version = value;
  return true;
}

}  // namespace d01ozu
