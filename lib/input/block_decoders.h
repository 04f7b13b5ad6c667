// The decompressors of the container's data blocks: a block's decoded data is
// a function of its bytes alone, so the reader and its read-ahead worker call
// the same code and get the same result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/status_code.h"

namespace d01ozu {

// True for the kinds decoded by a general-purpose decompressor (1, 2, 5, 7, 8).
bool DecompressedKind(int kind);

// The part of a block of this kind and total bytes that its decoder reads.
void BlockBody(int kind, const uint8_t* block, size_t total, const uint8_t** body, size_t* size);

// Decodes the body of a block of a decompressed kind into out (capacity
// bytes). True on success with *length set to the decoded size.
bool DecompressBlock(int kind, const uint8_t* body, size_t size, uint8_t* out, size_t capacity,
                     uint32_t* length);

}  // namespace d01ozu
