#include "core/diagnostics.h"

#include <cstdarg>

namespace d01ozu {

namespace {
std::FILE* g_diagnostic_stream = nullptr;
}

std::FILE* SetDiagnosticStream(std::FILE* stream) {
  std::FILE* previous = g_diagnostic_stream;
  g_diagnostic_stream = stream;
  return previous;
}

void diagnostic(const char* format, ...) {
  if (!g_diagnostic_stream) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(g_diagnostic_stream, format, args);
  va_end(args);
}

}  // namespace d01ozu
