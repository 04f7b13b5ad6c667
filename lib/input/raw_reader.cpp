#include "input/raw_reader.h"

#include "input/block_container.h"
#include "input/container_layout.h"
#include "input/packet_framer.h"

namespace d01ozu {

namespace {

// Decides the form from the probe bytes. A packet stream replays them into
// the framer before reading on; a container keeps them as its first block.
void decide_form(ExpansionContext& c) {
  if (looks_like_block_container(c.probe)) {
    c.form = InputForm::kBlockContainer;
    BlockStart(c, c.probe, c.probe_count);
  } else {
    c.form = InputForm::kPacketStream;
    c.replay_pos = 0;
  }
}

bool replay_left(const ExpansionContext& c) {
  return c.form == InputForm::kPacketStream && c.replay_pos < c.probe_count;
}

// True when the next step can deliver something without a new input byte.
bool ready_without_input(ExpansionContext& c) {
  switch (c.form) {
    case InputForm::kPacketStream:
      return FramerReady(c);
    case InputForm::kBlockContainer:
      return BlockReady(c);
    default:
      return false;
  }
}

// The next byte to offer, or kNoByte when held records come first (ready:
// whether they do). Bulk reads take bytes that single steps would only have
// collected.
int next_byte(ExpansionContext& c, StreamMode mode, InputStream& input, bool ready) {
  if (ready) return kNoByte;
  if (replay_left(c)) return c.probe[c.replay_pos++];
  if (c.form == InputForm::kPacketStream) FramerFill(c, mode, input);
  if (c.form == InputForm::kBlockContainer) BlockFill(c, input);
  if (ready_without_input(c)) return kNoByte;
  int byte = input.get();
  return byte < 0 ? kNoByte : byte;
}

int step(ExpansionContext& c, StreamMode mode, int byte, ReaderStatus* status) {
  int result = 0;
  switch (c.form) {
    case InputForm::kProbing:
      if (byte == kNoByte) return 0;
      c.probe[c.probe_count++] = static_cast<uint8_t>(byte);
      if (c.probe_count == kProbeSize) decide_form(c);
      return 0;
    case InputForm::kPacketStream:
      result = FramerStep(c, mode, byte, status);
      c.record_origin = kOriginPacketStream;
      break;
    case InputForm::kBlockContainer:
      result = BlockStep(c, byte, status);
      break;
  }
  c.last_code = result;
  return result;
}

}  // namespace

int32_t ReadRawRecord(ExpansionContext& c, InputStream& input, StreamMode mode,
                      ReaderStatus* status) {
  *status = kReaderOk;
  for (;;) {
    const bool ready = ready_without_input(c);
    if (input.eof() && !ready && !replay_left(c)) {
      *status = kReaderEndOfInput;
      return -1;
    }
    const int byte = next_byte(c, mode, input, ready);
    c.input_pos = input.tell();
    int result = step(c, mode, byte, status);
    if (result != 0) return result;
    if (*status != kReaderOk && *status != kReaderEndOfInput) return -1;
  }
}

}  // namespace d01ozu
