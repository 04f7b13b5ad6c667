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

// Takes bytes from input as long as FramerStep would answer each with 0:
// between packets and while a frame is being collected. Stops at end of
// input, when a frame is whole or its length is bad, and (su-coded) before a
// byte that holds an end symbol between packets, which FramerStep reports.
void FramerFill(ExpansionContext& context, StreamMode mode, InputStream& input);

}  // namespace d01ozu
