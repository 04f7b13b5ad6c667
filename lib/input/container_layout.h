// Byte layout of the block container: every block is a kind byte, a 24-bit
// big-endian length L counting the bytes after these four, and L bytes of
// body. The reader keeps these offsets apart from its parsing code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace d01ozu {

constexpr size_t kBlockKindOffset = 0;
constexpr size_t kBlockLengthOffset = 1;  // 3 bytes, big-endian
constexpr size_t kBlockHeaderSize = 4;
constexpr size_t kBlockSignatureOffset = 4;
// Kinds 2, 3 and 4 put six signature bytes before their data.
constexpr size_t kSignedBodyOffset = 10;
// Kind 7 puts the three bytes 01 00 00 before its brotli stream.
constexpr size_t kBrotliBodyOffset = 7;

// Header block (kind 0): magic at 4..9, then these single bytes.
constexpr size_t kHeaderKept10 = 10;
constexpr size_t kHeaderKept11 = 11;
constexpr size_t kHeaderFlagValue = 12;  // flag in bit 7, value in bits 0..6
constexpr size_t kHeaderKept13 = 13;
constexpr size_t kHeaderMajor = 14;
constexpr size_t kHeaderMinor = 15;
constexpr size_t kHeaderKept16 = 16;
// Highest accepted format version, major x 100 + minor.
constexpr int kHighestHeaderVersion = 909;

// The signatures of the two container formats, at bytes 4 to 9 of the file.
constexpr size_t kMagicOffset = 4;
constexpr size_t kMagicSize = 6;
constexpr uint8_t kT02Magic[kMagicSize] = {0x74, 0xBA, 0x79, 0x4B, 0xCF, 0x6B};
constexpr uint8_t kT04Magic[kMagicSize] = {0xD1, 0x60, 0x42, 0x2E, 0xF8, 0xF9};

enum BlockKind : uint8_t {
  kBlockHeader = 0,
  kBlockBzip2 = 1,         // records with STX
  kBlockZlib = 2,          // records without STX
  kBlockSuCoded = 3,       // records with STX
  kBlockStored = 4,        // records with STX
  kBlockBzip2Bare = 5,     // records without STX
  kBlockScrambled = 6,     // not accepted
  kBlockBrotli = 7,        // records without STX
  kBlockZstd = 8,          // records without STX
  kBlockFirstUnknown = 9,  // this kind and above are refused
};

// The bytes that stand at offset 4 of a block of each kind, 0 to 9; the
// resynchronisation looks for them (the decoders do not test them).
struct BlockSignature {
  uint8_t bytes[6];
  uint8_t size;
};
constexpr BlockSignature kBlockSignatures[10] = {
    {{0x74, 0xBA, 0x79, 0x4B, 0xCF, 0x6B}, 6},  // 0: T02 magic
    {{0x42, 0x5A, 0x68}, 3},                    // 1: bzip2 stream magic
    {{0xC2, 0xEA, 0xB4, 0xD8, 0xBE, 0xF1}, 6},  // 2
    {{0x77, 0x01, 0xEE, 0xA8, 0x9C, 0xCC}, 6},  // 3
    {{0xA1, 0x74, 0xF9, 0x60, 0x35, 0x99}, 6},  // 4
    {{0x42, 0x5A, 0x68}, 3},                    // 5: bzip2 stream magic
    {{0x42, 0x5A, 0x68}, 3},                    // 6: bzip2 stream magic
    {{0x01, 0x00, 0x00}, 3},                    // 7
    {{0x03, 0x00, 0x00}, 3},                    // 8
    {{0xD1, 0x60, 0x42, 0x2E, 0xF8, 0xF9}, 6},  // 9: T04 magic
};

// True when the first bytes of an input (ten of them) start a block
// container: bytes 0 to 2 zero and a container magic at 4 to 9 (byte 3 is
// not examined).
inline bool looks_like_block_container(const uint8_t* p) {
  if (p[0] != 0 || p[1] != 0 || p[2] != 0) return false;
  return std::memcmp(p + kMagicOffset, kT02Magic, kMagicSize) == 0 ||
         std::memcmp(p + kMagicOffset, kT04Magic, kMagicSize) == 0;
}

// True for kinds whose decoded records keep their STX (and checksum, ETX).
inline bool block_records_with_stx(int kind) {
  return kind == kBlockBzip2 || kind == kBlockSuCoded || kind == kBlockStored;
}

}  // namespace d01ozu
