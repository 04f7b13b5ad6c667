#include "run/container_record.h"

#include "core/record_traits.h"
#include "input/raw_reader.h"
#include "processing/record_processor.h"
#include "records/raw_dispatcher.h"
#include "records/type29_converter.h"
#include "run/output_set.h"

namespace d01ozu {

namespace {

// Legacy types whose typed structure goes to process_expanded_record.
bool expanded_handover_type(int type) {
  return TraitsOf(type).typed;
}

StatusCode hand_expanded(RecordProcessor& rp, ExpansionContext& c, int type) {
  rp.last_record_type = type;
  return process_expanded_record(rp, ExpandedStructure(c, type));
}

// The structure the dispatcher filled for a record of legacy type (a raw
// record's converter or a record-35 down-conversion).
template <typename Structure>
const Structure* structure_of(const ExpansionContext& c, int type) {
  const ExpandedRecord r = ExpandedStructure(c, type);
  const Structure* const* p = std::get_if<const Structure*>(&r.payload);
  return p ? *p : nullptr;
}

// Type 29 under the 27/17 mode: mode 0 hands it on as it is, mode 1 only the
// type-11 record made from it, mode 2 both, the type-29 record first.
StatusCode hand_type29(RecordProcessor& rp, ExpansionContext& c) {
  const int mode = rp.options.mode_27_17;
  if (mode != 1) {
    const StatusCode status = hand_expanded(rp, c, 29);
    if (mode == 0 || status != kStatusOk) return status;
  }
  const Type29Record* type29 = structure_of<Type29Record>(c, 29);
  if (!type29 || Type29ToType11(*type29, c.type11, c.dat_header) == 0) return kStatusOk;
  return hand_expanded(rp, c, 11);
}

// Hands one expanded record on. Types 27 and 29 follow the 27/17 mode: modes
// 0 and 2 hand them as they are (type 27 makes the DAT file a ".tgd" file),
// modes 1 and 2 hand the type-17 epoch or type-11 record made from them, after
// the original in mode 2.
StatusCode hand_over(RecordProcessor& rp, ExpansionContext& c, int type) {
  if (type == 29) return hand_type29(rp, c);
  if (type != 27) return hand_expanded(rp, c, type);
  StatusCode status = kStatusOk;
  if (rp.options.mode_27_17 != 1) {
    rp.type27_written = true;
    status = hand_expanded(rp, c, 27);
  }
  if (rp.options.mode_27_17 == 0) return status;
  const Type27Record* type27 = structure_of<Type27Record>(c, 27);
  if (!type27) return status;
  ConvertType27To17(*type27, rp.options.l2_preference, c.type17, c.dat_header);
  const StatusCode converted = hand_expanded(rp, c, 17);
  return status != kStatusOk ? status : converted;
}

// Expands the record the reader delivered and hands it to the processor.
StatusCode dispatch(RecordProcessor& rp, ExpansionContext& c) {
  int16_t legacy_type = 0;
  ReaderStatus status = 0;
  c.message_flag = rp.message_flag;  // enables the flag modes of delta epochs
  uint16_t count = ExpandRawRecord(c, c.last_code, &legacy_type, &status);
  c.step_status = status;
  if (status != 0) return kStatusExpansion;
  if (count >= 1 && expanded_handover_type(legacy_type)) return hand_over(rp, c, legacy_type);
  const RawRecord& record = LegacyPathRecord(c);
  rp.last_record_type = record.data[kRawTypeOffset];
  return process_legacy_record(rp, record.data, record.length);
}

}  // namespace

StatusCode ReadContainerRecord(OutputSet& handle, RecordProcessor& rp, InputStream& input,
                               FormatCode format) {
  if (!handle.run.applied) {
    handle.run.applied = true;
    ApplyRunInfo(rp, handle.run);
  }
  if (!handle.file(kOutputDat).is_open()) return kStatusDatNotOpen;
  if (!handle.expansion) return kStatusNoMemory;
  ExpansionContext& c = *handle.expansion;
  const StreamMode mode = format == kFormatT00 ? StreamMode::kPlain : StreamMode::kSuCoded;
  ReaderStatus reader_status = 0;
  StatusCode status = kStatusOk;
  const int32_t read = ReadRawRecord(c, input, mode, &reader_status);
  c.step_status = reader_status;
  if (read < 0 || reader_status != kReaderOk) {
    if (reader_status != kReaderOk && reader_status != kReaderEndOfInput &&
        reader_status != kReaderEndSymbol)
      status = kStatusExpansion;
  } else {
    ++rp.record_count;
    status = dispatch(rp, c);
  }
  if (ProcessorDiskFull(rp)) status = kStatusDiskFull;
  if (quick_summary_line(rp)) status = kStatusQuickSummary;
  return status;
}

}  // namespace d01ozu
