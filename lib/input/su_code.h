// The su prefix code: a fixed code over 257 symbols (byte values 0 to 255 and
// the end marker 256) that T01 streams and su-coded container blocks use.
//
// The code tree is built once per process from a fixed weight table and shared
// by every reader. Decoding runs on a table indexed by (tree node, input byte)
// that gives the symbols the byte completes and the node it ends on, so a byte
// costs one lookup instead of a walk of eight bits. The position in the tree
// carries from one byte to the next, so a code may span byte boundaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace d01ozu {

constexpr int kSuSymbolCount = 257;
constexpr int kSuEndSymbol = 256;
constexpr int kSuInternalNodes = kSuSymbolCount - 1;
// Every code is at least 3 bits long, so one input byte completes at most
// three symbols; decoders give room for kSuMaxOutputPerByte bytes per byte.
constexpr int kSuMaxOutputPerByte = 8;

// One node of the code tree. Leaves have symbol >= 0 and no children; an
// internal node has symbol -1, its left child taken on bit 1 and its right
// child on bit 0.
struct SuTreeNode {
  int weight = 0;
  int symbol = -1;
  int left = -1;
  int right = -1;
};

// The whole tree: leaves 0..256 are nodes 0..256 (node index = symbol), the
// internal nodes follow in the order they were made; root is the last.
struct SuTree {
  SuTreeNode nodes[2 * kSuSymbolCount - 1];
  int root = -1;
};

// Decoding of one input byte from one internal node, kept in two tables
// indexed by node x 256 + byte: the node the byte ends on (the only value the
// next byte's lookup waits for, so it has a small table of its own) and what
// the byte emits. Every code is at least 3 bits long, so a byte completes at
// most three symbols: emit holds them in bits 0..23, bit 24 when the end
// symbol was met instead (no symbols, next is the root), and their count in
// bits 30..31, where one shift takes it out.
constexpr uint32_t kSuEmitEnd = 1u << 24;
constexpr int kSuEmitCountShift = 30;

// Where the tables keep the decoding of byte from internal node.
inline size_t su_table_index(size_t node, uint8_t byte) {
  return node * 256 + byte;
}

struct SuTables {
  SuTree tree;
  uint8_t root_internal;  // dense internal index of the root
  uint8_t next[kSuInternalNodes * 256];
  uint32_t emit[kSuInternalNodes * 256];
};

// The tables, built once on first use and shared, immutable, by every
// conversion; nullptr only when memory cannot be had.
const SuTables* su_tables();

// Position of one su-coded stream in the tree.
struct SuDecoder {
  uint8_t node = 0;  // internal index; set from the tables by su_reset
};

inline void su_reset(SuDecoder& decoder, const SuTables& tables) {
  decoder.node = tables.root_internal;
}

constexpr int kSuEndMet = -1;

// Decodes one byte from node (updated): writes the completed symbols to out
// (which must have room for kSuMaxOutputPerByte bytes) and returns their
// count, or kSuEndMet when the byte held the end symbol (the rest of that
// byte is ignored, nothing of it is output, and node returns to the root).
inline int su_decode_step(const SuTables& tables, uint8_t& node, uint8_t byte, uint8_t* out) {
  const size_t at = su_table_index(node, byte);
  const uint32_t emit = tables.emit[at];
  node = tables.next[at];
  out[0] = static_cast<uint8_t>(emit);
  out[1] = static_cast<uint8_t>(emit >> 8);
  out[2] = static_cast<uint8_t>(emit >> 16);
  if (emit & kSuEmitEnd) return kSuEndMet;
  return static_cast<int>(emit >> kSuEmitCountShift);
}

inline int su_decode_byte(const SuTables& tables, SuDecoder& decoder, uint8_t byte, uint8_t* out) {
  return su_decode_step(tables, decoder.node, byte, out);
}

// Stores the three symbol bytes of emit at out in order, plus one spare byte.
inline void su_store_symbols(uint8_t* out, uint32_t emit) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  emit = __builtin_bswap32(emit);
#endif
  std::memcpy(out, &emit, 4);
}

// Decodes one byte from state (updated) without any bounds test: stores four
// bytes at out and returns how many of them are symbols (an end symbol counts
// 0, so it is skipped).
inline uint32_t su_store_byte(const SuTables& tables, size_t& state, uint8_t byte, uint8_t* out) {
  const size_t at = su_table_index(state, byte);
  const uint32_t emit = tables.emit[at];
  state = tables.next[at];
  su_store_symbols(out, emit);
  return emit >> kSuEmitCountShift;
}

// Decodes in[0..n) from node (updated) to out without any bounds test, as
// su_decode_step would byte by byte, skipping end symbols; returns the new end
// of the output. Each byte stores four bytes and keeps at most three, so out
// needs room for 3 * n + 1 bytes.
inline uint8_t* su_decode_unchecked(const SuTables& tables, uint8_t& node, const uint8_t* in,
                                    size_t n, uint8_t* out) {
  size_t state = node;
  for (size_t i = 0; i < n; ++i) out += su_store_byte(tables, state, in[i], out);
  node = static_cast<uint8_t>(state);
  return out;
}

// Decodes in[0..n) into out, skipping end symbols. Returns the bytes written,
// or -1 when the output would exceed capacity (nothing more is written).
long su_decode_run(const SuTables& tables, SuDecoder& decoder, const uint8_t* in, size_t n,
                   uint8_t* out, size_t capacity);

}  // namespace d01ozu
