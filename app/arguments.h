// The command line: options, joined inputs, @file lists and the usage text.
#pragma once

#include "app/conversion_context.h"
#include "core/status_code.h"

namespace rawsplit {

// Applies argv[1..argc-1] to the context. Returns the status of the last
// input-name resolution (0 when none), 17 when a joined input is missing or
// too long, 3 or 20 for an output or summary name over 255 characters. "-!!!"
// and --help print the full usage, --version the versions; each sets
// exit_after_usage and stops at once.
d01ozu::StatusCode ParseArguments(ConversionContext& cx, int argc, const char* const* argv,
                                  bool reset_defaults);
// Adds the extra arguments of the machine's configuration (RAWSPLIT_CONFIG, else
// /etc/Orvane/ZUROrovUzivov.conf, line UnpackCustomArgs=...); a missing file or
// line adds nothing and returns 0.
d01ozu::StatusCode ReadExtraArguments(ConversionContext& cx);
// Prints the banner and the short or full usage on standard output.
void PrintUsage(const ConversionContext& cx, bool full);
// Prints "rawsplit 6.04 (d01ozu 8.109)", the program and library versions.
void PrintVersion();

// Parses an optional sign and the decimal digits after it; no digits give 0.
long ParseNumber(const char* text);

}  // namespace rawsplit
