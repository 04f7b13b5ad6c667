// Su decoding ahead on a worker changes nothing a caller can see. The
// hand-over driven directly gives, from every offset and node the reader may
// ask at, what the reader's own decoding gives, and nothing once the
// worker's bytes differ from the reader's. Whole T01 conversions, sound and
// damaged (flips, cuts, noise, end symbols), give the same status, events and
// outputs with one thread as with two. Runs under ThreadSanitizer.
#include "input/su_ahead.h"

#include <d01ozu/d01ozu.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "input/su_code.h"
#include "testdata/block_container.h"
#include "testdata/legacy_records.h"
#include "testdata/session_records.h"
#include "testdata/su_encoder.h"
#include "testdata/t0x_writers.h"
#include "tests/test_support.h"
#include "tests/threads/run_capture.h"

namespace {

using testsupport::Bytes;
using testsupport::TempDir;
using threadtests::Convert;
using threadtests::Mode;
using threadtests::Seen;
using threadtests::SessionFrames;

constexpr auto kT01 = d01ozu::InputFormat::kT01;

// Pseudo-random bytes, the same on every run.
Bytes Noise(size_t n, uint32_t seed) {
  Bytes out(n);
  for (uint8_t& b : out) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 16);
  }
  return out;
}

// The reader's own decoding: whole bytes of in[0..n) from node until out
// reaches frame_end, end symbols skipped; the bytes used.
size_t DecodeSelf(const uint8_t* in, size_t n, uint8_t& node, uint8_t*& out,
                  const uint8_t* frame_end) {
  size_t used = 0;
  while (used < n && out < frame_end) {
    const int count = d01ozu::su_decode_step(*d01ozu::su_tables(), node, in[used++], out);
    if (count > 0) out += count;
  }
  return used;
}

std::unique_ptr<d01ozu::SuAhead> StartOver(const Bytes& data) {
  auto view = std::make_unique<d01ozu::InputStream>();
  view->open_bytes(data.data(), data.size());
  return d01ozu::SuAhead::Start(std::move(view), 0);
}

// Walks the reader's bytes as the framer does: runs of varying want and
// window, each checked against the reader's own decoding of the bytes the
// worker's result used; with alone, every fifth run is three bytes the
// reader decodes without asking. Returns the offset of the first run the
// worker had no result for (data.size() when none).
size_t Walk(d01ozu::SuAhead& ahead, const Bytes& data, bool alone) {
  uint8_t node = d01ozu::su_tables()->root_internal;
  size_t offset = 0, refused_at = data.size();
  for (int run = 0; offset < data.size(); ++run) {
    const size_t want = 1 + (run * 397u) % 700;
    const size_t window = std::min<size_t>(data.size() - offset, 1 + (run * 7919u) % 50000);
    Bytes mine(want + 8), theirs(want + 8);
    uint8_t my_node = node, their_node = node;
    uint8_t *my_out = mine.data(), *their_out = theirs.data();
    const bool ask = !alone || run % 5 != 4;
    const size_t taken = ask ? ahead.DecodeUntil(offset, &data[offset], window, their_node,
                                                 their_out, theirs.data() + want)
                             : 0;
    if (ask && taken == 0 && refused_at == data.size()) refused_at = offset;
    const size_t limit = taken ? taken : ask ? window : std::min<size_t>(window, 3);
    const size_t used = DecodeSelf(&data[offset], limit, my_node, my_out, mine.data() + want);
    if (taken) {
      EXPECT_EQ(taken, used) << "at " << offset;
      EXPECT_EQ(their_node, my_node) << "at " << offset;
      EXPECT_TRUE(Bytes(theirs.data(), their_out) == Bytes(mine.data(), my_out)) << "at " << offset;
      if (taken != used || their_node != my_node) return 0;
    }
    offset += used;
    node = my_node;
  }
  return refused_at;
}

// Coded records with end symbols after some packets, then noise, which
// decodes as well as anything (an end symbol now and then included).
Bytes MixedStream() {
  Bytes data = writers::t01_stream(SessionFrames(1500), true);
  const Bytes noise = Noise(90000, 7);
  data.insert(data.end(), noise.begin(), noise.end());
  return data;
}

// A few noise bytes, then one byte value over and over: decodings of it
// from different nodes may never meet.
Bytes Repeated(uint8_t fill, size_t prefix) {
  Bytes data = Noise(prefix, 9);
  data.resize(70000, fill);
  return data;
}

TEST(SuAhead, HandsOverExactlyWhatTheReaderDecodes) {
  const Bytes mixed = MixedStream();
  ASSERT_GT(mixed.size(), 5u * 32 * 1024);  // more than the ring holds
  for (const Bytes& data : {mixed, Repeated(0x55, 1), Repeated(0xFF, 3), Repeated(0, 5)}) {
    auto ahead = StartOver(data);
    ASSERT_TRUE(ahead);
    EXPECT_EQ(Walk(*ahead, data, true), data.size()) << data.size();
  }
}

TEST(SuAhead, LeavesTheReaderAloneWhereTheBytesDiffer) {
  const Bytes data = MixedStream();
  struct Case {
    const char* name;
    size_t changed_at;  // the worker's view differs here
    size_t length;      // the worker's view is cut to this length
  } const cases[] = {
      {"flipped early", 9, data.size()},
      {"flipped past the first slots", 70001, data.size()},
      {"view cut short", data.size(), 100000},
  };
  for (const Case& c : cases) {
    Bytes view(data.begin(), data.begin() + c.length);
    if (c.changed_at < view.size()) view[c.changed_at] ^= 0x10;
    auto ahead = StartOver(view);
    ASSERT_TRUE(ahead);
    const size_t refused_at = Walk(*ahead, data, false);  // every result taken is checked
    const size_t differs_at = std::min(c.changed_at, c.length);
    EXPECT_LE(refused_at, differs_at) << c.name;
    EXPECT_GT(refused_at + 6000, differs_at) << c.name;
  }
}

TEST(SuAhead, LeavesABlockContainerAndStopsWhenAsked) {
  std::vector<Bytes> blocks{writers::container_header(),
                            writers::frames_block(3, SessionFrames(40))};
  Bytes container;
  for (const Bytes& b : blocks) container.insert(container.end(), b.begin(), b.end());
  auto ahead = StartOver(container);
  ASSERT_TRUE(ahead);
  EXPECT_EQ(Walk(*ahead, container, true), 0u);
  // A worker with its ring full, or only just started, stops when released.
  const Bytes data = MixedStream();
  for (int calls : {0, 1}) {
    auto busy = StartOver(data);
    ASSERT_TRUE(busy);
    Bytes out(64);
    uint8_t node = d01ozu::su_tables()->root_internal;
    uint8_t* end = out.data();
    if (calls) {
      EXPECT_GT(busy->DecodeUntil(0, data.data(), 40, node, end, out.data() + 32), 0u);
    }
    busy.reset();
  }
}

// Damage to a coded stream, by name: what the reader meets the same way with
// the worker as without.
struct Damage {
  const char* name;
  Bytes (*apply)(const std::vector<Bytes>& frames);
};

Bytes Coded(const std::vector<Bytes>& frames) {
  return writers::t01_stream(frames);
}

Bytes Flipped(Bytes b, std::initializer_list<size_t> at) {
  for (size_t i : at) b[i % b.size()] ^= 0x24;
  return b;
}

Bytes Cut(Bytes b, size_t length) {
  b.resize(std::min(length, b.size()));
  return b;
}

const Damage kDamages[] = {
    {"sound", Coded},
    {"end symbol after every packet", [](auto& f) { return writers::t01_stream(f, true); }},
    {"end symbols inside packets",
     [](auto& f) {
       writers::SuEncoder e;
       for (size_t i = 0; i < f.size(); ++i) {
         const size_t half = i % 40 == 5 ? f[i].size() / 2 : f[i].size();
         e.put(Bytes(f[i].begin(), f[i].begin() + half));
         if (half != f[i].size()) e.put_end();
         e.put(Bytes(f[i].begin() + half, f[i].end()));
       }
       return e.finish();
     }},
    {"ends with an end symbol",
     [](auto& f) {
       Bytes plain;
       for (const Bytes& frame : f) plain.insert(plain.end(), frame.begin(), frame.end());
       return writers::su_encode(plain, true);
     }},
    {"flipped bytes",
     [](auto& f) {
       return Flipped(Coded(f), {7, 32767, 32768, 60001, 99999});
     }},
    {"cut inside the first ten bytes", [](auto& f) { return Cut(Coded(f), 6); }},
    {"cut at a slot end", [](auto& f) { return Cut(Coded(f), 32768); }},
    {"cut past a slot end", [](auto& f) { return Cut(Coded(f), 65537); }},
    {"cut near the end", [](auto& f) { return Cut(Coded(f), Coded(f).size() - 1); }},
    {"noise inserted",
     [](auto& f) {
       Bytes b = Coded(f);
       const Bytes noise = Noise(700, 3);
       b.insert(b.begin() + 41000, noise.begin(), noise.end());
       return b;
     }},
    {"zeroed across a slot end",
     [](auto& f) {
       Bytes b = Coded(f);
       for (size_t i = 32700; i < 32900; ++i) b[i] = 0;
       return b;
     }},
    {"a block container",
     [](auto& f) {
       Bytes b = writers::container_header();
       const Bytes block = writers::frames_block(3, std::vector<Bytes>(f.begin(), f.begin() + 60));
       b.insert(b.end(), block.begin(), block.end());
       return b;
     }},
};

// Runs inputs with one thread, then with two from memory and from files,
// and expects the same.
void ExpectTheSame(const std::vector<Bytes>& inputs, Mode mode, const std::string& tag,
                   const TempDir& dir, int& run) {
  const std::string one = dir.file("r" + std::to_string(run++));
  ASSERT_TRUE(std::filesystem::create_directory(one));
  const Seen alone = Convert(inputs, kT01, mode, 1, false, one);
  ASSERT_FALSE(alone.events.empty()) << tag;
  for (bool from_file : {false, true}) {
    const std::string two = dir.file("r" + std::to_string(run++));
    ASSERT_TRUE(std::filesystem::create_directory(two));
    const Seen ahead = Convert(inputs, kT01, mode, 2, from_file, two);
    EXPECT_EQ(ahead.status, alone.status) << tag << " file " << from_file;
    EXPECT_EQ(ahead.events, alone.events) << tag << " file " << from_file;
    EXPECT_TRUE(ahead.outputs == alone.outputs) << tag << " file " << from_file;
  }
}

TEST(SuAhead, TwoThreadsSeeWhatOneThreadSees) {
  const std::vector<Bytes> frames = SessionFrames(2400);
  ASSERT_GT(Coded(frames).size(), 4u * 32 * 1024);  // the worker waits for the reader
  TempDir dir;
  int run = 0;
  for (const Damage& damage : kDamages)
    ExpectTheSame({damage.apply(frames)}, Mode::kPlain, damage.name, dir, run);
  for (Mode mode : {Mode::kQuick, Mode::kAbort})
    ExpectTheSame({Coded(frames)}, mode, "mode " + std::to_string(static_cast<int>(mode)), dir,
                  run);
  // Each file of a joined run starts over, the worker with it.
  ExpectTheSame({Flipped(Coded(frames), {50000}), Cut(Coded(frames), 70000), Coded(frames)},
                Mode::kPlain, "joined", dir, run);
}

}  // namespace
