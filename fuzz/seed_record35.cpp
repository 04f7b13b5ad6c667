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

// Made-up values with the counts of the flattened subtypes kept consistent.
void fill(avro_value_t* v) {
  writers::fill_sample(v, 5);
  for (const char* count : {"_Na", "_Nb"}) {
    avro_value_t f;
    if (avro_value_get_by_name(v, count, &f, nullptr) == 0) avro_value_set_long(&f, 2);
  }
  for (const char* counts : {"_Nb_Na", "_Na_Na"}) {
    avro_value_t f, e;
    if (avro_value_get_by_name(v, counts, &f, nullptr) != 0) continue;
    for (size_t i = 0; i < 2 && avro_value_get_by_index(&f, i, &e, nullptr) == 0; ++i)
      avro_value_set_long(&e, 1);
  }
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
