#include "core/diagnostics.h"

#include <cstdarg>
#include <cstdio>

namespace d01ozu {

void diagnostic(const DiagnosticSink& sink, const char* format, ...) {
  if (!sink.write) return;
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  sink.write(sink.user, text);
}

}  // namespace d01ozu
