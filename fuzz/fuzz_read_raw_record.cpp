// The container reader over arbitrary files in every form: the first byte
// picks plain or su-coded reading, the rest is the file. Every record it
// delivers is also expanded. Nothing may crash, read past a buffer or loop:
// the reader must reach end of input within a bounded number of calls.
#include <cstdint>
#include <cstdlib>

#include "input/input_stream.h"
#include "input/raw_reader.h"
#include "records/expansion_context.h"
#include "records/raw_dispatcher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const d01ozu::StreamMode mode =
      (data[0] & 1) ? d01ozu::StreamMode::kSuCoded : d01ozu::StreamMode::kPlain;
  d01ozu::InputStream input;
  input.open_bytes(data + 1, size - 1);
  d01ozu::ExpansionContextPtr context = d01ozu::CreateExpansionContext();
  if (!context) return 0;
  // A status costs the reader at least one input byte or one block, so their
  // number is bounded by the input size; records may be many more (a small
  // compressed block can hold thousands), and a reader that delivered them
  // forever would hit the fuzzer's time limit.
  const size_t max_statuses = 16 * size + 64;
  for (size_t statuses = 0;;) {
    d01ozu::ReaderStatus status = 0;
    int32_t type = d01ozu::ReadRawRecord(*context, input, mode, &status);
    if (type < 0 && status == d01ozu::kReaderEndOfInput) break;
    if (status != 0 && ++statuses > max_statuses) std::abort();
    if (type <= 0 || status != 0) continue;
    if (context->record.length == 0 || context->record.length > d01ozu::kRawRecordCapacity)
      std::abort();
    int16_t legacy = 0;
    d01ozu::ExpandRawRecord(*context, type, &legacy, &status);
  }
  return 0;
}
