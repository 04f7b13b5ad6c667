#include "output/app_file.h"

#include <cstring>
#include <new>

#include "core/byte_cursor.h"
#include "core/frame_fields.h"
#include "core/frame_rules.h"
#include "output/output_layouts.h"

namespace d01ozu {
namespace {

// Starts a new application file of total bytes, replacing any earlier one.
void start_app_file(AppBuffer& app, uint16_t total) {
  app.data.reset(new (std::nothrow) uint8_t[total > 0 ? total : 1]());
  app.expected_length = app.data ? total : 0;
  app.write_pos = 0;
  app.collecting = true;
  app.state = app.data ? kAppCollecting : kAppOverflow;
}

// Writes packet k of count (chunk of c bytes at data); false on a short write.
bool write_app_packet(OutFile& file, const uint8_t* data, size_t c, size_t k, size_t count) {
  uint8_t packet[kAppChunkSize + kAppPacketOverhead];
  ByteWriter w(packet, sizeof packet);
  w.u8(kStx);
  w.u8(0);  // status
  w.u8(kAppPacketType);
  w.u8(static_cast<uint8_t>(c + 3));
  w.u8(0);
  w.u8(static_cast<uint8_t>(k));
  w.u8(static_cast<uint8_t>(count - 1));
  w.bytes(data, c);
  uint8_t sum = 0;
  for (size_t i = kAppPacketSumFrom; i < w.position(); ++i) sum += packet[i];
  w.u8(sum);
  w.u8(kEtx);
  return file.write(packet, w.position());
}

}  // namespace

void collect_app_part(AppBuffer& app, const uint8_t* frame, size_t size) {
  ByteCursor c = frame_fields(frame, size, kType31TotalLength);
  uint16_t total = c.be16();
  uint8_t more_parts = c.u8();
  uint8_t n = c.u8();
  const uint8_t* part = c.take(n);
  if (!c.ok() && n == 0) return;  // too short to be a part at all
  if (!app.collecting) start_app_file(app, total);
  if (part && app.data && n <= app.expected_length - app.write_pos) {
    std::memcpy(app.data.get() + app.write_pos, part, n);
    app.write_pos += n;
  } else {
    app.state = kAppOverflow;
  }
  if (more_parts == 0) app.collecting = false;
}

// Length word (data + 9 per packet), then packets of at most 245 data bytes.
StatusCode write_app_file(OutFile& file, const AppBuffer& app) {
  if (!file.is_open()) return kStatusAppNotOpen;
  if (app.state == kAppEmpty) return kStatusAppNoInfo;
  if (app.state == kAppOverflow) return kStatusAppInvalid;
  size_t length = app.expected_length;
  if (length < 1) return kStatusOk;
  size_t count = (length + kAppChunkSize - 1) / kAppChunkSize;
  uint8_t word[2];
  ByteWriter w(word, sizeof word);
  w.le16(static_cast<uint16_t>(length + kAppPacketOverhead * count));
  bool ok = file.write(word, sizeof word);
  for (size_t k = 0; ok && k < count; ++k) {
    size_t c = k + 1 < count ? kAppChunkSize : length - k * kAppChunkSize;
    ok = write_app_packet(file, app.data.get() + k * kAppChunkSize, c, k, count);
  }
  return ok ? kStatusOk : kStatusDiskFull;
}

}  // namespace d01ozu
