// Record-35 page assembly: joins the pages of a structured record into one
// body. A record 35 is one page, or a first page, middle pages and a last
// page that repeat its subtype and subsubtype; the body is their parts in
// order. The container reader applies this to every record from a block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/diagnostics.h"
#include "core/status_code.h"
#include "records/record35/dyn_array.h"
#include "records/record35/schema_table.h"

namespace d01ozu {

struct Record35Content;
struct SubtypeState;

struct SubtypeStateDeleter {
  void operator()(SubtypeState* state) const;
};
using SubtypeStatePtr = std::unique_ptr<SubtypeState, SubtypeStateDeleter>;

struct Record35Assembly {
  ByteBuffer body;                              // the body being assembled
  bool collecting = false;                      // a multi-page record is being collected
  bool open = false;                            // from the first page of a record to its last
  SubtypeStatePtr states[kRec35SubtypeCount];   // per known subtype, made on first use
  const DiagnosticSink* diagnostics = nullptr;  // the conversion's, set with the context
};

// The assembly's diagnostic sink (an unset one when it has none).
const DiagnosticSink& Record35Sink(const Record35Assembly& assembly);

constexpr int kRecord35Type = 35;
constexpr int kNoRecordType = 65535;
// Largest body the assembly joins; further pages are dropped, as when the
// buffer cannot grow, so a run of middle pages cannot grow it without end.
constexpr size_t kRecord35BodyLimit = size_t{512} << 10;

// Page codes (bits 4 and 5 of header byte 3).
enum : uint8_t { kPageWhole = 0, kPageFirst = 1, kPageMiddle = 2, kPageLast = 3 };

// Takes one record just extracted from a block (frame of length bytes, of
// type). Returns type when no record 35 is involved, 35 when a record 35 is
// complete (ids in content, body in assembly.body), 0 while pages are
// missing, -1 on failure with *status set (7 empty body, 17 no content, 18
// page sequence). A non-35 record that ends an open record 35 comes back
// with status 18 (none for type 65535).
int AssembleRecord35(Record35Assembly& assembly, Record35Content* content, const uint8_t* frame,
                     uint16_t length, int type, ReaderStatus* status);

// Start of a conversion: no record open; every subtype forgets its writer
// schema and awaits a key record.
void ResetRecord35Assembly(Record35Assembly& assembly);

// After an assembly error: every existing subtype awaits a key record.
void MarkAllAwaitKey(Record35Assembly& assembly);

}  // namespace d01ozu
