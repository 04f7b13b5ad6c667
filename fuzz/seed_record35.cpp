// Seeds for fuzz_record35: for every subtype of the table, its schema
// record (the library's own text, in pages), a key record and a delta record
// of made-up values, in the page format of the target.
#include "fuzz/seed_registry.h"
#include "records/record35/schema_node.h"
#include "testdata/record35_writer.h"

namespace {

using writers::Bytes;

// The target's form of one page: control byte, 16-bit size, ids and part.
void add_pages(Bytes& out, uint64_t subtype, uint64_t subsubtype, const Bytes& body) {
  for (const Bytes& frame : writers::record35_pages(subtype, subsubtype, body, 1500)) {
    const size_t n = frame.size() - 7;
    out.push_back(frame[3] & 0x30);
    out.push_back(static_cast<uint8_t>(n >> 8));
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), frame.begin() + 4, frame.end() - 3);
  }
}

// Made-up values whose flattened counts agree with their columns.
void fill(avro_value_t* v) {
  writers::fill_consistent_sample(v, 5);
}

}  // namespace

SEED_FOR(fuzz_record35) {
  for (int i = 0; i < d01ozu::kRec35SubtypeCount; ++i) {
    const d01ozu::SubtypeRow& row = d01ozu::subtype_rows()[i];
    d01ozu::SubtypeSchema schema;
    if (!d01ozu::BuildSubtypeSchema(row, &schema)) continue;
    Bytes seed;
    add_pages(seed, row.subtype, 0, writers::text_bytes(schema.text));
    const Bytes body = writers::avro_body(schema.text, fill);
    add_pages(seed, row.subtype, 1, body);
    add_pages(seed, row.subtype, 2, body);
    fuzzseed::write_seed(directory, "sub" + std::to_string(row.subtype), seed.data(), seed.size());
  }
}
