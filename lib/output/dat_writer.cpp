#include "output/dat_writer.h"

#include "output/dat_layouts.h"
#include "processing/record_processor.h"

namespace d01ozu {

StatusCode dat_emit(RecordProcessor& rp, const uint8_t* data, size_t n) {
  if (rp.write_failure != kStatusOk || rp.dat == nullptr) return rp.write_failure;
  if (!rp.dat->write(data, n) || rp.dat->has_error()) rp.write_failure = kStatusDiskFull;
  return rp.write_failure;
}

StatusCode dat_overwrite(RecordProcessor& rp, uint64_t offset, const uint8_t* data, size_t n) {
  if (rp.write_failure != kStatusOk || rp.dat == nullptr) return rp.write_failure;
  const uint64_t end = rp.dat->tell();
  if (!rp.dat->seek(offset) || !rp.dat->write(data, n) || !rp.dat->seek(end))
    rp.write_failure = kStatusDiskFull;
  return rp.write_failure;
}

namespace {

using ImageBuilder = size_t (*)(const uint8_t*, size_t, uint8_t*, size_t);

// The image builder of a directly converted type and sub-code, or nullptr.
ImageBuilder builder_for(int type, uint8_t sub_code) {
  switch (type) {
    case 3:
      return build_type3_image;
    case 10:
    case 11:
      return build_type10_11_image;
    case 12:
      return build_type12_image;
    case 16:
    case 33:
      return build_copied_image;
    case 19:
      return sub_code >= 5 && sub_code <= 8 ? build_type19_image : nullptr;
    case 20:
      return build_type20_image;
    case 21:
      return build_type21_image;
    case 25:
      return sub_code <= 2 ? build_type25_image : nullptr;
    case 31:
      return build_type31_image;
    case 101:
      return build_type101_image;
    default:
      return nullptr;
  }
}

}  // namespace

StatusCode write_dat_record(RecordProcessor& rp, int type) {
  if (type < 3 || type > 117 || rp.work_length < 4) return kStatusOk;
  ImageBuilder build = builder_for(type, rp.work[3]);
  if (build == nullptr) return kStatusOk;
  size_t n = build(rp.work, rp.work_length, rp.image, sizeof rp.image);
  if (n == 0) return kStatusExpansion;
  return dat_emit(rp, rp.image, n);
}

}  // namespace d01ozu
