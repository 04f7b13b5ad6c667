// State of the container reader and the raw record dispatcher for one input
// file. Created afresh for every input file and released with the handle; it
// owns the fixed reader buffers, so memory stays bounded whatever the input.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "core/diagnostics.h"
#include "core/status_code.h"
#include "input/su_code.h"
#include "input/su_compr_common.h"
#include "processing/compact_codec.h"
#include "records/compact27_expander.h"
#include "records/compact_patch.h"
#include "records/compact_position.h"
#include "records/expanded_records.h"
#include "records/record35/record35_assembly.h"
#include "records/record35/record35_content.h"
#include "records/type17_converter.h"
#include "records/type27_converter.h"

namespace d01ozu {

class BlockAhead;
class SuAhead;

// Detail codes of the reader and the dispatcher (the driver folds every value
// but 0, 1 and 6 into status 30).
enum : ReaderStatus {
  kReaderOk = 0,
  kReaderEndOfInput = 1,
  kReaderBadChecksum = 2,
  kReaderBadLength = 3,  // bad frame length, record too long, zero-length record
  kReaderNoEtx = 5,
  kReaderEndSymbol = 6,     // su end symbol between packets
  kReaderRefused = 7,       // block kind above 8, expansion failure
  kReaderBlockTooLong = 8,  // block length over the limit, bzip2 failure
  kReaderBadVersion = 9,    // refused after a header of unsupported version
  kReaderZlibFailed = 10,
  kReaderScrambledBlock = 14,  // kind-6 block
  kReaderResynchronised = 18,  // first record after a resynchronisation
  kReaderBrotliFailed = 24,
  kReaderZstdFailed = 25,
};

// A framed raw record: STX to ETX, at most 5120 bytes. Bytes from used on
// are zero, so clearing touches only the bytes the last record occupied.
struct RawRecord {
  uint8_t data[kRawRecordCapacity];
  uint16_t length;
  uint16_t used;  // high-water mark of bytes written since the last clear
};

// Clears the record to all zeros (length 0).
inline void clear_raw_record(RawRecord& r) {
  std::memset(r.data, 0, r.used > r.length ? r.used : r.length);
  r.length = 0;
  r.used = 0;
}

enum class StreamMode : uint8_t { kPlain, kSuCoded };

// Largest block, header included, and the capacity of the decoded data.
constexpr size_t kBlockLimit = 530134;
constexpr size_t kT01BufCapacity = 530134;
constexpr size_t kProbeSize = 10;

// Where the record in the RawRecord came from; decides the dispatcher's
// checksum rule. Block kinds keep their own numbers.
constexpr int kOriginPacketStream = -1;

// The packet framer's collection buffer: live bytes are [start, start+count).
// It holds one frame plus what one coded byte can add.
struct PacketFramer {
  uint8_t buf[kRawRecordCapacity + 2 * kSuMaxOutputPerByte];
  uint16_t start;
  uint16_t count;
};

// A block, plus what the resynchronisation may hold behind a partial one, and
// the decoded data of a block.
constexpr size_t kBlockBufferSize = kBlockLimit + 8192;
struct BlockBuffers {
  uint8_t block[kBlockBufferSize];
  uint8_t t01buf[kT01BufCapacity];
};

// The form of the input, decided once per file from its first ten bytes.
enum class InputForm : uint8_t {
  kProbing,         // fewer than ten bytes seen; they wait in probe[]
  kPacketStream,    // framed records, plain or su-coded, one after another
  kBlockContainer,  // typed blocks, mostly compressed
};

// The bytes of a header block that are kept but not acted on, and the version.
struct ContainerHeader {
  uint8_t kept10;
  uint8_t kept11;
  uint8_t flag;   // bit 7 of byte 12
  uint8_t value;  // bits 0..6 of byte 12
  uint8_t kept13;
  uint8_t major;
  uint8_t minor;
  uint8_t kept16;
};

struct ExpansionContext {
  // Input form and the first ten bytes; a packet stream replays them into
  // the framer before reading on.
  InputForm form;
  uint8_t probe[kProbeSize];
  uint8_t probe_count;
  uint8_t replay_pos;  // next probe byte still to be offered to the framer
  PacketFramer framer;
  SuDecoder su;
  SuAhead* su_ahead;  // su decoding ahead on a worker, or nullptr

  // Block container: the two big buffers live apart, allocated without being
  // cleared, since they are only ever read below their counts.
  std::unique_ptr<BlockBuffers> buffers;
  uint8_t* block;  // buffers->block
  uint32_t block_count;
  bool pending;      // records are ready without more input
  int decoded_kind;  // kind of the block whose data is in t01buf, -1 before any
  uint8_t* t01buf;   // buffers->t01buf
  uint32_t t01_length;
  uint32_t t01_pos;
  bool header_seen;
  ContainerHeader header;
  bool resynchronising;
  uint32_t resync_next;     // next block-buffer position the search examines
  uint32_t resync_scanned;  // positions examined without a match
  uint64_t input_pos;       // input offset just behind the last byte in block
  BlockAhead* ahead;        // decompression ahead on a worker, or nullptr

  // The record delivered and where it came from.
  RawRecord record;
  int last_code;
  int record_origin;    // kOriginPacketStream or the block kind
  bool record_checked;  // the framer has checked the record's checksum
  Record35Assembly record35;
  std::unique_ptr<Record35Content> record35_content;  // ids, buffers, decoded structures

  // Dispatcher.
  RawRecord work;
  bool work_expanded;  // work holds a compact epoch expanded to type 17/117
  uint8_t dat_header[4];
  bool first_type30;
  bool message_flag;  // the run's message flag, set by the caller per record
  CompactReferences compact;

  DiagnosticSink diagnostics;  // the conversion's, copied in at creation
  ReaderStatus step_status;    // detail code of the last step's reader or dispatcher

  // Typed structures of the position, type-5 and newer-type converters.
  Type5Record type5;
  Type11Record type11;
  Type29Record type29;
  NewerTypeRecord newer;
  CompactPositionState compact11;  // raw types 54 and 55
  CompactPositionState compact29;  // raw types 56 and 57
  CompactPatchState patches;       // raw types 41 and 84 to 86
  CompactReferences second_group;  // raw types 68, 69, 76 and 77
  // Measurement epochs: the typed records the converters fill, and their
  // epoch-to-epoch state.
  Type27Record type27;
  Type27State type27_state;
  Type17Record type17;
  Type17State type17_state;
  EpochReferences epoch_references;  // raw types 36 to 39
};

struct ExpansionContextDeleter {
  void operator()(ExpansionContext* context) const;
};
using ExpansionContextPtr = std::unique_ptr<ExpansionContext, ExpansionContextDeleter>;

// Creates and sets up a context; nullptr when memory cannot be had.
ExpansionContextPtr CreateExpansionContext();
// Returns the context to its state at creation (every buffer empty).
void SetUpExpansionContext(ExpansionContext& context);

}  // namespace d01ozu
