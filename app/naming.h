// Input name completion and classification, output base name, DAT extension
// and the names of the output files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/conversion_context.h"
#include "core/status_code.h"

namespace rawsplit {

constexpr size_t kNoExtension = static_cast<size_t>(-1);

// Offset of the name part of path: after its last "/", else its last "\", else 0.
size_t NamePartOffset(const char* path);
// Offset of the last "." of the name part, or kNoExtension.
size_t ExtensionOffset(const char* path);

// Completes entry (a name without extension gets the first existing one of
// .r00 .R00 .t00 .T00 .t01 .T01 .t02 .T02) and classifies the file by its
// first bytes. Returns 0 and rewrites entry, or 17 when the file cannot be
// found or opened (entry unchanged). Writes format and the three flags only
// on success.
d01ozu::StatusCode ResolveInputName(ConversionContext& cx, char* entry, d01ozu::InputFormat& format,
                                    int16_t& header, int16_t& eph, int16_t& ion);

// Derives the output base name, the extension position and the DAT extension
// from the first input and the output name (a directory takes the input's
// name). Returns 17 without input, 3 when an output name would exceed 255
// characters.
d01ozu::StatusCode PrepareNames(ConversionContext& cx);

// Output files named after the base name and an extension of their own (the
// DAT file and the summary follow their own rules), in the order they open.
struct NamedOutput {
  int16_t ConversionContext::*wanted;
  const char* extension;
  d01ozu::StatusCode failure;          // status when it cannot be created
  std::string d01ozu::Options::*path;  // where the library takes its name
};
extern const NamedOutput kNamedOutputs[4];

// Writes extension at the extension position of the output name and returns
// the name; false when it would not fit (never written past the buffer).
bool FormOutputName(ConversionContext& cx, const char* extension);

}  // namespace rawsplit
