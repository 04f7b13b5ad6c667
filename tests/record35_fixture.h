// Feeds record-35 pages through the assembly and the handler the way the
// container reader and the dispatcher do, keeping the record-35 state of one
// conversion.
#pragma once

#include <memory>
#include <string>

#include "core/diagnostics.h"
#include "records/record35/record35_assembly.h"
#include "records/record35/record35_content.h"
#include "records/record35/record35_handler.h"
#include "testdata/record35_writer.h"

namespace rec35test {

using writers::Bytes;

struct Outcome {
  int assembled = 0;                // the assembly's result for the last page
  d01ozu::ReaderStatus status = 0;  // reader or handler status
  int16_t type = 0;                 // legacy type
  uint16_t count = 0;
};

// Collects what the library writes to a diagnostic sink.
class Diagnostics {
 public:
  d01ozu::DiagnosticSink sink{&Diagnostics::append, this};
  const std::string& text() const { return text_; }

 private:
  static void append(void* self, const char* text) {
    static_cast<Diagnostics*>(self)->text_ += text;
  }
  std::string text_;
};

struct Conversion {
  Diagnostics diag;
  Conversion() { assembly.diagnostics = &diag.sink; }
  Conversion(const Conversion&) = delete;

  d01ozu::Record35Assembly assembly;
  std::unique_ptr<d01ozu::Record35Content> content = std::make_unique<d01ozu::Record35Content>();
  uint8_t header[4] = {};

  // The assembly's result for one frame.
  int page(const Bytes& frame, d01ozu::ReaderStatus* status, int type = 35) {
    return d01ozu::AssembleRecord35(assembly, content.get(), frame.data(),
                                    static_cast<uint16_t>(frame.size()), type, status);
  }

  // One whole record: its pages, then the handler when it completed.
  Outcome record(uint64_t subtype, uint64_t subsubtype, const Bytes& body) {
    Outcome out;
    for (const Bytes& p : writers::record35_pages(subtype, subsubtype, body)) {
      out.assembled = page(p, &out.status);
      if (out.status) return out;
    }
    if (out.assembled != 35) return out;
    out.count = d01ozu::ExpandRecord35(assembly, content.get(), header, &out.type, &out.status);
    return out;
  }
  Outcome schema(uint64_t subtype, const std::string& text) {
    return record(subtype, 0, writers::text_bytes(text));
  }
};

}  // namespace rec35test
