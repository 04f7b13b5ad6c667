// Delta decoding of record-35 longs. A key record carries absolute values;
// a delta record carries each delta-coded long as its difference from a
// prediction: the previous value (method 0) or the linear continuation of
// the last two values (method 1).
#pragma once

#include "core/diagnostics.h"
#include "records/record35/value_tree.h"

namespace d01ozu {

// Which top-level fields of a flattened subtype a step takes.
enum class DeltaFields : uint8_t { kAll, kCountsOnly, kAllButCounts };

// Decodes (delta record) and updates the prediction state of every
// delta-coded long below the top record value. Prediction arrays follow the
// data arrays' lengths; elements added start from zero.
void DeltaDecode(const SchemaNode& root, Value* value, bool key, DeltaFields fields,
                 const DiagnosticSink& sink);

}  // namespace d01ozu
