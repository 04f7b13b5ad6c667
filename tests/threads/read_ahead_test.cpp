// Decompression ahead on workers changes nothing a caller can see: the same
// T02 and T04 inputs, sound and damaged, in every block kind, give the same
// status, events and outputs with one thread as with two or three, read from
// memory and from a file. Runs under ThreadSanitizer with the other thread tests.
#include <d01ozu/d01ozu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testdata/block_container.h"
#include "testdata/frame_writer.h"
#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "testdata/t0x_writers.h"
#include "tests/test_support.h"

namespace {

using testsupport::Bytes;
using testsupport::TempDir;

// The records of a session: identity, message, week, an ephemeris and
// `epochs` type-17 epochs of three satellites.
std::vector<Bytes> Frames(int epochs) {
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

// A container of one header and `count` data blocks of kind (fewer when
// there are fewer frames).
std::vector<Bytes> Blocks(uint8_t kind, size_t count = 8) {
  const std::vector<Bytes> frames = Frames(64);
  std::vector<Bytes> blocks{writers::container_header(9, 9, kind >= 7)};
  const size_t per_block = (frames.size() + count - 1) / count;
  for (size_t i = 0; i < frames.size(); i += per_block) {
    std::vector<Bytes> part(frames.begin() + i,
                            frames.begin() + std::min(frames.size(), i + per_block));
    blocks.push_back(writers::frames_block(kind, part));
  }
  return blocks;
}

Bytes Join(const std::vector<Bytes>& blocks) {
  Bytes out;
  for (const Bytes& b : blocks) out.insert(out.end(), b.begin(), b.end());
  return out;
}

// Damage to a container, by name: what the reader must meet the same way on
// both paths.
struct Damage {
  const char* name;
  Bytes (*apply)(std::vector<Bytes> blocks);
};

const Damage kDamages[] = {
    {"sound", [](std::vector<Bytes> b) { return Join(b); }},
    {"flipped body byte",
     [](std::vector<Bytes> b) {
       b[3][b[3].size() / 2] ^= 0x5A;
       return Join(b);
     }},
    {"ends inside a block",
     [](std::vector<Bytes> b) {
       Bytes all = Join(b);
       all.resize(all.size() - b.back().size() / 2);
       return all;
     }},
    {"ends inside a header",
     [](std::vector<Bytes> b) {
       b.push_back(Bytes{2, 0});
       return Join(b);
     }},
    {"zeroed across a boundary",
     [](std::vector<Bytes> b) {
       Bytes all = Join(b);
       const size_t at = b[0].size() + b[1].size() + b[2].size() - 20;
       for (size_t i = at; i < at + 60 && i < all.size(); ++i) all[i] = 0;
       return all;
     }},
    {"length over the limit",
     [](std::vector<Bytes> b) {
       b[2][1] = 0xFF;
       return Join(b);
     }},
    {"garbage between blocks",
     [](std::vector<Bytes> b) {
       b[2].insert(b[2].begin(), 300, 0x42);
       return Join(b);
     }},
    {"refused kinds and a newer header",
     [](std::vector<Bytes> b) {
       b.insert(b.begin() + 2, writers::raw_block(9, Bytes(40, 1)));
       b.insert(b.begin() + 4, writers::raw_block(6, Bytes(40, 2)));
       b.insert(b.begin() + 6, writers::container_header(10, 0));
       return Join(b);
     }},
    {"a block repeated",
     [](std::vector<Bytes> b) {
       b.insert(b.begin() + 3, b[3]);
       return Join(b);
     }},
};

// Everything a caller sees of a run, as text, plus the output files.
struct Seen {
  d01ozu::Status status = d01ozu::Status::kAborted;
  std::string events;
  std::map<std::string, Bytes> outputs;
  int progress_calls = 0;
  int abort_at = -1;  // the progress call that aborts, -1 none
};

void Append(Seen& s, const std::string& line) {
  s.events += line;
  s.events += '\n';
}

d01ozu::Events Recording(Seen* seen) {
  d01ozu::Events e;
  e.user = seen;
  e.record = [](void* u, const d01ozu::RecordEvent& r) {
    Append(*static_cast<Seen*>(u), "record " + std::to_string(r.type) + " " +
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

// How a run is asked for: plain, the quick summary, or aborted early.
enum class Mode { kPlain, kQuick, kAbort };

Seen Convert(const Bytes& input, d01ozu::InputFormat format, Mode mode, unsigned threads,
             bool from_file, const std::string& dir) {
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
  const std::string path = dir + "/input";
  testsupport::write_file(path, input);
  seen.status = from_file ? c->AddInputFile(path.c_str())
                          : c->AddInputBytes(input.data(), input.size(), "input");
  if (seen.status == d01ozu::Status::kOk) seen.status = c->Run();
  c.reset();
  for (const char* name : {"out.dat", "out.eph", "out.mes", "out.txt"})
    if (testsupport::file_exists(dir + "/" + name))
      seen.outputs[name] = testsupport::read_file(dir + "/" + name);
  return seen;
}

TEST(ReadAhead, MoreThreadsSeeWhatOneThreadSees) {
  TempDir dir;
  int run = 0;
  for (uint8_t kind : {1, 2, 3, 4, 5, 7, 8}) {
    const auto format = kind >= 7 ? d01ozu::InputFormat::kT04 : d01ozu::InputFormat::kT02;
    for (const Damage& damage : kDamages) {
      const Bytes input = damage.apply(Blocks(kind));
      for (Mode mode : {Mode::kPlain, Mode::kQuick, Mode::kAbort}) {
        const std::string tag = "kind " + std::to_string(kind) + ", " + damage.name + ", mode " +
                                std::to_string(static_cast<int>(mode));
        const std::string one = dir.file("r" + std::to_string(run++));
        ASSERT_TRUE(std::filesystem::create_directory(one));
        const Seen alone = Convert(input, format, mode, 1, false, one);
        ASSERT_FALSE(alone.events.empty()) << tag;
        if (mode == Mode::kPlain && &damage == &kDamages[0]) {
          EXPECT_EQ(alone.status, d01ozu::Status::kOk) << tag;
        }
        // Two workers decode side by side; three put more blocks in flight.
        for (unsigned threads : {2u, 3u})
          for (bool from_file : {false, true}) {
            const std::string more = dir.file("r" + std::to_string(run++));
            ASSERT_TRUE(std::filesystem::create_directory(more));
            const Seen ahead = Convert(input, format, mode, threads, from_file, more);
            const std::string where = tag + ", threads " + std::to_string(threads) + ", file " +
                                      std::to_string(from_file);
            EXPECT_EQ(ahead.status, alone.status) << where;
            EXPECT_EQ(ahead.events, alone.events) << where;
            EXPECT_TRUE(ahead.outputs == alone.outputs) << where;
          }
      }
    }
  }
}

// One frame per block: many more blocks than slots, so the workers wait for
// the reader, pass blocks to each other and meet the chain's end in every
// order; a flipped byte makes one of them fail in the middle.
TEST(ReadAhead, ManySmallBlocksComeInFileOrder) {
  TempDir dir;
  int run = 0;
  for (uint8_t kind : {1, 2, 5, 7, 8}) {
    const auto format = kind >= 7 ? d01ozu::InputFormat::kT04 : d01ozu::InputFormat::kT02;
    std::vector<Bytes> blocks = Blocks(kind, 1000);
    ASSERT_GT(blocks.size(), 60u);
    const Bytes sound = Join(blocks);
    blocks[30][blocks[30].size() / 2] ^= 0x5A;
    const Bytes damaged = Join(blocks);
    for (const Bytes* input : {&sound, &damaged}) {
      const std::string one = dir.file("m" + std::to_string(run++));
      ASSERT_TRUE(std::filesystem::create_directory(one));
      const Seen alone = Convert(*input, format, Mode::kPlain, 1, false, one);
      for (unsigned threads : {2u, 3u}) {
        const std::string more = dir.file("m" + std::to_string(run++));
        ASSERT_TRUE(std::filesystem::create_directory(more));
        const Seen ahead = Convert(*input, format, Mode::kPlain, threads, true, more);
        const std::string where = "kind " + std::to_string(kind) + ", threads " +
                                  std::to_string(threads) + ", damaged " +
                                  std::to_string(input == &damaged);
        EXPECT_EQ(ahead.status, alone.status) << where;
        EXPECT_EQ(ahead.events, alone.events) << where;
        EXPECT_TRUE(ahead.outputs == alone.outputs) << where;
      }
    }
  }
}

}  // namespace
