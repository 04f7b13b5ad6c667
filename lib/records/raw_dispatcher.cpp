#include "records/raw_dispatcher.h"

#include <cstring>

#include "core/frame_rules.h"
#include "core/record_traits.h"
#include "records/compact_patch.h"
#include "records/compact_position.h"
#include "records/newer_type_converter.h"
#include "records/record35/record35_handler.h"
#include "records/type11_converter.h"
#include "records/type29_converter.h"
#include "records/type5_converter.h"

namespace d01ozu {

namespace {

constexpr uint8_t kFileRecordType = 30;

// Raw types that a compact expander turns into a legacy frame.
bool compact_type(int raw) {
  return TraitsOf(raw).compact;
}

// Records that were stored with STX (packet streams, block kinds 1, 3, 4)
// carry a real checksum; the others were rebuilt with zero checksum bytes.
bool checksum_tested(int origin) {
  return origin == kOriginPacketStream || origin == 1 || origin == 3 || origin == 4;
}

void copy_to_work(ExpansionContext& c) {
  std::memcpy(c.work.data, c.record.data, c.record.length);
  c.work.length = c.record.length;
}

// Expands the compact epoch in the work buffer into a type-17/117 frame
// against refs; false on any codec failure.
bool expand_epoch_in_work(ExpansionContext& c, CompactReferences& refs) {
  size_t out_length = 0;
  int rc = convert_compact_epoch(refs, c.work.data, c.work.length, sizeof c.work.data,
                                 c.message_flag, &out_length);
  c.work.used =
      static_cast<uint16_t>(kCompactMaxFrame > c.work.used ? kCompactMaxFrame : c.work.used);
  if (rc != kCompactOk) return false;
  c.work.length = static_cast<uint16_t>(
      legacy_frame_length(c.work.data[kRawLengthOffset], c.work.data[kRawTypeOffset]));
  return c.work.length == out_length;
}

// Expands a compact epoch into a type-17/117 frame in the work buffer; false
// on any codec failure.
bool expand_compact_epoch(ExpansionContext& c) {
  copy_to_work(c);
  return expand_epoch_in_work(c, c.compact);
}

// Raw types 68, 69, 76 and 77 are the compact epochs of a second satellite
// group: coded as 66, 67, 74 and 75 (two type numbers lower), against a pair
// of references of their own that the file record does not reset.
bool expand_second_group_epoch(ExpansionContext& c) {
  copy_to_work(c);
  c.work.data[kRawTypeOffset] = static_cast<uint8_t>(c.work.data[kRawTypeOffset] - 2);
  return expand_epoch_in_work(c, c.second_group);
}

// Expands a compact position record into its legacy frame in the work buffer.
bool expand_compact_position(ExpansionContext& c, CompactPositionState& state,
                             const CompactPositionLayout& layout, bool full) {
  const size_t n = ExpandCompactPosition(state, layout, full, c.record.data, c.record.length,
                                         c.work.data, sizeof c.work.data);
  c.work.length = static_cast<uint16_t>(n);
  c.work.used = static_cast<uint16_t>(n > c.work.used ? n : c.work.used);
  return n > 0;
}

// Expands a compact type-25 or type-40 record into its legacy frame in the
// work buffer.
bool expand_compact_patch(ExpansionContext& c) {
  const size_t n = ExpandCompactPatch(c.patches, c.record.data, c.record.length, c.work.data,
                                      sizeof c.work.data);
  c.work.length = static_cast<uint16_t>(n);
  c.work.used = static_cast<uint16_t>(n > c.work.used ? n : c.work.used);
  return n > 0;
}

// Raw types 36 to 39: a compact type-27 epoch rebuilt into the work buffer
// against the context's epoch references; false on any expander error.
bool expand_compact27(ExpansionContext& c) {
  ExpandedEpoch epoch{};
  if (ExpandCompactEpoch(c.record.data, c.record.length, c.work.data, sizeof c.work.data,
                         c.epoch_references, &epoch) != kCompactEpochOk)
    return false;
  c.work.length = epoch.length;
  c.work.used = epoch.length;
  return true;
}

enum class PreExpansion { kNone, kDone, kFailed };

// Runs the compact expander of the raw type, which leaves a framed legacy
// record in the work buffer. Compact epochs 66 and 74 (delta) and 67 and 75
// (full) use the codec of the legacy path on the context's own references.
PreExpansion pre_expand(ExpansionContext& c, int raw) {
  bool ok = false;
  switch (raw) {
    case 66:
    case 67:
    case 74:
    case 75:
      ok = expand_compact_epoch(c);
      break;
    case 68:
    case 69:
    case 76:
    case 77:
      ok = expand_second_group_epoch(c);
      break;
    case 54:
    case 55:
      ok = expand_compact_position(c, c.compact11, kType11Compact, raw == 54);
      break;
    case 56:
    case 57:
      ok = expand_compact_position(c, c.compact29, kType29Compact, raw == 56);
      break;
    case 41:
    case 84:
    case 85:
    case 86:
      ok = expand_compact_patch(c);
      break;
    case 36:
    case 37:
    case 38:
    case 39:
      ok = expand_compact27(c);
      break;
    default:
      return PreExpansion::kNone;
  }
  c.work_expanded = ok;
  return ok ? PreExpansion::kDone : PreExpansion::kFailed;
}

// Type 30: its DAT header carries byte 3 as the sub-code. A file record
// (sub-code 0) after the first one of the file starts a new stream, so the
// compact epoch references go back to blank.
void file_record_rule(ExpansionContext& c) {
  const uint8_t sub_code = c.record.data[kRawLengthHighOffset];
  c.dat_header[0] = kDatStart;
  c.dat_header[1] = static_cast<uint8_t>(c.record.length);
  c.dat_header[2] = sub_code;
  c.dat_header[3] = kFileRecordType;
  if (sub_code != 0) return;
  if (c.first_type30)
    c.first_type30 = false;
  else
    reset_compact_references(c.compact, kContainerCompactSatellites);
}

// Runs the converter of the raw type on the checked frame (a compact type's
// expanded frame); returns the count (0 for types without a converter, which
// then take the legacy path as read).
uint16_t convert_record(ExpansionContext& c, int raw, const RawRecord& record) {
  const uint8_t* frame = record.data;
  const size_t length = record.length;
  switch (raw) {
    case 5:
      return ConvertType5(frame, length, c.type5, c.dat_header);
    case 11:
    case 54:
    case 55:
      return ConvertType11(frame, length, c.type11, c.dat_header);
    case 29:
    case 56:
    case 57:
      return ConvertType29(frame, length, c.type29, c.dat_header);
    case 40:
      RememberType40(c.patches, frame, length);
      return ConvertNewerType(frame, length, c.newer, c.dat_header);
    case 25:
    case 26:
    case 28:
    case 32:
    case 33:
    case 41:
    case 84:
    case 85:
    case 86:
    case 98:
    case 99:
      return ConvertNewerType(frame, length, c.newer, c.dat_header);
    case 17:
    case 66:
    case 67:
    case 68:
    case 69:
    case 74:
    case 75:
    case 76:
    case 77:
      return ConvertType17(frame, length, c.type17_state, c.type17, c.dat_header);
    case 27:
    case 36:
    case 37:
    case 38:
    case 39:
      return ConvertType27(frame, length, c.type27_state, c.type27, c.dat_header);
    default:
      return 0;
  }
}

// The structure a converter filled for legacy type, if any.
ExpandedPayload ConvertedStructure(const ExpansionContext& c, int legacy_type) {
  switch (legacy_type) {
    case 5:
      return &c.type5;
    case 11:
      return &c.type11;
    case 29:
      return &c.type29;
    case 25:
    case 26:
    case 28:
    case 32:
    case 33:
    case 40:
    case 98:
    case 99:
      return &c.newer;
    case 17:
      return &c.type17;
    case 27:
      return &c.type27;
    default:
      return std::monostate{};
  }
}

}  // namespace

int legacy_type_for(int raw) {
  return TraitsOf(raw).legacy_type;
}

// Every raw type without a converter of its own yields count 0, which sends
// the record as read to the legacy record path.
uint16_t ExpandRawRecord(ExpansionContext& c, int, int16_t* legacy_type, ReaderStatus* status) {
  clear_raw_record(c.work);
  c.work_expanded = false;
  *status = kReaderOk;
  const int raw = c.last_code;
  *legacy_type = static_cast<int16_t>(legacy_type_for(raw));
  // Record-35 bodies are assembled from block records only.
  if (raw == kRecord35Type && c.record_origin != kOriginPacketStream)
    return ExpandRecord35(c.record35, c.record35_content.get(), c.dat_header, legacy_type, status);
  if (raw == kRecord35Type) return 0;
  const PreExpansion pre = pre_expand(c, raw);
  if (pre == PreExpansion::kFailed) {
    *status = kReaderRefused;
    return 0;
  }
  if (pre == PreExpansion::kNone && compact_type(raw)) return 0;
  // Other records are checked where the reader left them: no converter
  // reads a copy of them yet.
  const RawRecord& record = LegacyPathRecord(c);
  const uint8_t* frame = record.data;
  const size_t length = record.length;
  if (length == 0 || frame[length - 1] != kEtx) {
    *status = kReaderNoEtx;
    return 0;
  }
  // A packet the framer has checked is not summed a second time.
  const bool checked = c.record_checked && !c.work_expanded;
  if (checksum_tested(c.record_origin) && !checked && !raw_frame_checksum_ok(frame, length)) {
    *status = kReaderBadChecksum;
    return 0;
  }
  if (raw == kFileRecordType) file_record_rule(c);
  return convert_record(c, raw, record);
}

bool RecordChecksumTested(const ExpansionContext& c) {
  return checksum_tested(c.record_origin) && !compact_type(c.last_code);
}

const RawRecord& LegacyPathRecord(const ExpansionContext& c) {
  return c.work_expanded ? c.work : c.record;
}

ExpandedRecord ExpandedStructure(const ExpansionContext& c, int legacy_type) {
  ExpandedRecord r;
  r.type = legacy_type;
  std::memcpy(r.header, c.dat_header, sizeof r.header);
  // Types 17 and 11 that the 27/17 modes make of a record 35's type 27 or
  // type 29 are the context's own, as for every other source.
  const bool made_here = legacy_type == 17 || legacy_type == 11;
  if (c.last_code == kRecord35Type && !made_here)
    r.payload = Record35Structure(c.record35_content.get(), legacy_type);
  else
    r.payload = ConvertedStructure(c, legacy_type);
  return r;
}

}  // namespace d01ozu
