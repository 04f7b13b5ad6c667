// State of the container reader and the raw record dispatcher for one input
// file. Created afresh for every input file and released with the handle.
#pragma once

#include <memory>

namespace d01ozu {

struct ExpansionContext;

struct ExpansionContextDeleter {
  void operator()(ExpansionContext* context) const;
};
using ExpansionContextPtr = std::unique_ptr<ExpansionContext, ExpansionContextDeleter>;

// Creates and sets up a context; nullptr when memory cannot be had.
ExpansionContextPtr CreateExpansionContext();

// Library start and end: the process-wide decoding tables of the prefix code.
void BuildDecodingTables();
void ReleaseDecodingTables();

}  // namespace d01ozu
