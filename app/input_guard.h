// Refusal of a run whose outputs would overwrite one of its inputs.
#pragma once

#include "app/conversion_context.h"
#include "core/status_code.h"

namespace rawsplit {

// Compares every name the run would create or rename onto (the DAT file
// under its temporary and final names, EPH, ION, MES, APP, summary) with
// every input, as files (links and other spellings match). On a clash returns
// the creation failure of that output (3, 5, 7, 9, 24 or 20), names both in
// cx.concerned_file and, at -v2, in an error line; 0 otherwise. Needs the
// names of PrepareNames.
d01ozu::StatusCode RefuseInputClashes(ConversionContext& cx);

}  // namespace rawsplit
