// The block container side of the reader: collects blocks, decodes them into
// t01buf, extracts one record per call, and resynchronises on the block
// signatures after damage.
#pragma once

#include "input/input_stream.h"
#include "records/expansion_context.h"

namespace d01ozu {

// Offers one byte (or kNoByte, which extracts a pending record or parses a
// block already held). Returns a record type, 0 when nothing is delivered
// yet, -1 with *status set, or 255 with status 3 for a record that does not
// fit (t01buf is then emptied).
int BlockStep(ExpansionContext& context, int byte, ReaderStatus* status);

// True when a step without a new byte would make progress.
bool BlockReady(const ExpansionContext& context);

// Reads the bytes of a block being collected in one go, stopping one byte
// short of its end so the last byte goes through BlockStep.
void BlockFill(ExpansionContext& context, InputStream& input);

// Makes the ten probe bytes the start of the block buffer.
void BlockStart(ExpansionContext& context, const uint8_t* first, size_t n);

}  // namespace d01ozu
