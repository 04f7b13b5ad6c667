// Writers of the block container (T02 and T04 files): header blocks and data
// blocks of every kind, compressing with the real libraries.
#pragma once

#include <cstdint>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

// A header block (kind 0) with the T02 or T04 magic and format version
// major.minor; the kept bytes are filled with recognisable values.
Bytes container_header(int major = 9, int minor = 9, bool t04 = false);

// A block of kind with body as given: kind, 24-bit big-endian length, body.
Bytes raw_block(uint8_t kind, const Bytes& body);

// The stored form of a frame in the blocks whose records have no STX: length
// byte(s), type, byte 3 and payload, without the checksum and ETX (exempt
// types drop their last two bytes); the length fields hold the stored size.
Bytes stored_without_stx(const Bytes& frame);

// The decoded data of a block of kind holding frames: the frames themselves
// for kinds 1, 3 and 4, their stored form for the others.
Bytes block_data(uint8_t kind, const std::vector<Bytes>& frames);

// A whole block of kind holding data: bzip2 (1, 5), zlib (2), su-coded with
// a closing end symbol (3), stored (4), brotli (7), zstd (8), each behind the
// kind's signature bytes where the format has them.
Bytes data_block(uint8_t kind, const Bytes& data);
inline Bytes frames_block(uint8_t kind, const std::vector<Bytes>& frames) {
  return data_block(kind, block_data(kind, frames));
}

// Compressors on their own, for blocks built by hand.
Bytes zlib_compress(const Bytes& data);
Bytes bzip2_compress(const Bytes& data);
Bytes brotli_compress(const Bytes& data);
Bytes zstd_compress(const Bytes& data);

}  // namespace writers
