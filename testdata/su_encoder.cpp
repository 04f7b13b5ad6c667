#include "testdata/su_encoder.h"

#include "input/su_code.h"

namespace writers {

namespace {

// Collects the path to every leaf below node: left is bit 1, right bit 0.
void collect_codes(const d01ozu::SuTree& tree, int node, std::vector<bool>& path,
                   std::vector<std::vector<bool>>& codes) {
  const d01ozu::SuTreeNode& n = tree.nodes[node];
  if (n.symbol >= 0) {
    codes[n.symbol] = path;
    return;
  }
  path.push_back(true);
  collect_codes(tree, n.left, path, codes);
  path.back() = false;
  collect_codes(tree, n.right, path, codes);
  path.pop_back();
}

}  // namespace

SuEncoder::SuEncoder() : codes_(d01ozu::kSuSymbolCount) {
  const d01ozu::SuTables* tables = d01ozu::su_tables();
  std::vector<bool> path;
  collect_codes(tables->tree, tables->tree.root, path, codes_);
}

void SuEncoder::put_bit(bool bit) {
  partial_ = static_cast<uint8_t>(partial_ << 1 | (bit ? 1 : 0));
  if (++bits_ == 8) {
    out_.push_back(partial_);
    partial_ = 0;
    bits_ = 0;
  }
}

void SuEncoder::put_symbol(int symbol) {
  for (bool bit : codes_[symbol]) put_bit(bit);
}

void SuEncoder::put(const Bytes& data) {
  for (uint8_t b : data) put_symbol(b);
}

void SuEncoder::put_end() {
  put_symbol(d01ozu::kSuEndSymbol);
  while (bits_ != 0) put_bit(false);
}

Bytes SuEncoder::take() {
  Bytes done;
  done.swap(out_);
  return done;
}

Bytes SuEncoder::finish() {
  const std::vector<bool>& filler = codes_[d01ozu::kSuEndSymbol];
  for (size_t i = 0; bits_ != 0; ++i) put_bit(filler[i]);
  Bytes done;
  done.swap(out_);
  return done;
}

Bytes su_encode(const Bytes& data, bool end) {
  SuEncoder encoder;
  encoder.put(data);
  if (end) encoder.put_end();
  return encoder.finish();
}

}  // namespace writers
