#include "output/dat_file_start.h"

#include <cstdio>
#include <cstring>

#include "core/frame_rules.h"
#include "output/binary_messages.h"
#include "output/dat_fields.h"
#include "output/dat_writer.h"
#include "processing/record_processor.h"

namespace d01ozu {

namespace {
constexpr size_t kIonLastValue = 13 * 8;  // image offset of the 14th value
constexpr size_t kLongestPage = 110;
}  // namespace

void build_ion_record(const IonImage& ion, uint8_t out[kIonRecordLength]) {
  out[0] = kDatStart;
  out[1] = kIonRecordLength;
  out[2] = 0;
  out[3] = 15;
  std::memcpy(out + 4, ion.bytes, kIonImageSize);
}

StatusCode write_dat_file_start(RecordProcessor& rp) {
  uint8_t page[kLongestPage];
  for (int i = 0; i < 5; ++i) {
    std::memset(page, 0, sizeof page);
    page[0] = kDatStart;
    page[1] = kBinaryMessageLengths[i];
    page[2] = static_cast<uint8_t>(kBinaryMessagePages[i] | kPlaceholderBit);
    page[3] = 5;
    dat_emit(rp, page, kBinaryMessageLengths[i]);
  }
  if (rp.dat != nullptr && rp.write_failure == kStatusOk) rp.ion_record_offset = rp.dat->tell();
  uint8_t ion[kIonRecordLength] = {};
  if (rp.ion != nullptr) build_ion_record(*rp.ion, ion);
  ion[0] = kDatStart;
  ion[1] = kIonRecordLength;
  ion[3] = 15;
  return dat_emit(rp, ion, sizeof ion);
}

StatusCode write_ion_update(RecordProcessor& rp) {
  if (rp.ion == nullptr) return kStatusOk;
  const double value = load_le_double(rp.ion->bytes + kIonLastValue);
  if (!(value > 0)) return kStatusOk;
  uint8_t record[kIonRecordLength];
  build_ion_record(*rp.ion, record);
  if (rp.ion_record_offset == 0) return dat_emit(rp, record, sizeof record);
  const uint64_t offset = rp.ion_record_offset;
  rp.ion_record_offset = 0;
  return dat_overwrite(rp, offset, record, sizeof record);
}

// Rewrites the five binary message records in place: each must still carry
// its placeholder header (0x74, its length, its page with bit 7 ignored, 5).
StatusCode FinishDatFile(RecordProcessor& rp, const RunInfo& run) {
  merge_pending_session(rp.session);
  if (rp.dat == nullptr || !rp.dat->is_open() || rp.records_handed == 0) return kStatusOk;
  // Records still in the write buffer reach the disk here at the latest.
  if (rp.write_failure == kStatusOk && !rp.dat->flush()) rp.write_failure = kStatusDiskFull;
  if (rp.write_failure != kStatusOk) return rp.write_failure;
  uint64_t at = 0;
  uint8_t page[kLongestPage];
  for (int i = 0; i < 5; ++i) {
    const uint8_t length = kBinaryMessageLengths[i];
    uint8_t head[4] = {};
    if (!rp.dat->seek(at) || rp.dat->read(head, 4) != 4 || head[0] != kDatStart ||
        head[1] != length || (head[2] & ~kPlaceholderBit) != kBinaryMessagePages[i] || head[3] != 5)
      return kStatusNoBinaryMessages;
    build_binary_message(kBinaryMessagePages[i], rp, run, page);
    if (!rp.dat->seek(at) || !rp.dat->write(page, length)) return kStatusDiskFull;
    at += length;
  }
  return kStatusOk;
}

}  // namespace d01ozu
