// The same measurement epochs written two ways, as record-35 subtype-19
// epochs in a T04 file and as raw type-27 epochs in a T01 file, give the same
// DAT records under -g, by default and under -o+.
//
// What the two forms do not share is left out of the byte comparison:
// - Pseudoranges. Subtype 19 sends the range plus the carrier phase in metres
//   (2^-7 m) and the converter takes the phase off again; type 27 sends the
//   range itself, 2^-7 m for block 0 and a 2^-8 m difference for the others.
//   Both land within a centimetre of the described range, never bit for bit.
// - Fields only subtype 19 has (tracking status, steering values, epoch
//   flags, the receiver channel of a GLONASS satellite, measurements and
//   satellites not in use) are given values that must leave no trace.
// - Every measurement carries its doppler: a subtype-19 measurement without
//   the doppler bit keeps its value unflagged, where a type-27 block without
//   doppler has one derived from the phase change.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "testdata/record35_epochs.h"
#include "testdata/t0x_writers.h"
#include "testdata/type27_records.h"
#include "tests/dat_fixture.h"
#include "tests/test_support.h"

namespace {

using writers::Bytes;

// One measurement in what both forms carry. flags and flags3 are the type-27
// measurement flags (bits 0 and 1 always set, bit 2 doppler); wide: flags 2
// bit 0 (a 3-byte range difference).
struct Block {
  uint8_t band, track;
  uint16_t snr;
  double range;    // metres
  double phase;    // cycles, a multiple of 2^-15
  double doppler;  // Hz, a multiple of 2^-8
  uint8_t slips, flags, flags3;
  bool wide;
};
// flags: type-27 satellite flags bits 1 to 5.
struct Satellite {
  uint8_t sv, system, antenna;
  int8_t channel;
  uint8_t elevation, half_azimuth, flags, geom_slips, iono_slips;
  std::vector<Block> blocks;
};
struct Same {
  uint32_t time_ms;
  int32_t clock;  // 2^-19 ms
  uint8_t raim, reference;
  bool marked;  // epoch flags bit 6: the first satellite's flag
  std::vector<std::pair<uint8_t, int32_t>> offsets;  // kind, 2^-28 s
  std::vector<Satellite> satellites;
};

constexpr uint16_t kWeek = 2300;

double wavelength(int system, int band, int channel) {
  const double c = 299792458.0;
  if (system == 2)
    return c / (band == 0 ? 1602e6 + channel * 562500.0 : 1246e6 + channel * 437500.0);
  const double f[] = {1575.42e6, 1227.6e6, 1176.45e6};
  return c / f[band];
}

// --- Raw type 27 ---

writers::Raw27Block raw_block(const Block& b, const Block& first, int system, bool is_first) {
  writers::Raw27Block r;
  r.type = b.band;
  r.track = b.track;
  r.strength = b.snr;
  r.range = is_first ? writers::range0(b.range, system)
                     : writers::range_difference(b.range - first.range);
  r.phase = writers::cycles(b.phase);
  r.doppler = writers::hertz(b.doppler);
  r.slip = b.slips;
  r.flags3 = b.flags3;
  r.flags2 = static_cast<uint8_t>((b.wide ? 0x01 : 0) | (b.flags3 ? 0x80 : 0));
  r.flags = static_cast<uint8_t>(b.flags | (r.flags2 ? 0x80 : 0));
  return r;
}

Bytes raw27(const Same& e) {
  writers::Raw27Epoch r;
  r.week = kWeek;
  r.time_ms = e.time_ms;
  r.clock = e.clock;
  r.flags = e.marked ? 0x70 : 0x30;
  r.extra = e.raim;
  r.offset_nibble = e.reference;
  for (const auto& o : e.offsets) r.offsets.push_back({o.first, 4, o.second});
  for (const Satellite& s : e.satellites) {
    writers::Raw27Satellite rs;
    rs.sv = s.sv;
    rs.system = static_cast<uint8_t>(s.system | s.antenna << 6);
    rs.channel = static_cast<uint8_t>(s.channel);
    rs.b6 = s.elevation;
    rs.b8 = s.half_azimuth;
    const bool slips = s.geom_slips || s.iono_slips;
    rs.flags = static_cast<uint8_t>(s.flags | (slips ? 0x80 : 0));
    rs.flags2 = slips ? 0x01 : 0;
    rs.extension = {s.geom_slips, s.iono_slips, 0};
    for (const Block& b : s.blocks)
      rs.blocks.push_back(raw_block(b, s.blocks[0], s.system, rs.blocks.empty()));
    r.satellites.push_back(rs);
  }
  return writers::raw27_frame(r);
}

// --- Record-35 subtype 19 ---

// measFlags of a block: bit 10 in use, bit 9 a range that is no difference.
int64_t meas_flags(const Block& b, bool first, const Satellite& s) {
  const std::pair<int, int> bits[] = {{0x04, 0x02}, {0x08, 0x100}, {0x20, 0x08}, {0x40, 0x10}};
  const std::pair<int, int> bits3[] = {
      {0x04, 0x40}, {0x08, 0x800}, {0x10, 0x1000}, {0x20, 0x2000}, {0x40, 0x4000}};
  int64_t f = 0x400 | (b.wide ? 0 : 0x200) | (first && (s.flags & 0x02) ? 0x80 : 0);
  for (const auto& bit : bits) f |= (b.flags & bit.first) ? bit.second : 0;
  for (const auto& bit : bits3) f |= (b.flags3 & bit.first) ? bit.second : 0;
  return f;
}

int64_t sv_flags(const Satellite& s, bool marked) {
  const std::pair<int, int> bits[] = {{0x04, 0x10}, {0x08, 0x08}, {0x10, 0x02}, {0x20, 0x04}};
  int64_t f = marked ? 0x20 : 0;
  for (const auto& bit : bits) f |= (s.flags & bit.first) ? bit.second : 0;
  return f;
}

writers::Meas meas(const Block& b, const Satellite& s, int64_t flags) {
  const double carrier = wavelength(s.system, b.band, s.channel) * b.phase;
  return {b.band,
          b.track,
          5,  // tracking status: type 27 has no room for it
          flags,
          b.slips,
          b.snr,
          std::llround((b.range + carrier) * 128),
          std::llround(b.phase * 32768),
          std::llround(b.doppler * 256)};
}

writers::Sat sub19_satellite(const Satellite& s, bool marked) {
  const bool glonass = s.system == 2;
  writers::Sat out{s.sv,
                   s.system,
                   s.antenna,
                   glonass ? s.channel : 0,
                   glonass ? 40 : s.channel,
                   sv_flags(s, marked),
                   s.geom_slips,
                   s.iono_slips,
                   8 * s.half_azimuth,
                   4 * s.elevation,
                   {}};
  for (size_t j = 0; j < s.blocks.size(); ++j)
    out.meas.push_back(meas(s.blocks[j], s, meas_flags(s.blocks[j], j == 0, s)));
  return out;
}

// The subtype-19 epoch, with a measurement and a satellite not in use that
// the conversion drops.
writers::Epoch sub19(const Same& e) {
  writers::Epoch out{e.time_ms, kWeek, e.raim, 0x5A, e.reference, e.clock, {}, 123, -45, {}};
  for (const auto& o : e.offsets) out.systems.push_back({o.first, o.second});
  for (const Satellite& s : e.satellites) {
    out.sats.push_back(sub19_satellite(s, e.marked && out.sats.empty()));
    out.sats.back().meas.push_back(meas(s.blocks[0], s, 0x200));
  }
  writers::Sat unused = sub19_satellite(e.satellites[0], false);
  unused.sv = 30;
  unused.meas[0].flags &= ~0x400;
  out.sats.push_back(unused);
  return out;
}

Bytes t04(const std::vector<Same>& epochs) {
  std::vector<Bytes> frames =
      writers::record35_pages(19, 0, writers::text_bytes(writers::sub19_writer_schema()));
  writers::DeltaCoder coder;
  for (size_t k = 0; k < epochs.size(); ++k) {
    const bool key = k % 3 == 0;
    const Bytes body = writers::sub19_body(sub19(epochs[k]), coder, key);
    for (const Bytes& p : writers::record35_pages(19, key ? 1 : 2, body, 300)) frames.push_back(p);
  }
  return writers::t04_file(frames);
}

// --- The epochs ---

Block block(uint8_t band, uint8_t track, double range, double phase, int k) {
  return {band,
          track,
          static_cast<uint16_t>(420 + 3 * k),
          range + 150.25 * k,
          phase + 1234.5 * k,
          -812.5 + 4 * k,
          static_cast<uint8_t>(k / 2),
          0x07,
          0,
          false};
}

Same epoch(int k) {
  Same e{345600000u + 1000u * k,
         131072 + 7 * k,
         static_cast<uint8_t>(k & 1),
         3,
         k == 1,
         {{1, 1000 + k}, {3, -2000}},
         {}};
  std::vector<Block> b5{block(0, 0, 21000005.0, 5000.0, k), block(1, 2, 21000007.5, 3900.0, k),
                        block(1, 5, 21000008.25, 3901.0, k)};
  b5[0].flags |= 0x20;
  b5[1].wide = true;
  b5[1].flags3 = 0x14;
  b5[2].flags = 0x07 | 0x08 | 0x40;
  const Satellite g5{5, 0, 1, 11, 45, 60, 0x06, 0, 0, b5};
  const Satellite g12{12,   0,
                      0,    4,
                      20,   130,
                      0x38, static_cast<uint8_t>(k),
                      2,    {block(0, 0, 23500012.0, -7000.0, k)}};
  const Satellite r3{
      3,  2,    2, -2, 33,
      90, 0x00, 0, 0,  {block(0, 0, 19800003.0, 2500.0, k), block(1, 1, 19800004.5, 1900.0, k)}};
  const Satellite e20{
      20, 3,    0, 9, 70,
      10, 0x10, 0, 0, {block(0, 0, 24000020.0, 100.0, k), block(2, 4, 24000021.0, 80.0, k)}};
  e.satellites = {g5, g12, r3, e20};
  return e;
}

// --- The runs ---

struct Records {
  int status = -1;
  std::string output;
  std::vector<Bytes> records;  // the DAT records after the file start
};

Records convert(const std::string& name, const Bytes& input, std::vector<std::string> args) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file(name), input);
  args.push_back(name);
  const testsupport::RunResult r = testsupport::run_rawsplit(dir.path(), args);
  Records out{r.status, r.output, {}};
  const std::string stem = name.substr(0, name.find('.'));
  for (const char* ext : {".dat", ".tgd"}) {
    if (!testsupport::file_exists(dir.file(stem + ext))) continue;
    const Bytes dat = testsupport::read_file(dir.file(stem + ext));
    for (size_t at = dattest::kDatStartBytes; at + 4 <= dat.size();) {
      const size_t n = dat[at + 1] | dat[at + 2] << 8;
      if (n < 4 || at + n > dat.size()) break;
      out.records.emplace_back(dat.begin() + at, dat.begin() + at + n);
      at += n;
    }
  }
  return out;
}

// Takes the 8-byte double at `at` out of rec (zeroed) into ranges.
void take_double(Bytes& rec, size_t at, std::vector<double>* ranges) {
  ranges->push_back(dattest::le_f64(rec, at));
  for (size_t i = 0; i < 8; ++i) rec.at(at + i) = 0;
}

// The pseudoranges of a type-27 or type-17 DAT record, zeroed in it.
std::vector<double> take_ranges(Bytes& rec) {
  std::vector<double> ranges;
  if (rec.at(3) == 17) {
    for (size_t i = 0, at = 21; i < rec.at(20); ++i) {
      const bool l2 = rec.at(at + 1) & 0x01;
      take_double(rec, at + 16, &ranges);
      if (l2) take_double(rec, at + 64, &ranges);
      at += l2 ? 72 : 48;
    }
    return ranges;
  }
  size_t at = 4 + rec.at(4);
  if (rec.at(20) & 0x20) at += rec.at(at);
  for (size_t i = 0; i < rec.at(19); ++i) {
    const size_t blocks = rec.at(at + 4);
    at += rec.at(at);
    for (size_t j = 0; j < blocks; ++j) {
      take_double(rec, at + 5, &ranges);
      at += rec.at(at);
    }
  }
  return ranges;
}

void expect_same_records(const Records& t01, const Records& t04) {
  ASSERT_EQ(t01.records.size(), t04.records.size());
  for (size_t k = 0; k < t01.records.size(); ++k) {
    SCOPED_TRACE(k);
    Bytes a = t01.records[k], b = t04.records[k];
    const std::vector<double> ra = take_ranges(a), rb = take_ranges(b);
    EXPECT_EQ(a, b);
    ASSERT_FALSE(ra.empty());
    ASSERT_EQ(ra.size(), rb.size());
    for (size_t i = 0; i < ra.size(); ++i) EXPECT_NEAR(ra[i], rb[i], 0.01) << "range " << i;
  }
}

std::vector<uint8_t> types(const Records& r) {
  std::vector<uint8_t> out;
  for (const Bytes& rec : r.records) out.push_back(rec[3]);
  return out;
}

TEST(Record35Equivalence, SubtypeNineteenAndType27GiveTheSameDatEpochs) {
  std::vector<Same> epochs;
  std::vector<Bytes> frames{writers::t00_file_record()};
  for (int k = 0; k < 5; ++k) {
    epochs.push_back(epoch(k));
    frames.push_back(raw27(epochs.back()));
  }
  const Bytes t01 = writers::t01_stream(frames);
  const Bytes t04_bytes = t04(epochs);
  const struct {
    std::vector<std::string> args;
    std::vector<uint8_t> types;
  } modes[] = {{{"-d", "-g"}, std::vector<uint8_t>(5, 27)},
               {{"-d"}, std::vector<uint8_t>(5, 17)},
               {{"-d", "-o+"}, {27, 17, 27, 17, 27, 17, 27, 17, 27, 17}}};
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode.args.back());
    const Records a = convert("m.t01", t01, mode.args);
    const Records b = convert("m.t04", t04_bytes, mode.args);
    EXPECT_EQ(a.status, 0) << a.output;
    EXPECT_EQ(b.status, 0) << b.output;
    EXPECT_EQ(types(a), mode.types);
    EXPECT_EQ(types(b), mode.types);
    expect_same_records(a, b);
  }
}

}  // namespace
