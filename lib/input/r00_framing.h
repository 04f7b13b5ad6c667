// R00 input: recognising the kind of an input file by its first bytes,
// checking one framed record, and finding the next sound record after damage.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/status_code.h"
#include "input/input_stream.h"

namespace d01ozu {

struct OutputSet;
struct RecordProcessor;

// R00 header: 2 bytes, the text and its NUL, 1 byte, then the 17-byte tail
// whose first three little-endian words are receiver type, NAV and SIG version.
constexpr size_t kR00TextOffset = 2;
constexpr char kR00Text[] = "QXD RAW DATA IMAGE";  // compared with its NUL
constexpr size_t kR00PrefixSize = 22;
constexpr size_t kR00TailSize = 17;
constexpr size_t kR00HeaderSize = kR00PrefixSize + kR00TailSize;  // 39
constexpr size_t kTailReceiverType = 0;
constexpr size_t kTailNavVersion = 2;
constexpr size_t kTailSigVersion = 4;

// First 15 bytes of a T00 file: its type-30 file record.
constexpr size_t kT00SignatureSize = 15;

// Reads the first bytes of input (from its current position, normally 0) and
// sets format to what their signature shows. R00: reads the tail into tail,
// leaves the stream after 39 bytes, returns 0. T00, T02, T04: returns 0 with
// the stream after the bytes examined. Nothing recognised: kUnknown and 18.
// No open stream: 17.
StatusCode detect_input_header(InputStream* input, uint8_t tail[kR00TailSize], InputFormat& format);

// Checks one whole legacy frame (size bytes available) and hands a sound one to
// the processor. Returns 2 without a handle, 11 without STX, 4 without a DAT
// stream, 13 bad checksum, 12 no ETX, else the processor's status (15 once a
// DAT write failed). The first call of a run hands the processor the run facts.
StatusCode check_frame(RecordProcessor& rp, OutputSet* handle, const uint8_t* frame, size_t size);

// Searches forward from position + 1 for a record that check_frame accepts;
// on 0 the record has been processed, position is its start and the stream
// stands behind it. Bad checksums met on the way add to checksum_errors.
// Returns 0 or the last status seen (23 when no candidate was checked).
StatusCode resync_to_record(InputStream& input, uint32_t& position, RecordProcessor& rp,
                            OutputSet* handle, int32_t& checksum_errors);

}  // namespace d01ozu
