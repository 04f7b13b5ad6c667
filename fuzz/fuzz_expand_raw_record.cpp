// The raw record dispatcher over arbitrary raw records, one context for a
// sequence of them so the epoch references and the file-record rule carry
// from record to record. Input: chunks of [origin byte][length byte][bytes].
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "records/expansion_context.h"
#include "records/raw_dispatcher.h"
#include "records/type29_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  d01ozu::ExpansionContextPtr context = d01ozu::CreateExpansionContext();
  if (!context) return 0;
  d01ozu::ExpansionContext& c = *context;
  size_t at = 0;
  while (at + 2 <= size) {
    const uint8_t origin = data[at] % 10;
    // Lengths up to 510: long enough for the extended compact types.
    size_t length = static_cast<size_t>(data[at + 1]) * 2;
    at += 2;
    if (length > size - at) length = size - at;
    std::memset(&c.record, 0, sizeof c.record);
    std::memcpy(c.record.data, data + at, length);
    c.record.length = static_cast<uint16_t>(length ? length : 1);
    at += length;
    c.last_code = c.record.data[d01ozu::kRawTypeOffset];
    c.record_origin = origin == 9 ? d01ozu::kOriginPacketStream : origin;
    int16_t legacy = 0;
    d01ozu::ReaderStatus status = 0;
    const uint16_t count = d01ozu::ExpandRawRecord(c, c.last_code, &legacy, &status);
    if (count > 0 && legacy == 29) d01ozu::Type29ToType11(c.type29, c.type11, c.dat_header);
    // A type-27 epoch is also made into a type-17 epoch, as modes 1 and 2 do.
    if (count > 0 && legacy == 27)
      d01ozu::ConvertType27To17(c.type27, d01ozu::kL2CFirst, c.type17, c.dat_header);
    const d01ozu::RawRecord& out = d01ozu::LegacyPathRecord(c);
    if (out.length > d01ozu::kRawRecordCapacity) std::abort();
  }
  return 0;
}
