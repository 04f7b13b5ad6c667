#include "input/r00_framing.h"

#include <cstring>

#include "core/byte_cursor.h"
#include "core/frame_rules.h"
#include "input/format_detect.h"
#include "processing/record_processor.h"
#include "run/output_set.h"

namespace d01ozu {
namespace {

// Largest legacy frame: length byte 255 plus 256 for the long types.
constexpr size_t kMaxFrameSize = 511;

// Types a resynchronisation may accept: those below 22 and 101, 102, 117.
bool ResyncCandidateType(uint8_t type) {
  return type < 22 || type == 101 || type == 102 || type == 117;
}

}  // namespace

StatusCode detect_input_header(InputStream* input, uint8_t tail[kR00TailSize],
                               InputFormat& format) {
  format = InputFormat::kUnknown;
  if (!input || !input->is_open()) return kStatusNoInput;
  uint8_t head[kFormatProbeSize] = {};
  const size_t got = input->read(head, sizeof head);
  format = FormatOfBytes(head, got);
  if (format == InputFormat::kR00) {
    std::memset(tail, 0, kR00TailSize);
    input->read(tail, kR00TailSize);
    return kStatusOk;
  }
  input->seek(got < kT00SignatureSize ? got : kT00SignatureSize);
  return format == InputFormat::kUnknown ? kStatusBadHeader : kStatusOk;
}

StatusCode check_frame(RecordProcessor& rp, OutputSet* handle, const uint8_t* frame, size_t size) {
  if (!handle) return kStatusNotOpened;
  if (!handle->run.applied) {
    handle->run.applied = true;
    ApplyRunInfo(rp, handle->run);
  }
  if (size < 3 || frame[0] != kStx) return kStatusNoStx;
  if (!rp.dat || !rp.dat->is_open()) return kStatusDatNotOpen;
  const uint8_t type = frame[2];
  const size_t length = static_cast<size_t>(legacy_frame_length(frame[1], type));
  if (length > size) return kStatusNoEtx;  // the frame would end past the bytes given
  if (!legacy_frame_unchecked(type)) {
    if (length < 4) return kStatusBadChecksum;  // no room for checksum and ETX
    ByteCursor stored(frame + length - 3, 2);
    if (byte_sum16(frame, length - 3) != stored.be16()) return kStatusBadChecksum;
    if (frame[length - 1] != kEtx) return kStatusNoEtx;
  }
  StatusCode st = process_legacy_record(rp, frame, length);
  if (ProcessorDiskFull(rp)) st = kStatusDiskFull;
  return st;
}

StatusCode resync_to_record(InputStream& input, uint32_t& position, RecordProcessor& rp,
                            OutputSet* handle, int32_t& checksum_errors) {
  StatusCode result = kStatusNoResync;
  uint8_t frame[kMaxFrameSize];
  while (!input.eof()) {
    ++position;
    if (!input.seek(position)) break;
    const int byte = input.get();
    if (byte < 0) break;
    if (byte != kStx) continue;
    frame[0] = kStx;
    if (input.read(frame + 1, 2) < 2) break;
    if (!ResyncCandidateType(frame[2])) continue;
    const int length = legacy_frame_length(frame[1], frame[2]);
    if (length <= 3) continue;
    const size_t rest = static_cast<size_t>(length - 3);
    if (input.read(frame + 3, rest) < rest) {
      input.seek(position);
      continue;
    }
    if (frame[length - 1] != kEtx) continue;
    StatusCode st = check_frame(rp, handle, frame, static_cast<size_t>(length));
    if (st == kStatusOk) return kStatusOk;
    if (st == kStatusBadChecksum) ++checksum_errors;
    result = st;
  }
  return result;
}

}  // namespace d01ozu
