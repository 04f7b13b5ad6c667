// The start of every DAT file: five binary message records (type 5, pages
// 6, 0, 1, 2, 3) written as placeholders with the first record of the run
// and rewritten in place with their final contents when the run ends, and
// the ION/UTC record that follows them.
#pragma once

#include <cstdint>

#include "core/status_code.h"
#include "output/images.h"

namespace d01ozu {

struct RecordProcessor;

constexpr uint8_t kPlaceholderBit = 0x80;  // in the page byte while a placeholder
constexpr uint8_t kIonRecordLength = 124;

// Writes the placeholders and the ION/UTC record from the IonImage, and
// remembers the ION record's offset. Returns the write-failure status.
StatusCode write_dat_file_start(RecordProcessor& rp);

// The ION/UTC DAT record: 0x74, 124, 0, 15, then the 120 image bytes (14
// little-endian doubles and 8 raw bytes).
void build_ion_record(const IonImage& ion, uint8_t out[kIonRecordLength]);

// After a type-15 record updated the IonImage: when its 14th value is above
// 0, overwrites the initial ION/UTC record (once) or appends a new one.
StatusCode write_ion_update(RecordProcessor& rp);

}  // namespace d01ozu
