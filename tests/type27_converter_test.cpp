// Raw type 27 into the typed record and its DAT image: every optional part,
// the pseudorange rules, the satellite filter, and doppler derived over
// several epochs (slips, predictions, clock steps).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "output/expanded_images.h"
#include "records/type27_converter.h"
#include "testdata/type27_records.h"
#include "tests/dat_fixture.h"

namespace {

using dattest::Bytes;
using dattest::Le;
using writers::cycles;
using writers::Raw27Block;
using writers::Raw27Epoch;
using writers::Raw27Satellite;

// A converter with its own file state.
struct Converter {
  std::unique_ptr<d01ozu::Type27State> state = std::make_unique<d01ozu::Type27State>();
  std::unique_ptr<d01ozu::Type27Record> r = std::make_unique<d01ozu::Type27Record>();
  uint8_t header[4] = {};
  Converter() { d01ozu::reset_type27_state(*state); }

  uint16_t convert(const Raw27Epoch& e) {
    const Bytes f = writers::raw27_frame(e);
    return d01ozu::ConvertType27(f.data(), f.size(), *state, *r, header);
  }
  Bytes image() {
    Bytes out(24 * 1024);
    out.resize(d01ozu::build_type27_image(header, *r, out.data(), out.size()));
    return out;
  }
  const d01ozu::Type27Block& block(int i, int j) const { return r->satellites[i].blocks[j]; }
};

Raw27Block l1(double phase) {
  Raw27Block b;
  b.range = writers::range0(20000000.0, 0);
  b.phase = cycles(phase);
  return b;
}

Raw27Satellite gps(uint8_t sv, std::vector<Raw27Block> blocks) {
  Raw27Satellite s;
  s.sv = sv;
  s.blocks = std::move(blocks);
  return s;
}

Raw27Epoch epoch(uint32_t t, double clock, std::vector<Raw27Satellite> sats) {
  Raw27Epoch e;
  e.week = 2300;
  e.time_ms = t;
  e.clock = writers::clock_ms(clock);
  e.satellites = std::move(sats);
  return e;
}

TEST(Type27Converter, EveryOptionalPartReachesTheDatImage) {
  Raw27Epoch e = epoch(345600000, 0.25, {});
  e.flags = 0x32;
  e.drift = 4096;  // 2^-10
  e.extra = 0x5A;
  e.offset_nibble = 3;
  e.offsets = {{1, 2, 512}, {2, 0, 0}};
  Raw27Satellite s = gps(5, {});
  s.system = 0x40;
  s.b6 = 7;
  s.b8 = 20;
  s.flags = 0x84;
  s.flags2 = 0x01;
  s.extension = {1, 2, 3};
  Raw27Block b0 = l1(105000000.5);
  b0.strength = 450;
  b0.flags = 0x04;
  b0.doppler = writers::hertz(-1234.5);
  Raw27Block b1;
  b1.type = 1;
  b1.track = 2;
  b1.strength = 300;
  b1.range = writers::range_difference(-20000.5);
  b1.phase = cycles(-3.25);
  b1.flags = 0x80;
  b1.flags2 = 0x81;  // three-byte difference, flags 3 follows
  b1.flags3 = 0x80;
  b1.further = {0x81, 0x02};
  Raw27Block b2;
  b2.type = 2;
  b2.track = 5;
  b2.range = writers::range_difference(3.25);
  b2.slip = 4;
  s.blocks = {b0, b1, b2};
  e.satellites = {s};
  Converter c;
  ASSERT_EQ(c.convert(e), 144);
  Le x;
  x.u8(0x74).u8(144).u8(0).u8(27);
  x.u8(22).le16(2300).f64(345600000.0);
  x.f32(0.25f).u8(1).u8(0x32);
  x.f32(0.0009765625f).u8(0x5A);
  x.u8(21).u8(3).u8(2).u8(1).f64(512 / 268435456.0).u8(2).f64(0);
  x.u8(14).u8(5).u8(0x40).u8(0).u8(3).le16(7).le16(40).u8(0x84).u8(0x01).u8(1).u8(2).u8(3);
  x.u8(27).u8(0).u8(0).le16(450).f64(20000000.0).f64(105000000.5);
  x.f32(-1234.5f).u8(0).u8(0x04);
  // The first epoch of a file derives no doppler.
  x.u8(29).u8(1).u8(2).le16(300).f64(20000000.0 - 20000.5).f64(-3.25);
  x.f32(0).u8(0).u8(0x80).u8(0x81).u8(0x80);
  x.u8(27).u8(2).u8(5).le16(0).f64(20000003.25).f64(0);
  x.f32(0).u8(4).u8(0);
  EXPECT_EQ(c.image(), x.data());
}

// Pseudorange rules, renumbering and the system-7 half cycle, one satellite
// each.
TEST(Type27Converter, PseudorangeAndSatelliteRules) {
  struct Case {
    const char* name;
    uint8_t system, sv;
    Raw27Block extra;  // block 1, or block 0 when range is 0
    double range;      // expected pseudorange of block 1 (block 0 when extra.range is 0)
    uint8_t out_system, out_sv;
  };
  Raw27Block minus2;
  minus2.type = 1;
  minus2.range = writers::range_difference(-2.0);
  Raw27Block wrapped = minus2;
  wrapped.type = 2;
  wrapped.track = 7;
  wrapped.range = writers::range_difference(-31.0);
  Raw27Block offset = minus2;
  offset.flags = 0x80;
  offset.flags2 = 0x02;
  const Case cases[] = {
      {"difference", 0, 3, minus2, 19999998.0, 0, 3},
      {"wrapped L2C of satellite 1", 0, 1, wrapped, 20000000.0 - 31.0 + 256.0, 0, 1},
      {"same on satellite 2", 0, 2, wrapped, 20000000.0 - 31.0, 0, 2},
      {"offset flag", 0, 3, offset, 20000000.0 - 2.0 + 33554431.0, 0, 3},
      {"system 5 renumbered", 5, 11, minus2, 19999998.0, 10, 5},
      {"system 5 beyond the table", 5, 12, minus2, 19999998.0, 10, 0},
      {"system 7 without the fix", 7, 9, minus2, 19999998.0, 10, 9},
  };
  for (const Case& k : cases) {
    Raw27Satellite s = gps(k.sv, {l1(10.0), k.extra});
    s.system = k.system;
    Converter c;
    ASSERT_GT(c.convert(epoch(1000, 0, {s})), 0) << k.name;
    EXPECT_EQ(c.block(0, 1).pseudorange, k.range) << k.name;
    EXPECT_EQ(c.r->satellites[0].system, k.out_system) << k.name;
    EXPECT_EQ(c.r->satellites[0].sv, k.out_sv) << k.name;
  }
  // Block-0 scales by system.
  for (int system : {1, 4, 8, 3}) {
    Raw27Satellite s = gps(3, {l1(0)});
    s.system = static_cast<uint8_t>(system);
    s.blocks[0].range = writers::range0(4000000.5, system);
    Converter c;
    ASSERT_GT(c.convert(epoch(1000, 0, {s})), 0);
    EXPECT_EQ(c.block(0, 0).pseudorange, 4000000.5) << system;
  }
  // A system-5 satellite 11 is system-7 satellite 5: its first block of type
  // 6, track 26 is half a cycle off.
  for (uint8_t flags : {0x00, 0x40}) {
    Raw27Block b = l1(100.0);
    b.type = 6;
    b.track = 26;
    b.flags = flags;
    Raw27Satellite s = gps(11, {b});
    s.system = 5;
    Converter c;
    ASSERT_GT(c.convert(epoch(1000, 0, {s})), 0);
    EXPECT_EQ(c.block(0, 0).phase, flags ? 99.5 : 100.5);
    EXPECT_EQ(c.block(0, 0).flags, flags ^ 0x40);
    EXPECT_EQ(c.r->satellites[0].system, 10);
  }
}

// Records that give nothing, and the class filter that lowers the count.
TEST(Type27Converter, BadInputAndTheSatelliteFilter) {
  Converter c;
  Raw27Epoch too_many = epoch(1000, 0, {gps(1, {l1(0)})});
  too_many.sv_count = 117;
  EXPECT_EQ(c.convert(too_many), 0);
  Raw27Satellite seven = gps(1, {l1(0), l1(0), l1(0), l1(0), l1(0), l1(0), l1(0)});
  EXPECT_EQ(c.convert(epoch(1000, 0, {seven})), 0);
  Raw27Epoch short_payload = epoch(1000, 0, {gps(1, {l1(0)})});
  short_payload.sv_count = 2;
  EXPECT_EQ(c.convert(short_payload), 0);

  auto classed = [](uint8_t sv, int cls) {
    Raw27Block b = l1(0);
    b.flags = 0x80;
    b.flags2 = static_cast<uint8_t>(cls << 2);
    return gps(sv, {b});
  };
  EXPECT_EQ(c.convert(epoch(1000, 0, {classed(1, 1), classed(2, 1)})), 0);
  ASSERT_EQ(
      c.convert(epoch(2000, 0,
                      {classed(1, 1), classed(2, 4), classed(3, 2), classed(4, 5), classed(5, 0)})),
      17 + 4 + 3 * (10 + 28));
  EXPECT_EQ(c.r->sv_count, 3);
  EXPECT_EQ(c.r->satellites[1].sv, 4);
  EXPECT_EQ(c.r->satellites[2].sv, 5);
}

// Doppler of a block without its own against one previous epoch.
TEST(Type27Converter, DopplerFromThePhaseChange) {
  struct Case {
    const char* name;
    double dt_ms, clock0, clock1, phase1;
    uint8_t type, flags0, flags1;
    float doppler;
    bool derived;
  };
  const double l1_ms = 1575420.0;  // L1 cycles in a millisecond
  const Case cases[] = {
      {"plain", 1000, 0, 0, 1250.5, 0, 0, 0, 250.5f, true},
      {"half a second", 500, 0, 0, 1100.25, 0, 0, 0, 200.5f, true},
      {"half cycle owed", 1000, 0, 0, 1250.5, 0, 0, 0x60, 250.0f, true},
      {"half cycle known", 1000, 0, 0, 1250.5, 0, 0x20, 0x60, 250.5f, true},
      {"clock step up", 1001, 0.25, 1.25, 1000 - l1_ms + 1500.25, 0, 0, 0, 1500.25f, true},
      {"clock step down", 999, 1.25, 0.25, 1000 + l1_ms + 700.5, 0, 0, 0, 700.5f, true},
      {"change of 0.5 is no step", 1000, 0.25, 0.75, 1000 + 2e6, 0, 0, 0, 2e6f, true},
      {"1e6 cycles not corrected", 1001, 0.25, 1.25, 1000 + 1e6, 0, 0, 0, 1e6f, true},
      {"no carrier: uncorrected", 1001, 0.25, 1.25, 1000 - 1.5e6, 9, 0, 0, -1.5e6f, true},
      {"same time", 0, 0, 0, 1250.5, 0, 0, 0, 0.0f, false},
  };
  for (const Case& k : cases) {
    Raw27Block b0 = l1(1000.0), b1 = l1(k.phase1);
    b0.type = b1.type = k.type;
    b0.flags = k.flags0;
    b1.flags = k.flags1;
    Converter c;
    ASSERT_GT(c.convert(epoch(100000, k.clock0, {gps(3, {b0})})), 0);
    ASSERT_GT(c.convert(epoch(100000 + static_cast<uint32_t>(k.dt_ms), k.clock1, {gps(3, {b1})})),
              0);
    EXPECT_EQ(c.block(0, 0).doppler, k.doppler) << k.name;
    EXPECT_EQ((c.block(0, 0).flags & 0x04) != 0, k.derived) << k.name;
  }
}

// Several epochs: a slip takes the prediction, a satellite new to the epoch
// gets none, a satellite found at another index is still matched, a block
// that carries its doppler keeps it and the predictions of its position.
TEST(Type27Converter, DopplerOverSeveralEpochs) {
  struct Step {
    uint32_t t;
    double phase;
    uint8_t slip, flags;
    float doppler;
    bool derived;
  };
  const Step steps[] = {
      {1000, 1000.0, 0, 0, 0.0f, false},     // first epoch
      {2000, 1250.5, 0, 0, 250.5f, true},    // prediction 250.5
      {3000, 9999.0, 1, 0, 250.5f, true},    // slip: prediction, then 250.5
      {3500, 9898.75, 1, 0, -200.5f, true},  // prediction 2 * -200.5 - 250.5
      {4500, 5.0, 1, 0x08, -651.5f, true},   // slip flag; then 2 * -651.5 + 200.5
      {5500, 0.0, 1, 0x04, 12.0f, true},     // carried: kept, prediction kept
      {6500, 1.0, 2, 0, -1102.5f, true},     // slip again: the kept prediction
  };
  Converter c;
  uint8_t fresh = 20;
  for (const Step& s : steps) {
    Raw27Block b = l1(s.phase);
    b.slip = s.slip;
    b.flags = s.flags;
    b.doppler = writers::hertz(12.0);
    // Satellite 9 moves to the front from the third epoch on; satellite 20
    // is new in every epoch (its number changes), so it never has doppler.
    std::vector<Raw27Satellite> sats{gps(9, {b}), gps(fresh++, {l1(7.0)})};
    if (s.t < 3000) std::swap(sats[0], sats[1]);
    ASSERT_GT(c.convert(epoch(s.t, 0, sats)), 0);
    const int at = s.t < 3000 ? 1 : 0;
    EXPECT_EQ(c.block(at, 0).doppler, s.doppler) << s.t;
    EXPECT_EQ((c.block(at, 0).flags & 0x04) != 0, s.derived) << s.t;
    EXPECT_EQ(c.block(1 - at, 0).doppler, 0.0f) << s.t;
    EXPECT_EQ(c.block(1 - at, 0).flags & 0x04, 0) << s.t;
  }
}

}  // namespace
