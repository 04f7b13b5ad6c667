#include "input/block_decoders.h"

#include <brotli/decode.h>
#include <bzlib.h>
#include <zlib.h>
#include <zstd.h>

#include "input/container_layout.h"

namespace d01ozu {

namespace {

// One decompressor call per block. Each returns true on success with *length
// set to the output size.
bool bzip2_block(const uint8_t* body, size_t size, uint8_t* out, size_t capacity,
                 uint32_t* length) {
  unsigned int n = static_cast<unsigned int>(capacity);
  int rc = BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(out), &n,
                                      const_cast<char*>(reinterpret_cast<const char*>(body)),
                                      static_cast<unsigned int>(size), 0, 0);
  *length = n;
  return rc == BZ_OK;
}

bool zlib_block(const uint8_t* body, size_t size, uint8_t* out, size_t capacity, uint32_t* length) {
  uLongf n = static_cast<uLongf>(capacity);
  int rc = uncompress(out, &n, body, static_cast<uLong>(size));
  *length = static_cast<uint32_t>(n);
  return rc == Z_OK;
}

// A fresh decoder and one streaming call; only a finished stream succeeds.
bool brotli_block(const uint8_t* body, size_t size, uint8_t* out, size_t capacity,
                  uint32_t* length) {
  BrotliDecoderState* state = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
  if (!state) return false;
  size_t in_left = size, out_left = capacity;
  const uint8_t* in = body;
  uint8_t* next = out;
  BrotliDecoderResult rc =
      BrotliDecoderDecompressStream(state, &in_left, &in, &out_left, &next, nullptr);
  BrotliDecoderDestroyInstance(state);
  *length = static_cast<uint32_t>(capacity - out_left);
  return rc == BROTLI_DECODER_RESULT_SUCCESS;
}

// A fresh context for the block, released after the one-shot call.
bool zstd_block(const uint8_t* body, size_t size, uint8_t* out, size_t capacity, uint32_t* length) {
  ZSTD_DCtx* dctx = ZSTD_createDCtx();
  if (!dctx) return false;
  size_t rc = ZSTD_decompressDCtx(dctx, out, capacity, body, size);
  ZSTD_freeDCtx(dctx);
  *length = ZSTD_isError(rc) ? 0 : static_cast<uint32_t>(rc);
  return !ZSTD_isError(rc);
}

}  // namespace

bool DecompressedKind(int kind) {
  return kind == kBlockBzip2 || kind == kBlockZlib || kind == kBlockBzip2Bare ||
         kind == kBlockBrotli || kind == kBlockZstd;
}

void BlockBody(int kind, const uint8_t* block, size_t total, const uint8_t** body, size_t* size) {
  size_t offset = kBlockHeaderSize;
  if (kind == kBlockZlib || kind == kBlockSuCoded || kind == kBlockStored)
    offset = kSignedBodyOffset;
  else if (kind == kBlockBrotli)
    offset = kBrotliBodyOffset;
  if (offset > total) offset = total;
  *body = block + offset;
  *size = total - offset;
}

bool DecompressBlock(int kind, const uint8_t* body, size_t size, uint8_t* out, size_t capacity,
                     uint32_t* length) {
  switch (kind) {
    case kBlockBzip2:
    case kBlockBzip2Bare:
      return bzip2_block(body, size, out, capacity, length);
    case kBlockZlib:
      return zlib_block(body, size, out, capacity, length);
    case kBlockBrotli:
      return brotli_block(body, size, out, capacity, length);
    default:  // kBlockZstd
      return zstd_block(body, size, out, capacity, length);
  }
}

}  // namespace d01ozu
