#include "input/su_code.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace d01ozu {

namespace {

// Symbol weights of the su code; symbol 256 is the end marker. Three weights
// occur twice (19685, 15534, 11863), so the tie rules of the construction
// below decide the code, not only the weights.
constexpr int kSuWeights[kSuSymbolCount] = {
    1515815, 241282, 400337, 386328, 187548, 74852, 83794,  126506, 133977, 66051, 57172,  142794,
    59457,   58406,  67332,  54038,  65758,  54495, 72029,  57270,  52808,  52701, 44938,  42282,
    36101,   103419, 27786,  30895,  31097,  33340, 36110,  65250,  483684, 37535, 840755, 156112,
    92100,   58501,  54624,  38189,  38148,  25178, 91797,  22714,  20314,  18825, 18698,  19699,
    145805,  17260,  18033,  18909,  20866,  17443, 19281,  18506,  22113,  19906, 19280,  30858,
    18130,   18163,  17638,  37031,  154786, 17338, 101712, 16846,  30444,  17159, 17615,  21138,
    68709,   17040,  15272,  15878,  16448,  17467, 16608,  17580,  83717,  17441, 16108,  16380,
    16027,   16996,  17077,  18151,  19685,  15030, 14718,  15676,  15051,  15298, 14948,  31936,
    53826,   23546,  32911,  21363,  14291,  13434, 55692,  21594,  29185,  13325, 12344,  13144,
    12754,   13863,  12396,  12946,  44596,  13855, 13409,  12509,  12229,  11729, 11994,  12736,
    12269,   15160,  14369,  21426,  12666,  11759, 11742,  28967,  94807,  80320, 54724,  63876,
    52727,   50806,  121922, 58835,  72122,  45937, 44144,  43163,  41795,  39933, 39158,  38281,
    53258,   35315,  33134,  37265,  29358,  31772, 28862,  31367,  25198,  26645, 24447,  25876,
    21268,   22360,  21147,  36912,  29806,  19685, 18594,  20184,  16136,  16754, 16523,  17927,
    15259,   15369,  68458,  17399,  14701,  14624, 13957,  18510,  23344,  16507, 14111,  15534,
    13698,   13079,  13310,  84860,  13452,  37645, 17685,  52930,  12851,  13049, 12853,  21813,
    59472,   13223,  13389,  12202,  11910,  12585, 12029,  11866,  13153,  12267, 12528,  11366,
    11484,   11863,  11096,  11711,  17781,  12107, 11007,  11765,  11503,  11404, 11182,  11536,
    14909,   11300,  11518,  11571,  12147,  11722, 10871,  87646,  18396,  11444, 10519,  10927,
    11236,   11350,  10544,  11442,  12400,  11489, 10212,  11277,  11565,  11763, 10622,  12232,
    16357,   34490,  10582,  13760,  20561,  14805, 11863,  13739,  18073,  36431, 15534,  24556,
    49215,   90589,  32972,  424505, 1};

// Builds the tree: the leaf list starts as 256, 255, ..., 0 and is stably
// sorted by weight, so among equal weights the higher symbol comes first. The
// two front nodes are joined (first on the left) and the new node goes before
// the first node whose weight is not less than its own.
void build_tree(SuTree& tree) {
  std::vector<int> list;
  for (int s = kSuSymbolCount - 1; s >= 0; --s) {
    tree.nodes[s] = SuTreeNode{kSuWeights[s], s, -1, -1};
    list.push_back(s);
  }
  std::stable_sort(list.begin(), list.end(),
                   [&](int a, int b) { return tree.nodes[a].weight < tree.nodes[b].weight; });
  int next = kSuSymbolCount;
  while (list.size() >= 2) {
    SuTreeNode joined{tree.nodes[list[0]].weight + tree.nodes[list[1]].weight, -1, list[0],
                      list[1]};
    tree.nodes[next] = joined;
    list.erase(list.begin(), list.begin() + 2);
    auto at = std::find_if(list.begin(), list.end(),
                           [&](int n) { return tree.nodes[n].weight >= joined.weight; });
    list.insert(at, next);
    ++next;
  }
  tree.root = list[0];
}

// Internal nodes are tree nodes 257..512; their dense index is node - 257.
constexpr int kFirstInternal = kSuSymbolCount;

// Fills the tables for one (internal node, byte) pair by walking its bits.
void build_step(SuTables& t, int from, int byte) {
  const SuTree& tree = t.tree;
  uint32_t emit = 0;
  uint32_t count = 0;
  int node = from;
  for (int bit = 7; bit >= 0; --bit) {
    const SuTreeNode& n = tree.nodes[node];
    node = (byte >> bit & 1) ? n.left : n.right;
    int symbol = tree.nodes[node].symbol;
    if (symbol < 0) continue;
    node = tree.root;
    if (symbol == kSuEndSymbol) {
      emit = kSuEmitEnd;
      count = 0;
      break;
    }
    emit |= static_cast<uint32_t>(symbol) << (8 * count++);  // at most 3: codes are >= 3 bits
  }
  const size_t at =
      su_table_index(static_cast<size_t>(from - kFirstInternal), static_cast<uint8_t>(byte));
  t.emit[at] = emit | count << kSuEmitCountShift;
  t.next[at] = static_cast<uint8_t>(node - kFirstInternal);
}

// Builds the tables of the code; nullptr when memory cannot be had.
const SuTables* build_tables() {
  SuTables* tables = new (std::nothrow) SuTables();
  if (!tables) return nullptr;
  build_tree(tables->tree);
  tables->root_internal = static_cast<uint8_t>(tables->tree.root - kFirstInternal);
  for (int node = 0; node < kSuInternalNodes; ++node)
    for (int byte = 0; byte < 256; ++byte) build_step(*tables, node + kFirstInternal, byte);
  return tables;
}

}  // namespace

// Built once on first use (thread-safe), never changed and never freed, so
// every conversion of the process shares them.
const SuTables* su_tables() {
  static const SuTables* const tables = build_tables();
  return tables;
}

// Runs of input short enough that even three symbols per byte cannot pass the
// capacity go through the unchecked loop; the tail byte by byte.
long su_decode_run(const SuTables& tables, SuDecoder& decoder, const uint8_t* in, size_t n,
                   uint8_t* out, size_t capacity) {
  uint8_t* const start = out;
  uint8_t* const limit = out + capacity;
  uint8_t node = decoder.node;
  size_t used = 0;
  for (size_t safe; (safe = std::min(n - used, static_cast<size_t>(limit - out) / 4)) > 0;) {
    out = su_decode_unchecked(tables, node, in + used, safe, out);
    used += safe;
  }
  uint8_t symbols[kSuMaxOutputPerByte];
  for (; used < n; ++used) {
    const int count = su_decode_step(tables, node, in[used], symbols);
    if (count <= 0) continue;  // nothing, or an end symbol (skipped)
    if (count > limit - out) {
      decoder.node = node;
      return -1;
    }
    std::memcpy(out, symbols, static_cast<size_t>(count));
    out += count;
  }
  decoder.node = node;
  return static_cast<long>(out - start);
}

}  // namespace d01ozu
