// The packet framer: cuts a packet stream (plain, or su-coded) into raw
// record frames, one offered byte per call. Every offered byte is consumed
// exactly once; a whole frame already held is delivered before the caller
// offers more.
#pragma once

#include "input/input_stream.h"
#include "records/expansion_context.h"

namespace d01ozu {

constexpr int kNoByte = -1;

// Offers one byte (or kNoByte). Returns the type of a frame now in
// context.record, 0 when more bytes are needed, or -1 with *status set: 3 for
// a bad frame length, 2 for a bad checksum (the framer then drops one byte
// and searches for the next STX), 6 for an su end symbol between packets.
int FramerStep(ExpansionContext& context, StreamMode mode, int byte, ReaderStatus* status);

// True when a step without a new byte would deliver a frame or a status.
bool FramerReady(ExpansionContext& context);

// Takes bytes from input while a frame is being collected and needs more;
// the same as repeated FramerStep calls that each return 0. Stops at end of
// input, when the frame is whole, or when no frame is being collected.
void FramerFill(ExpansionContext& context, StreamMode mode, InputStream& input);

}  // namespace d01ozu
