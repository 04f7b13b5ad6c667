// The su encoder: the inverse of the library's su prefix code, built from the
// same code tree, so whatever it writes the reader decodes back.
#pragma once

#include <cstdint>
#include <vector>

namespace writers {

using Bytes = std::vector<uint8_t>;

class SuEncoder {
 public:
  SuEncoder();
  // Appends the codes of data's bytes.
  void put(const Bytes& data);
  // Appends the end symbol and starts the next code on a fresh byte (the
  // decoder ignores the rest of the byte the end symbol ends in).
  void put_end();
  // Takes the whole bytes coded so far, keeping a partial last byte for the
  // codes that follow (for writers that stream their output).
  Bytes take();
  // The coded bytes; a partial last byte is filled with the start of the end
  // symbol's code, which completes no symbol.
  Bytes finish();
  // Code length in bits of a symbol (0..256).
  int code_length(int symbol) const { return static_cast<int>(codes_[symbol].size()); }

 private:
  void put_symbol(int symbol);
  void put_bit(bool bit);

  std::vector<std::vector<bool>> codes_;  // bit 1 = left child
  Bytes out_;
  uint8_t partial_ = 0;
  int bits_ = 0;  // bits in partial_
};

// Codes data whole: the codes of its bytes, then (with end) the end symbol.
Bytes su_encode(const Bytes& data, bool end = false);

}  // namespace writers
