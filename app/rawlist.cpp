// rawlist: lists the records of one receiver log of any form, one line each,
// with every problem and every search after damage, and a closing tally by
// type. With --json it writes JSON lines instead. It reads through the
// library's events alone; the DAT file the conversion needs is written into
// a scratch directory and removed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "d01ozu/d01ozu.h"

namespace {

struct Lister {
  bool json = false;
  std::map<int, long> by_type;  // records by raw type
  long records = 0, problems = 0;
  uint64_t skipped = 0;
};

const char* FormName(d01ozu::InputFormat f) {
  static const char* const kNames[] = {"?", "R00", "T00", "T01", "T02", "T04"};
  const auto i = static_cast<size_t>(f);
  return i < sizeof kNames / sizeof kNames[0] ? kNames[i] : "?";
}

void OnRecord(void* user, const d01ozu::RecordEvent& e) {
  Lister& l = *static_cast<Lister*>(user);
  if (!e.delivered) return;
  ++l.records;
  ++l.by_type[e.raw_type];
  const char* check = e.checksum_tested ? "ok" : "none";
  char time[32] = "-";
  if (e.has_time) std::snprintf(time, sizeof time, "%.3f", e.time_seconds);
  if (l.json)
    std::printf(
        "{\"offset\":%llu,\"form\":\"%s\",\"raw_type\":%d,\"legacy_type\":%d,\"length\":%u,"
        "\"time\":%s,\"checksum\":\"%s\"}\n",
        static_cast<unsigned long long>(e.offset), FormName(e.form), e.raw_type, e.type, e.length,
        e.has_time ? time : "null", check);
  else
    std::printf("%10llu  %s  raw %3d  legacy %3d  length %5u  time %12s  checksum %s\n",
                static_cast<unsigned long long>(e.offset), FormName(e.form), e.raw_type, e.type,
                e.length, time, check);
}

void OnProblem(void* user, const d01ozu::ProblemEvent& e) {
  Lister& l = *static_cast<Lister*>(user);
  ++l.problems;
  const char* text = d01ozu::StatusText(e.status);
  const int status = static_cast<int>(e.status);
  if (l.json)
    std::printf("{\"offset\":%llu,\"problem\":%d,\"text\":\"%s\",\"detail\":%d}\n",
                static_cast<unsigned long long>(e.position), status, text ? text : "", e.detail);
  else if (e.detail != 0)
    std::printf("%10llu  problem: %s (%d), detail %d\n",
                static_cast<unsigned long long>(e.position), text ? text : "unknown", status,
                e.detail);
  else
    std::printf("%10llu  problem: %s (%d)\n", static_cast<unsigned long long>(e.position),
                text ? text : "unknown", status);
}

void OnResync(void* user, const d01ozu::ResyncEvent& e) {
  Lister& l = *static_cast<Lister*>(user);
  l.skipped += e.lost_bytes;
  const auto from = static_cast<unsigned long long>(e.search_start);
  const auto to = static_cast<unsigned long long>(e.found_at);
  const auto lost = static_cast<unsigned long long>(e.lost_bytes);
  if (l.json)
    std::printf("{\"offset\":%llu,\"resync\":%s,\"found_at\":%llu,\"skipped\":%llu}\n", from,
                e.found ? "true" : "false", to, lost);
  else if (e.found)
    std::printf("%10llu  search: next record at %llu, %llu bytes skipped\n", from, to, lost);
  else
    std::printf("%10llu  search: no further record\n", from);
}

void PrintTally(const Lister& l, d01ozu::Status status) {
  const char* text = d01ozu::StatusText(status);
  if (l.json) {
    std::printf("{\"records\":%ld,\"problems\":%ld,\"skipped\":%llu,\"status\":%d,\"by_type\":{",
                l.records, l.problems, static_cast<unsigned long long>(l.skipped),
                static_cast<int>(status));
    const char* sep = "";
    for (const auto& [type, count] : l.by_type) {
      std::printf("%s\"%d\":%ld", sep, type, count);
      sep = ",";
    }
    std::printf("}}\n");
    return;
  }
  std::printf("records %ld, problems %ld, bytes skipped %llu, status %d (%s)\n", l.records,
              l.problems, static_cast<unsigned long long>(l.skipped), static_cast<int>(status),
              text ? text : "unknown");
  for (const auto& [type, count] : l.by_type) std::printf("  type %3d: %ld\n", type, count);
}

// The format of path: its extension, else its first bytes, else T01 (which
// carries no signature).
d01ozu::InputFormat FormatOf(const char* path, bool* signed_format) {
  uint8_t head[32] = {};
  size_t got = 0;
  if (std::FILE* f = std::fopen(path, "rb")) {
    got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
  }
  const d01ozu::InputFormat by_bytes = d01ozu::FormatOfBytes(head, got);
  *signed_format = by_bytes != d01ozu::InputFormat::kUnknown;
  if (*signed_format) return by_bytes;
  const d01ozu::InputFormat by_name = d01ozu::FormatOfExtension(path);
  return by_name != d01ozu::InputFormat::kUnknown ? by_name : d01ozu::InputFormat::kT01;
}

int Usage() {
  std::fprintf(stderr, "usage: rawlist FILE [--json]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = nullptr;
  Lister lister;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0)
      lister.json = true;
    else if (!path)
      path = argv[i];
    else
      return Usage();
  }
  if (!path) return Usage();
  char scratch[] = "/tmp/rawlist-XXXXXX";
  if (!mkdtemp(scratch)) return 1;
  const std::string dat = std::string(scratch) + "/list.tg!";
  d01ozu::Options o;
  o.dat_path = dat;
  o.dat_extension = d01ozu::kTemporaryDatExtension;
  bool signed_format = false;
  o.format = FormatOf(path, &signed_format);
  o.inputs_have_header = signed_format;
  o.inputs_have_ephemerides = o.inputs_have_ion = o.format == d01ozu::InputFormat::kR00;
  o.fixup = true;  // list past damage
  d01ozu::Events events;
  events.user = &lister;
  events.record = OnRecord;
  events.problem = OnProblem;
  events.resync = OnResync;
  std::unique_ptr<d01ozu::Converter> converter = d01ozu::Converter::Create(o, events);
  d01ozu::Status status = d01ozu::Status::kNoMemory;
  if (converter && converter->AddInputFile(path) == d01ozu::Status::kOk) status = converter->Run();
  PrintTally(lister, status);
  std::remove(dat.c_str());
  std::remove((std::string(scratch) + "/list.dat").c_str());
  std::remove((std::string(scratch) + "/list.tgd").c_str());
  rmdir(scratch);
  return static_cast<int>(status);
}
