// Whole conversions through the public API with everything a caller sees
// recorded, so that runs with one thread and with more can be compared.
#pragma once

#include <d01ozu/d01ozu.h>

#include <map>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace threadtests {

using testsupport::Bytes;

// The records of a session: identity, message, week, an ephemeris and
// `epochs` type-17 epochs of three satellites.
std::vector<Bytes> SessionFrames(int epochs);

// Everything a caller sees of a run, as text, plus the output files.
struct Seen {
  d01ozu::Status status = d01ozu::Status::kAborted;
  std::string events;
  std::map<std::string, Bytes> outputs;
  int progress_calls = 0;
  int abort_at = -1;  // the progress call that aborts, -1 none
};

// How a run is asked for: plain, the quick summary, or aborted early.
enum class Mode { kPlain, kQuick, kAbort };

// Converts the inputs (files joined end to end) of format into dir, added
// as bytes in memory or as files written into dir.
Seen Convert(const std::vector<Bytes>& inputs, d01ozu::InputFormat format, Mode mode,
             unsigned threads, bool from_file, const std::string& dir);

}  // namespace threadtests
