// The native structure of subtype 260, the measurement debug record: the
// column arrays rebuilt into satellites that own their measurements. Every
// long is kept whole.
#pragma once

#include <cstdint>

#include "records/record35/dyn_array.h"
#include "records/record35/value_tree.h"

namespace d01ozu {

struct Sub260Measurement {
  int64_t flags, MPHat, CCFiltCount, CCDiff;
};

struct Sub260Satellite {
  DynArray<Sub260Measurement> meas;
};

struct Sub260Native {
  int64_t version;
  int64_t receiveTime;
  DynArray<Sub260Satellite> sv;
};

// Rebuilds the nesting of the decoded columns into native. Counts that do
// not agree with the columns give error 20.
bool BuildSub260Native(const IntermediateRecord& in, Sub260Native* native, uint8_t* error);

}  // namespace d01ozu
