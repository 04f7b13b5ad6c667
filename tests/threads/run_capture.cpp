#include "tests/threads/run_capture.h"

#include <array>
#include <memory>

#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "testdata/t0x_writers.h"

namespace threadtests {

namespace {

void Append(Seen& s, const std::string& line) {
  s.events += line;
  s.events += '\n';
}

d01ozu::Events Recording(Seen* seen) {
  d01ozu::Events e;
  e.user = seen;
  e.record = [](void* u, const d01ozu::RecordEvent& r) {
    Append(*static_cast<Seen*>(u), "record " + std::to_string(r.type) + " " +
                                       std::to_string(r.raw_type) + " " +
                                       std::to_string(r.position) + " " + std::to_string(r.offset) +
                                       " " + std::to_string(r.length));
  };
  e.problem = [](void* u, const d01ozu::ProblemEvent& p) {
    Append(*static_cast<Seen*>(u), "problem " + std::to_string(static_cast<int>(p.status)) + " " +
                                       std::to_string(p.position) + " " + std::to_string(p.detail));
  };
  e.progress = [](void* u, int percent) {
    Seen& s = *static_cast<Seen*>(u);
    Append(s, "progress " + std::to_string(percent));
    return s.progress_calls++ != s.abort_at;
  };
  e.quick_summary = [](void* u, const char* text) {
    Append(*static_cast<Seen*>(u), std::string("quick ") + text);
  };
  e.diagnostic = [](void* u, const char* text) {
    Append(*static_cast<Seen*>(u), std::string("diagnostic ") + text);
  };
  return e;
}

}  // namespace

// The records of a session: identity, message, week, an ephemeris and
// `epochs` type-17 epochs of three satellites.
std::vector<Bytes> SessionFrames(int epochs) {
  writers::ReceiverIdentity id;
  id.serial_number = 7712300;
  id.receiver_type = 5;
  id.serial_text = "027712300";
  id.nav_version = 310;
  std::vector<Bytes> frames{writers::receiver_identity_record(id),
                            writers::message_frame(3, "BEACON4 east")};
  writers::Type12Record week;
  week.week = 1180;
  frames.push_back(writers::type12_record(week));
  std::array<double, 25> eph{};
  for (int k = 0; k < 25; ++k) eph[k] = 0.5 * k;
  frames.push_back(writers::ephemeris_record(6, eph));
  for (int t = 0; t < epochs; ++t) {
    std::vector<writers::Type17Entry> entries;
    for (uint8_t sv : {6, 14, 22}) {
      writers::Type17Entry e;
      e.sv = sv;
      e.range = 2600000000u + 1000u * sv + 9u * t;
      e.phase = 987654321LL * sv + 2000 * t;
      e.doppler = -900 * sv;
      entries.push_back(e);
    }
    frames.push_back(writers::type17_part(345600000u + 1000u * t, 0, false, entries));
  }
  return frames;
}

Seen Convert(const std::vector<Bytes>& inputs, d01ozu::InputFormat format, Mode mode,
             unsigned threads, bool from_file, const std::string& dir) {
  d01ozu::Options o;
  o.format = format;
  o.inputs_have_header = o.inputs_have_ephemerides = o.inputs_have_ion = false;
  o.threads = threads;
  o.quick_mode = mode == Mode::kQuick ? 1 : 0;
  o.dat_path = dir + "/out.dat";
  o.dat_extension = ".dat";
  o.eph_path = dir + "/out.eph";
  o.mes_path = dir + "/out.mes";
  o.summary_path = dir + "/out.txt";
  Seen seen;
  seen.abort_at = mode == Mode::kAbort ? 12 : -1;
  std::unique_ptr<d01ozu::Converter> c = d01ozu::Converter::Create(o, Recording(&seen));
  seen.status = d01ozu::Status::kOk;
  for (size_t i = 0; i < inputs.size() && seen.status == d01ozu::Status::kOk; ++i) {
    const std::string path = dir + "/input" + std::to_string(i);
    testsupport::write_file(path, inputs[i]);
    seen.status = from_file ? c->AddInputFile(path.c_str())
                            : c->AddInputBytes(inputs[i].data(), inputs[i].size(), "input");
  }
  if (seen.status == d01ozu::Status::kOk) seen.status = c->Run();
  c.reset();
  for (const char* name : {"out.dat", "out.eph", "out.mes", "out.txt"})
    if (testsupport::file_exists(dir + "/" + name))
      seen.outputs[name] = testsupport::read_file(dir + "/" + name);
  return seen;
}

}  // namespace threadtests
