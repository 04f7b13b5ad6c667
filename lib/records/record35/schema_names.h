// A check of a writer schema text (from the file) before the Avro parser
// sees it: every named type (record, enum, fixed) is defined once. The
// parser refuses a second definition but loses memory doing so, and a file
// could repeat such a schema without end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {

// True when text is JSON in which no type name is defined twice.
bool NamedTypesDefinedOnce(const uint8_t* text, size_t length);

}  // namespace d01ozu
