// Record-35 page assembly: joins the pages of a structured record into one
// body. For now the container reader passes every other record through and
// refuses record 35 cleanly; decoding of structured records comes later.
#pragma once

#include <cstdint>

#include "core/status_code.h"

namespace d01ozu {

struct Record35Assembly {
  bool open = false;  // a multi-page record has begun and not ended
};

constexpr int kRecord35Type = 35;

// Takes one record just extracted from a block. Returns the record's own type
// when no record 35 is involved, 35 when a record 35 is complete, 0 while
// pages are missing, -1 on failure with *status set (7 or 18). Record 35 is
// refused with status 7 until structured records are decoded.
int AssembleRecord35(Record35Assembly& assembly, const uint8_t* frame, uint16_t length, int type,
                     ReaderStatus* status);

// Clears the assembly (per input file).
void ResetRecord35Assembly(Record35Assembly& assembly);

}  // namespace d01ozu
