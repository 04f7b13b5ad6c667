// The application file rebuilt from type-31 parts, and the APP file writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/status_code.h"
#include "output/out_file.h"

namespace d01ozu {

struct AppBuffer {
  std::unique_ptr<uint8_t[]> data;  // expected_length bytes, zero-filled
  uint16_t expected_length = 0;
  size_t write_pos = 0;
  bool collecting = false;  // a write position exists
  int state = 0;            // 0 nothing received, 1 collecting or complete, 2 overflow
};

enum : int { kAppEmpty = 0, kAppCollecting = 1, kAppOverflow = 2 };

// Feeds one type-31 frame (whole legacy frame, size bytes) into the buffer. A
// part that runs past the announced length, or whose data the frame does not
// hold, is dropped and leaves the buffer at overflow.
void collect_app_part(AppBuffer& app, const uint8_t* frame, size_t size);
// Writes the APP file at close; returns 0, 26 (not valid), 27 (no
// information), 25 without an open file, or 15 when a write fails.
StatusCode write_app_file(OutFile& file, const AppBuffer& app);

}  // namespace d01ozu
