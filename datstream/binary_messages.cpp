#include "datstream/binary_messages.h"

#include <cstring>

namespace d01ozu {

void build_binary_message(int page, const RecordProcessor&, const RunInfo&, uint8_t* out) {
  for (int i = 0; i < 5; ++i) {
    if (kBinaryMessagePages[i] != page) continue;
    std::memset(out, 0, kBinaryMessageLengths[i]);
    out[0] = 0x74;
    out[1] = kBinaryMessageLengths[i];
    out[2] = static_cast<uint8_t>(page);
    out[3] = 5;
  }
}

}  // namespace d01ozu
