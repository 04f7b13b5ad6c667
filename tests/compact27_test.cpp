// Compact type-27 epochs: types 38, 39, 36 and 37 expand into the very
// type-27 frames they were made from (their DAT records: the whole-run
// table).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "records/compact27_expander.h"
#include "testdata/compact27_encoder.h"
#include "testdata/t0x_writers.h"
#include "tests/test_support.h"

namespace {

using testsupport::Bytes;
using writers::Raw27Block;
using writers::Raw27Epoch;
using writers::Raw27Satellite;

struct Expander {
  std::unique_ptr<d01ozu::EpochReferences> refs = std::make_unique<d01ozu::EpochReferences>();
  Expander() { d01ozu::reset_epoch_references(*refs); }

  // The expanded frame, or the error as a one-byte result.
  Bytes expand(const Bytes& raw, size_t capacity = 5120) {
    Bytes out(capacity);
    d01ozu::ExpandedEpoch e{};
    const uint8_t error =
        d01ozu::ExpandCompactEpoch(raw.data(), raw.size(), out.data(), out.size(), *refs, &e);
    if (error != 0) return {error};
    out.resize(e.length);
    return out;
  }
};

Raw27Block signal(uint8_t type, uint8_t track, int k, double speed) {
  Raw27Block b;
  b.type = type;
  b.track = track;
  b.strength = static_cast<uint16_t>(400 + type);
  b.phase = writers::cycles(-5000000.25 + speed * k + 0.5 * k * k);
  b.doppler = writers::hertz(speed + k);
  b.flags = type == 0 ? 0x04 : 0;
  return b;
}

// Epoch k of a receiver with clock drift, system offsets and three
// satellites: GPS on L1 (doppler sent) and L2 with a three-byte difference,
// a system-2 satellite on channel -3, and a system-8 one.
Raw27Epoch epoch(int k) {
  Raw27Epoch e;
  e.week = 2301;
  e.time_ms = 518400000u + 1000u * static_cast<uint32_t>(k);
  e.clock = writers::clock_ms(0.125) + 37 * k + k * k;
  e.flags = 0x22;
  e.drift = -400 + 3 * k;
  e.offset_nibble = 2;
  e.offsets = {{3, 4, 123456}};
  Raw27Satellite gps;
  gps.sv = 14;
  gps.b6 = 45;
  Raw27Block l1 = signal(0, 0, k, 800.5);
  l1.range = writers::range0(21000000.0, 0);
  Raw27Block l2 = signal(1, 2, k, 623.75);
  l2.flags = 0x80;
  l2.flags2 = 0x01;
  l2.range = writers::range_difference(-9000.5);
  gps.blocks = {l1, l2};
  Raw27Satellite glonass;
  glonass.sv = 3;
  glonass.system = 2;
  glonass.channel = static_cast<uint8_t>(-3);
  Raw27Block g1 = signal(0, 0, k, -1200.0);
  g1.range = writers::range0(20000000.0, 2);
  glonass.blocks = {g1};
  Raw27Satellite eight;
  eight.sv = 9;
  eight.system = 8;
  Raw27Block q1 = signal(0, 0, k, 300.0);
  q1.range = writers::range0(3000000.0, 8);
  eight.blocks = {q1};
  e.satellites = {gps, glonass, eight};
  return e;
}

TEST(Compact27, Type38IsTheWholeFrame) {
  Expander x;
  writers::Compact27Encoder encoder;
  const Raw27Epoch e = epoch(0);
  const Bytes raw = encoder.whole(e);
  EXPECT_EQ(x.expand(raw), writers::raw27_frame(e));
  // A record whose length bytes claim more than it holds, or more than the
  // work buffer takes, is refused.
  Bytes longer = raw;
  longer[1] = static_cast<uint8_t>(longer[1] + 1);
  if (longer[1] == 0) ++longer[3];
  EXPECT_EQ(x.expand(longer), Bytes{7});
  EXPECT_EQ(x.expand(raw, raw.size()), Bytes{7});
  EXPECT_EQ(x.expand(raw, raw.size() + 1).size(), raw.size() + 1);
}

// Type 39, 36 and 37 records reproduce the projected epochs; each kind of
// time part and field width appears.
TEST(Compact27, DeltaEpochsReproduceTheirFrames) {
  for (int form : {39, 36, 37}) {
    Expander x;
    writers::Compact27Encoder encoder;
    ASSERT_EQ(x.expand(encoder.whole(epoch(0))).size(), writers::raw27_frame(epoch(0)).size());
    for (int k = 1; k < 8; ++k) {
      Raw27Epoch d = epoch(k);
      if (k == 5) d.time_ms += 7;                                // not a step of 10 ms
      if (k >= 6) d.satellites[0].blocks[0].phase += 1ll << 30;  // a change of 5 bytes
      const Raw27Epoch e = encoder.project(d);
      const Bytes raw = form == 39 ? encoder.predicted(e, k == 3) : encoder.varint(e, form == 36);
      EXPECT_EQ(x.expand(raw), writers::raw27_frame(e)) << form << " epoch " << k;
    }
  }
}

// Control bytes 0 continue the last two epochs linearly.
TEST(Compact27, ZeroControlsGiveThePrediction) {
  Expander x;
  writers::Compact27Encoder encoder;
  const Raw27Epoch e0 = epoch(0);
  x.expand(encoder.whole(e0));
  Raw27Epoch e1 = encoder.project(epoch(1));
  x.expand(encoder.predicted(e1));
  Bytes zero{0x02, 0, 39, 0, 0x00, 0x00};  // E = 0, k = 0
  for (int blocks = 0; blocks < 4; ++blocks) zero.push_back(0);
  zero.push_back(0xAB);
  zero.push_back(0xCD);
  zero[1] = static_cast<uint8_t>(zero.size());
  Raw27Epoch e2 = encoder.project(epoch(2));
  e2.time_ms = 2 * e1.time_ms - e0.time_ms;
  e2.clock = 2 * e1.clock - e0.clock;
  e2.drift = e1.drift;
  for (size_t i = 0; i < e2.satellites.size(); ++i)
    for (size_t j = 0; j < e2.satellites[i].blocks.size(); ++j) {
      Raw27Block& b = e2.satellites[i].blocks[j];
      const Raw27Block &b0 = e0.satellites[i].blocks[j], &b1 = e1.satellites[i].blocks[j];
      b.phase = 2 * b1.phase - b0.phase;
      b.doppler = 2 * b1.doppler - b0.doppler;
    }
  e2 = encoder.project(e2);
  Bytes want = writers::raw27_frame(e2);
  want[want.size() - 3] = 0xAB;
  want[want.size() - 2] = 0xCD;
  EXPECT_EQ(x.expand(zero), want);
}

// Phase codes 6 (the field whole) and 7 (an error); a type 39 before any
// type 38 works on blank references.
TEST(Compact27, FieldCodesAndBlankReferences) {
  Expander blank;
  const Bytes nothing{0x02, 8, 39, 0, 0x00, 0x05, 0x11, 0x22};
  const Bytes empty = blank.expand(nothing);
  ASSERT_EQ(empty.size(), 4u + 12 + 3);
  EXPECT_EQ(empty[4 + 6], 50);  // time 0 + 10 k
  EXPECT_EQ(empty[4 + 10], 0);  // no satellites

  Raw27Epoch one = epoch(0);
  one.satellites.resize(1);
  one.satellites[0].blocks.resize(1);
  one.satellites[0].blocks[0].flags = 0;
  one.flags = 0;
  for (uint8_t code : {6, 7}) {
    Expander x;
    writers::Compact27Encoder encoder;
    x.expand(encoder.whole(one));
    Bytes raw{0x02, 0, 39, 0, 0x00, 0x00, static_cast<uint8_t>(code << 5), 0, 0, 0, 0, 0, 9, 1, 2};
    raw[1] = static_cast<uint8_t>(raw.size());
    const Bytes out = x.expand(raw);
    if (code == 7) {
      EXPECT_EQ(out, Bytes{8});
      continue;
    }
    ASSERT_GT(out.size(), 1u);
    EXPECT_EQ(Bytes(out.begin() + 4 + 12 + 8 + 9, out.begin() + 4 + 12 + 8 + 15),
              (Bytes{0, 0, 0, 0, 0, 9}));
  }
}

// A projected difference that does not fit its two bytes keeps the
// predicted bytes.
TEST(Compact27, UnstorableProjectionKeepsThePrediction) {
  Expander x;
  writers::Compact27Encoder encoder;
  Raw27Epoch e0 = epoch(0);
  e0.satellites[0].blocks[1].flags = 0;  // a two-byte difference
  e0.satellites[0].blocks[1].flags2 = 0;
  e0.satellites[0].blocks[1].range = writers::range_difference(-100.0);
  x.expand(encoder.whole(e0));
  Raw27Epoch e1 = e0;
  e1.time_ms += 1000;
  e1.satellites[0].blocks[1].phase += writers::cycles(400000.0);  // about 76 km
  const Raw27Epoch projected = encoder.project(e1);
  EXPECT_EQ(projected.satellites[0].blocks[1].range, e0.satellites[0].blocks[1].range);
  EXPECT_EQ(x.expand(encoder.predicted(projected)), writers::raw27_frame(projected));
}

// An expansion error is tolerated: the run goes on with the next record and
// ends with "one or more errors".
TEST(Compact27, ExpansionErrorsLeaveTheRunGoing) {
  Bytes bad{0x02, 0, 39, 0, 0x00, 0x00, 0x00, 0x00};  // blank references, no blocks
  bad[1] = static_cast<uint8_t>(bad.size() - 1);      // one byte short of its check value
  Raw27Epoch one = epoch(0);
  one.satellites.resize(1);
  const Bytes good = writers::raw27_frame(one);
  const testsupport::DatRun run = testsupport::run_on_input(
      "c.t01", writers::t01_stream({writers::t00_file_record(), bad, good}), {"-d", "-g"});
  EXPECT_EQ(run.status, 29) << run.output;
  const testsupport::DatRun clean = testsupport::run_on_input(
      "c.t01", writers::t01_stream({writers::t00_file_record(), good}), {"-d", "-g"});
  EXPECT_EQ(run.dat, clean.dat);
}

}  // namespace
