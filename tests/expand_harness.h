// Runs single raw records through the dispatcher, and on into a record
// processor the way the container path hands them over (without the 27/17
// conversions).
#pragma once

#include <cstring>
#include <vector>

#include "records/raw_dispatcher.h"
#include "tests/dat_fixture.h"

namespace expandtest {

using Bytes = std::vector<uint8_t>;

struct Expanded {
  uint16_t count = 0;
  int16_t legacy = 0;
  d01ozu::ReaderStatus status = 0;
};

// Puts frame into the context as the reader leaves it (a packet by default)
// and expands it.
inline Expanded expand(d01ozu::ExpansionContext& c, const Bytes& frame,
                       int origin = d01ozu::kOriginPacketStream) {
  std::memset(&c.record, 0, sizeof c.record);
  std::memcpy(c.record.data, frame.data(), frame.size());
  c.record.length = static_cast<uint16_t>(frame.size());
  c.last_code = frame.at(2);
  c.record_origin = origin;
  c.record_checked = false;
  Expanded e;
  e.count = d01ozu::ExpandRawRecord(c, c.last_code, &e.legacy, &e.status);
  return e;
}

// Expands frame and hands the result to the processor: a typed structure to
// process_expanded_record, anything else as read to the legacy path.
inline d01ozu::StatusCode feed(d01ozu::ExpansionContext& c, dattest::Processor& p,
                               const Bytes& frame) {
  const Expanded e = expand(c, frame);
  if (e.status != 0) return d01ozu::kStatusExpansion;
  const d01ozu::ExpandedRecord typed = d01ozu::ExpandedStructure(c, e.legacy);
  if (e.count > 0 && typed.payload.index() != 0)
    return d01ozu::process_expanded_record(*p.rp, typed);
  const d01ozu::RawRecord& r = d01ozu::LegacyPathRecord(c);
  return d01ozu::process_legacy_record(*p.rp, r.data, r.length);
}

}  // namespace expandtest
