// make_bench DIR MEGABYTES: writes benchmark inputs of at least MEGABYTES of
// records (10^6 bytes) into DIR: bench.r00, bench.t00, bench.t01, the T02
// files bench-zlib.t02 and bench-bzip2.t02, the T04 files bench-brotli.t04
// and bench-zstd.t04, and payload.bin (the record stream itself, for the
// standard compressors to be timed on).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "testdata/block_container.h"
#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "testdata/su_encoder.h"
#include "testdata/t0x_writers.h"

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
  void put(const Bytes& b) { std::fwrite(b.data(), 1, b.size(), f_); }

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

std::vector<Bytes> records_from(uint32_t n) {
  std::vector<Bytes> out{epoch(n)};
  if (n % 10 == 0) out.push_back(writers::message_frame(0, "BENCH " + std::to_string(n)));
  return out;
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
  start(files);
  size_t written = 0;
  for (uint32_t n = 0; written < target; ++n) {
    for (const Bytes& r : records_from(n)) {
      add(files, r);
      written += r.size();
    }
    files.t01.put(files.coder.take());
  }
  flush_blocks(files);
  files.t01.put(files.coder.finish());
  return 0;
}
