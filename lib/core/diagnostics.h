// The library's optional diagnostic stream. The reader and the record-35 code
// write their warnings here; while no stream is set nothing is written (the
// status codes are reported all the same). The front end never sets one.
#pragma once

#include <cstdio>

namespace d01ozu {

// Sets the stream (nullptr to stop writing); returns the previous one.
std::FILE* SetDiagnosticStream(std::FILE* stream);

// printf-style write to the diagnostic stream, if one is set.
void diagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace d01ozu
