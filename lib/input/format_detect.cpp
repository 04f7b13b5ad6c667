#include "input/format_detect.h"

#include <cctype>
#include <cstring>

#include "core/frame_rules.h"
#include "input/container_layout.h"
#include "input/r00_framing.h"

namespace d01ozu {
namespace {

bool R00Signature(const uint8_t* b, size_t size) {
  return size >= kR00PrefixSize && std::memcmp(b + kR00TextOffset, kR00Text, sizeof kR00Text) == 0;
}

// A T00 file opens with its 15-byte type-30 file record: STX, 15, 30, 0,
// "ORVN", 0, five free bytes, ETX.
bool T00Signature(const uint8_t* b, size_t size) {
  return size >= kT00SignatureSize && b[0] == kStx && b[1] == 15 && b[2] == 30 && b[3] == 0 &&
         std::memcmp(b + 4, "ORVN", 4) == 0 && b[8] == 0 && b[14] == kEtx;
}

bool T02Signature(const uint8_t* b, size_t size) {
  return size >= kMagicOffset + kMagicSize &&
         std::memcmp(b + kMagicOffset, kT02Magic, kMagicSize) == 0;
}

bool T04Signature(const uint8_t* b, size_t size) {
  return size >= kMagicOffset + kMagicSize &&
         std::memcmp(b + kMagicOffset, kT04Magic, kMagicSize) == 0;
}

constexpr FormatTraits kFormats[] = {
    {InputFormat::kR00, ".r00", RecordSourceKind::kR00, R00Signature},
    {InputFormat::kT00, ".t00", RecordSourceKind::kContainer, T00Signature},
    {InputFormat::kT02, ".t02", RecordSourceKind::kContainer, T02Signature},
    {InputFormat::kT04, ".t04", RecordSourceKind::kContainer, T04Signature},
    {InputFormat::kT01, ".t01", RecordSourceKind::kContainer, nullptr},
};

}  // namespace

const FormatTraits* FormatTable(size_t* count) {
  *count = sizeof kFormats / sizeof kFormats[0];
  return kFormats;
}

const FormatTraits& FormatTraitsOf(InputFormat format) {
  for (const FormatTraits& f : kFormats)
    if (f.format == format) return f;
  return kFormats[0];
}

InputFormat FormatOfExtension(const char* name) {
  const char* dot = name ? std::strrchr(name, '.') : nullptr;
  if (!dot) return InputFormat::kUnknown;
  for (const FormatTraits& f : kFormats) {
    if (std::strcmp(dot, f.extension) == 0) return f.format;
    char upper[8] = {};
    for (size_t i = 0; f.extension[i] && i + 1 < sizeof upper; ++i)
      upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(f.extension[i])));
    if (std::strcmp(dot, upper) == 0) return f.format;
  }
  return InputFormat::kUnknown;
}

InputFormat FormatOfBytes(const uint8_t* data, size_t size) {
  for (const FormatTraits& f : kFormats)
    if (f.signature && f.signature(data, size)) return f.format;
  return InputFormat::kUnknown;
}

}  // namespace d01ozu
