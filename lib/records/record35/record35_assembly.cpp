#include "records/record35/record35_assembly.h"

namespace d01ozu {

namespace {
constexpr ReaderStatus kReaderRefused = 7;
}

int AssembleRecord35(Record35Assembly& assembly, const uint8_t*, uint16_t, int type,
                     ReaderStatus* status) {
  if (type != kRecord35Type) return type;
  assembly.open = false;
  *status = kReaderRefused;
  return -1;
}

void ResetRecord35Assembly(Record35Assembly& assembly) {
  assembly = Record35Assembly{};
}

}  // namespace d01ozu
