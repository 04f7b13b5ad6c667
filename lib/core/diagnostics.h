// The library's optional diagnostic sink. The reader and the record-35 code
// write their warnings there; while none is set nothing is written (the
// status codes are reported all the same). Each conversion has its own.
#pragma once

namespace d01ozu {

struct DiagnosticSink {
  void (*write)(void* user, const char* text) = nullptr;
  void* user = nullptr;
};

// printf-style line to the sink, if one is set.
void diagnostic(const DiagnosticSink& sink, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

}  // namespace d01ozu
