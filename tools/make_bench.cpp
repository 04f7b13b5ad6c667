// make_bench DIR MEGABYTES: writes benchmark inputs of at least MEGABYTES of
// records (10^6 bytes) into DIR: bench.r00, bench.t00, bench.t01, the T02
// files bench-zlib.t02 and bench-bzip2.t02, the T04 files bench-brotli.t04
// and bench-zstd.t04, and payload.bin (the record stream itself, for the
// standard compressors to be timed on). The measurement-heavy payload of
// type-27 epochs goes to m27.t01, m27-brotli.t04, m27-zstd.t04 and
// payload27.bin; the same kind of epochs as record-35 subtype-19 records (a
// key record every 100 epochs, delta records between) to bench-rec35.t04
// (zstd blocks), with their record stream in payload-rec35.bin.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "testdata/block_container.h"
#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "testdata/record35_epochs.h"
#include "testdata/su_encoder.h"
#include "testdata/t0x_writers.h"
#include "testdata/type27_records.h"

namespace {

using writers::Bytes;

// Block data of about this size, below the decoded-data capacity.
constexpr size_t kBlockData = 480000;

class Output {
 public:
  explicit Output(const std::string& path) : f_(std::fopen(path.c_str(), "wb")) {
    if (!f_) {
      std::perror(path.c_str());
      std::exit(1);
    }
  }
  ~Output() { std::fclose(f_); }
  void put(const Bytes& b) {
    if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f_);  // an empty vector may have no data
  }

 private:
  std::FILE* f_;
};

// One measurement epoch of eight satellites with the L2 part (a 245-byte
// type-17 part), values moving smoothly from epoch to epoch.
Bytes epoch(uint32_t n) {
  std::vector<writers::Type17Entry> entries(8);
  for (size_t s = 0; s < entries.size(); ++s) {
    writers::Type17Entry& e = entries[s];
    e.sv = static_cast<uint8_t>(2 + 3 * s);
    e.flags = 0x01;
    e.b3 = static_cast<uint8_t>(40 + s);
    e.b5 = 7;
    e.range = 2000000000u + n * 917 + static_cast<uint32_t>(s) * 65537;
    e.phase = static_cast<int64_t>(n) * 4711 - static_cast<int64_t>(s) * 99991;
    e.doppler = static_cast<int32_t>(s * 1000) - static_cast<int32_t>(n % 500);
    e.l2_value = static_cast<uint8_t>(n);
    e.l2_phase = e.phase / 2;
  }
  return writers::type17_part(100000 + n * 1000, 0, false, entries);
}

// Epoch n of a 1 Hz survey log: 12 to 20 satellites, rising and setting
// over the hours, each on two bands, GPS and system 3 on a third; doppler
// sent on the first band.
Bytes epoch27(uint32_t n) {
  writers::Raw27Epoch e;
  e.week = 2300;
  e.time_ms = 86400000u + 1000u * n;
  e.clock = static_cast<int32_t>(n % 4000) * 13;
  const int count = 12 + static_cast<int>((n / 600) % 9);
  for (int s = 0; s < count; ++s) {
    writers::Raw27Satellite sat;
    sat.sv = static_cast<uint8_t>(1 + s);
    sat.system = static_cast<uint8_t>(s % 3 == 0 ? 3 : 0);
    sat.b6 = static_cast<uint8_t>(35 + s);
    const int bands = s % 2 == 0 ? 3 : 2;
    for (int j = 0; j < bands; ++j) {
      writers::Raw27Block b;
      b.type = static_cast<uint8_t>(j);
      b.track = static_cast<uint8_t>(j == 1 ? 2 : 0);
      b.strength = static_cast<uint16_t>(400 + s + j);
      b.range = j == 0 ? writers::range0(21000000.0 + 700.0 * s + 0.8 * n, 0)
                       : writers::range_difference(1.5 * j + 0.01 * (n % 100));
      b.phase = writers::cycles(-4000000.0 * (j + 1) + (s - 9) * 310.25 * n);
      b.flags = j == 0 ? 0x04 : 0;
      b.doppler = writers::hertz((s - 9) * 310.25);
      sat.blocks.push_back(b);
    }
    e.satellites.push_back(sat);
  }
  return writers::raw27_frame(e);
}

std::vector<Bytes> records_from(uint32_t n) {
  std::vector<Bytes> out{epoch(n)};
  if (n % 10 == 0) out.push_back(writers::message_frame(0, "BENCH " + std::to_string(n)));
  return out;
}

// Epoch n as subtype 19: the satellites and values of epoch(n), two
// measurements each.
writers::Epoch rec35_epoch(uint32_t n) {
  writers::Epoch e{100000 + n * 1000, 2300, 0, 0, 1, 800 + (n % 50), {{1, 1000}}, 0, 0, {}};
  for (int s = 0; s < 8; ++s) {
    writers::Sat sat{2 + 3 * s, 0, 0, 0, s, 0x30, 0, 0, 400 + s, 120 + s, {}};
    for (int m = 0; m < 2; ++m) {
      const int64_t range = 2000000000LL + n * 917 + s * 65537;
      sat.meas.push_back({m, 3, 1, 0x400, 0, 45, range + m * 64, int64_t{n} * 4711 - s * 99991,
                          s * 1000 - static_cast<int64_t>(n % 500)});
    }
    e.sats.push_back(sat);
  }
  return e;
}

// The record-35 benchmark file, written one epoch at a time.
struct Rec35File {
  explicit Rec35File(const std::string& dir)
      : t04(dir + "/bench-rec35.t04"), payload(dir + "/payload-rec35.bin") {}
  Output t04, payload;
  writers::DeltaCoder coder;
  std::vector<Bytes> pending;
  size_t pending_size = 0;
};

void rec35_flush(Rec35File& f) {
  if (f.pending.empty()) return;
  f.t04.put(writers::frames_block(8, f.pending));
  f.pending.clear();
  f.pending_size = 0;
}

void rec35_add(Rec35File& f, uint64_t subsubtype, const Bytes& body) {
  for (const Bytes& page : writers::record35_pages(19, subsubtype, body)) {
    f.payload.put(page);
    f.pending_size += page.size();
    f.pending.push_back(page);
  }
  if (f.pending_size >= kBlockData) rec35_flush(f);
}

double zero_value(int, int) {
  return 0;
}
double zero_ion(int) {
  return 0;
}

// The block files: kind and output.
struct BlockFile {
  uint8_t kind;
  Output out;
};

// Every output file of the benchmark, written record by record.
struct BenchFiles {
  explicit BenchFiles(const std::string& dir)
      : r00(dir + "/bench.r00"),
        t00(dir + "/bench.t00"),
        t01(dir + "/bench.t01"),
        payload(dir + "/payload.bin"),
        blocks{{2, Output(dir + "/bench-zlib.t02")},
               {1, Output(dir + "/bench-bzip2.t02")},
               {7, Output(dir + "/bench-brotli.t04")},
               {8, Output(dir + "/bench-zstd.t04")}} {}
  Output r00, t00, t01, payload;
  BlockFile blocks[4];
  writers::SuEncoder coder;
  std::vector<Bytes> pending;  // records of the next data block
  size_t pending_size = 0;
};

// Headers, initial blocks and the T00 file record.
void start(BenchFiles& f) {
  f.r00.put(writers::r00_header(5, 300, 120));
  for (int sv = 1; sv <= 32; ++sv) f.r00.put(writers::initial_eph_block(sv, zero_value));
  f.r00.put(writers::initial_ion_block(zero_ion));
  for (BlockFile& b : f.blocks) b.out.put(writers::container_header(9, 9, b.kind >= 7));
  const Bytes opening = writers::t00_file_record();
  f.t00.put(opening);
  f.coder.put(opening);
}

void flush_blocks(BenchFiles& f) {
  if (f.pending.empty()) return;
  for (BlockFile& b : f.blocks) b.out.put(writers::frames_block(b.kind, f.pending));
  f.pending.clear();
  f.pending_size = 0;
}

// The measurement-heavy payload: T01 and the two T04 block forms.
struct Bench27Files {
  explicit Bench27Files(const std::string& dir)
      : t01(dir + "/m27.t01"),
        payload(dir + "/payload27.bin"),
        blocks{{7, Output(dir + "/m27-brotli.t04")}, {8, Output(dir + "/m27-zstd.t04")}} {}
  Output t01, payload;
  BlockFile blocks[2];
  writers::SuEncoder coder;
  std::vector<Bytes> pending;
  size_t pending_size = 0;
};

void flush_blocks(Bench27Files& f) {
  if (f.pending.empty()) return;
  for (BlockFile& b : f.blocks) b.out.put(writers::frames_block(b.kind, f.pending));
  f.pending.clear();
  f.pending_size = 0;
}

// Writes at least target bytes of type-27 epochs.
void write_measurements(const std::string& dir, size_t target) {
  Bench27Files f(dir);
  for (BlockFile& b : f.blocks) b.out.put(writers::container_header(9, 9, true));
  const Bytes opening = writers::t00_file_record();
  f.coder.put(opening);
  size_t written = 0;
  for (uint32_t n = 0; written < target; ++n) {
    const Bytes r = epoch27(n);
    f.payload.put(r);
    f.coder.put(r);
    f.pending.push_back(r);
    f.pending_size += r.size();
    if (f.pending_size >= kBlockData) flush_blocks(f);
    f.t01.put(f.coder.take());
    written += r.size();
  }
  flush_blocks(f);
  f.t01.put(f.coder.finish());
}

void add(BenchFiles& f, const Bytes& r) {
  f.r00.put(r);
  f.t00.put(r);
  f.payload.put(r);
  f.coder.put(r);
  f.pending.push_back(r);
  f.pending_size += r.size();
  if (f.pending_size >= kBlockData) flush_blocks(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_bench DIR MEGABYTES\n");
    return 2;
  }
  const size_t target = static_cast<size_t>(std::atof(argv[2]) * 1e6);
  BenchFiles files(argv[1]);
  Rec35File rec35(argv[1]);
  start(files);
  rec35.t04.put(writers::container_header(9, 9, true));
  rec35_add(rec35, 0, writers::text_bytes(writers::sub19_writer_schema()));
  size_t written = 0;
  for (uint32_t n = 0; written < target; ++n) {
    for (const Bytes& r : records_from(n)) {
      add(files, r);
      written += r.size();
    }
    files.t01.put(files.coder.take());
    const bool key = n % 100 == 0;
    rec35_add(rec35, key ? 1 : 2, writers::sub19_body(rec35_epoch(n), rec35.coder, key));
  }
  flush_blocks(files);
  rec35_flush(rec35);
  files.t01.put(files.coder.finish());
  write_measurements(argv[1], target);
  return 0;
}
