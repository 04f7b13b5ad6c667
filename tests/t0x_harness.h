// Test harness of the container reader: runs ReadRawRecord over a file made
// by the writers and lists everything it reports, record by record.
#pragma once

#include <string>
#include <vector>

#include "input/input_stream.h"
#include "input/raw_reader.h"
#include "records/expansion_context.h"
#include "tests/test_support.h"

namespace t0xtest {

using Bytes = std::vector<uint8_t>;

// One result of ReadRawRecord: a record (type > 0, frame set) or a status.
struct Event {
  int type = 0;
  d01ozu::ReaderStatus status = 0;
  Bytes frame;
  int origin = 0;
};

struct ReadLog {
  std::vector<Event> events;
  bool ended = false;  // status 1 was reached

  std::vector<Bytes> frames() const {
    std::vector<Bytes> out;
    for (const Event& e : events)
      if (e.type > 0 && e.status == 0) out.push_back(e.frame);
    return out;
  }
  std::vector<int> statuses() const {
    std::vector<int> out;
    for (const Event& e : events)
      if (e.status != 0) out.push_back(e.status);
    return out;
  }
};

// Reads file to its end (or max_calls calls, which a sound reader never
// needs) through one fresh context; its diagnostics go to diagnostics.
inline ReadLog read_all(const Bytes& file, d01ozu::StreamMode mode, int max_calls = 100000,
                        std::string* diagnostics = nullptr) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("input.t0x"), file);
  d01ozu::InputStream input;
  input.open(dir.file("input.t0x").c_str());
  d01ozu::ExpansionContextPtr c = d01ozu::CreateExpansionContext();
  if (diagnostics)
    c->diagnostics = {
        [](void* user, const char* text) { *static_cast<std::string*>(user) += text; },
        diagnostics};
  ReadLog log;
  for (int i = 0; i < max_calls && !log.ended; ++i) {
    Event e;
    e.type = d01ozu::ReadRawRecord(*c, input, mode, &e.status);
    log.ended = e.type < 0 && e.status == d01ozu::kReaderEndOfInput;
    e.origin = c->record_origin;
    if (e.type > 0) e.frame.assign(c->record.data, c->record.data + c->record.length);
    if (!log.ended) log.events.push_back(e);
  }
  return log;
}

inline ReadLog read_su(const Bytes& file) {
  return read_all(file, d01ozu::StreamMode::kSuCoded);
}

}  // namespace t0xtest
