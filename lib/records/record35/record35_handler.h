// The record-35 handler the raw-record dispatcher calls for a completed
// record 35: subtype dispatch, decoding, and the down-conversion of the
// measurement and position subtypes into legacy structures.
#pragma once

#include <cstdint>

#include "core/status_code.h"
#include "records/record35/record35_assembly.h"
#include "records/record35/record35_content.h"

namespace d01ozu {

// Subtype dispatch: special buffers for subtypes 0 and 12345678, the
// decoder of a known subtype, nothing for others. Sets *type and *length:
// 0 and 0 for a schema record, 65535 and 0 after an error (*error set), else
// 35 and the body length.
void readRec35BufferContent(Record35Assembly& assembly, Record35Content& content, int* type,
                            uint32_t* length, uint8_t* error);

// Dispatches the assembled record, stamps the DAT header of type 35 and
// rewrites satellite type 7 as 10 in the native structures of subtypes 2
// and 9. Returns the output length (0 without content).
uint32_t HandleRecord35(Record35Assembly& assembly, Record35Content* content, uint8_t dat_header[4],
                        int* type, uint8_t* error);

// The dispatcher's step for raw type 35: handling, then down-conversion of
// subtypes 2, 9, 16 and 19. Returns the count with *legacy_type set; a
// record-35 error comes back as *status.
uint16_t ExpandRecord35(Record35Assembly& assembly, Record35Content* content, uint8_t dat_header[4],
                        int16_t* legacy_type, ReaderStatus* status);

// The legacy structure a record 35 was converted into, for legacy type
// (empty when there is none).
ExpandedPayload Record35Structure(const Record35Content* content, int legacy_type);

}  // namespace d01ozu
