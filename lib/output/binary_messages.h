// Contents of the five binary message records (type 5, pages 6, 0, 1, 2, 3)
// that open every DAT file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "output/images.h"

namespace d01ozu {

struct RecordProcessor;

constexpr int kBinaryMessagePages[5] = {6, 0, 1, 2, 3};
constexpr uint8_t kBinaryMessageLengths[5] = {24, 98, 65, 64, 110};

// Fills the final record of page (6, 0, 1, 2 or 3), header included, into out
// (exactly the page's length), from the run state.
void build_binary_message(int page, const RecordProcessor& rp, const RunInfo& run, uint8_t* out);

}  // namespace d01ozu
