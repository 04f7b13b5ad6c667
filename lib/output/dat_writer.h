// Writing DAT records: every write goes through the disk-full latch, and the
// per-type writer turns the processor's current record into its DAT image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/status_code.h"

namespace d01ozu {

struct RecordProcessor;

// Appends n bytes to the DAT file. After a failed write the processor's
// write-failure status is "Disk full" and every later write is skipped.
// Returns the write-failure status (0 while writes succeed).
StatusCode dat_emit(RecordProcessor& rp, const uint8_t* data, size_t n);
// Writes n bytes at file offset, then returns to the end of the file.
StatusCode dat_overwrite(RecordProcessor& rp, uint64_t offset, const uint8_t* data, size_t n);

// Builds the DAT image of the current working frame (rp.work, rp.work_length)
// for type and writes it. Types below 3 or above 117, and types with no
// directly converted layout, write nothing. Returns 0, 30 when the frame is
// too short for its layout (nothing written), or 15 after a failed write.
StatusCode write_dat_record(RecordProcessor& rp, int type);

}  // namespace d01ozu
