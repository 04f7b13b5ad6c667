// The raw record dispatcher: checks the record the reader left in the
// context, expands compact raw types into legacy frames and maps the raw type
// to the legacy type that the record processor receives.
#pragma once

#include <cstdint>

#include "records/expanded_records.h"
#include "records/expansion_context.h"

namespace d01ozu {

// The legacy type a raw type becomes (65535 for types without one).
int legacy_type_for(int raw_type);

// Expands the record now in context.record (the raw type argument is not
// consulted: the dispatcher switches on the code the reader stored). Returns
// the count of the produced legacy record, 0 when nothing was produced, with
// *legacy_type set. *status: 0, 2 bad checksum, 5 missing ETX, 7 expansion
// failure; a non-zero status means the record goes to no output path.
uint16_t ExpandRawRecord(ExpansionContext& context, int raw_type, int16_t* legacy_type,
                         ReaderStatus* status);

// True when the record now in the context had its checksum tested: it was
// stored with STX and its type carries one.
bool RecordChecksumTested(const ExpansionContext& context);

// The frame the legacy record path receives when the count is 0: the
// expanded frame of a compact epoch, else the record as read.
const RawRecord& LegacyPathRecord(const ExpansionContext& context);

// The record a converter filled for legacy type, with context.dat_header;
// its payload is empty when there is none.
ExpandedRecord ExpandedStructure(const ExpansionContext& context, int legacy_type);

}  // namespace d01ozu
