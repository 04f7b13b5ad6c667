// Type-17 epochs of the container path: made from type-27 epochs under the
// L2 preference, and read from raw type 17 with their doppler derived.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "records/type17_converter.h"
#include "testdata/legacy_records.h"
#include "tests/dat_fixture.h"

namespace {

using d01ozu::Type27Block;
using d01ozu::Type27Satellite;
using dattest::Bytes;
using dattest::Le;

Type27Block block(uint8_t type, uint8_t track, double range, double phase, uint8_t flags = 0) {
  Type27Block b{};
  b.block_type = type;
  b.track_type = track;
  b.strength = 455;
  b.pseudorange = range;
  b.phase = phase;
  b.doppler = 100.5f;
  b.flags = flags;
  return b;
}

Type27Satellite satellite(uint8_t sv, uint8_t system, std::vector<Type27Block> blocks) {
  Type27Satellite s{};
  s.sv = sv;
  s.system = system;
  s.word6 = 17;
  s.word8 = 34;
  s.block_count = static_cast<uint8_t>(blocks.size());
  for (size_t j = 0; j < blocks.size(); ++j) s.blocks[j] = blocks[j];
  return s;
}

struct Conversion {
  std::unique_ptr<d01ozu::Type27Record> in = std::make_unique<d01ozu::Type27Record>();
  std::unique_ptr<d01ozu::Type17Record> out = std::make_unique<d01ozu::Type17Record>();
  uint8_t header[4] = {};
  uint16_t length = 0;

  Conversion(std::vector<Type27Satellite> sats, int preference) {
    in->receive_time = 5000;
    in->clock_offset = 0.125f;
    in->sv_count = static_cast<uint8_t>(sats.size());
    for (size_t i = 0; i < sats.size(); ++i) in->satellites[i] = sats[i];
    length = d01ozu::ConvertType27To17(*in, preference, *out, header);
  }
};

// Which L2 signal an entry gets: E is track type 2, C any other.
TEST(Type17FromType27, L2Preference) {
  const Type27Block l1 = block(0, 0, 20000000.0, 1000.0, 0x04);
  const Type27Block e = block(1, 2, 20000003.5, 700.0);
  const Type27Block c = block(1, 1, 20000001.25, 800.0);
  struct Case {
    std::vector<Type27Block> blocks;
    int preference;
    double phase;  // 0: no L2
  };
  const Case cases[] = {
      {{l1, e}, 0, 700}, {{l1, c}, 0, 0},   {{l1, e, c}, 0, 700}, {{l1}, 0, 0},
      {{l1, e}, 1, 0},   {{l1, c}, 1, 800}, {{l1, e, c}, 1, 800}, {{l1}, 1, 0},
      {{l1, e}, 2, 700}, {{l1, c}, 2, 800}, {{l1, c, e}, 2, 700}, {{l1}, 2, 0},
      {{l1, e}, 3, 700}, {{l1, c}, 3, 800}, {{l1, e, c}, 3, 800}, {{l1}, 3, 0},
      {{e, l1}, 3, 0},  // an L2 block before the L1 block is ignored
  };
  for (const Case& k : cases) {
    Conversion x({satellite(4, 0, k.blocks)}, k.preference);
    const d01ozu::Type17Entry& entry = x.out->entries[0];
    const bool l2 = k.phase != 0;
    EXPECT_EQ(x.length, 21 + 48 + (l2 ? 24 : 0)) << k.preference;
    EXPECT_EQ(entry.values[6], k.phase) << k.preference;
    EXPECT_EQ(entry.flags1, l2 ? 0xE1 : 0xC0) << k.preference;
    EXPECT_EQ(entry.values[7], l2 ? (k.phase == 700 ? 3.5 : 1.25) : 0.0) << k.preference;
  }
}

// The flag bits an L1 and an L2 block set, by their flags and track types.
TEST(Type17FromType27, EntryFlags) {
  struct Case {
    uint8_t l1_flags, l1_track, sat_flags;
    int l2_track;  // -1: no L2
    uint8_t l2_flags, flags1, flags2;
  };
  const Case cases[] = {
      {0x04, 0, 0, -1, 0, 0xC0, 0x00},    {0x00, 0, 0, -1, 0, 0xC0, 0x80},
      {0x4C, 1, 0x04, -1, 0, 0xCA, 0x09}, {0x24, 0, 0, -1, 0, 0xD0, 0x00},
      {0x04, 0, 0, 0, 0x08, 0xE5, 0x00},  {0x04, 1, 0, 2, 0, 0xE1, 0x05},
      {0x04, 0, 0, 1, 0, 0xE1, 0x02},     {0x04, 0, 0, 9, 0, 0xE1, 0x06},
      {0x04, 0, 0x04, 4, 0, 0xE1, 0x08},  {0x04, 1, 0, 7, 0, 0xE1, 0x01},
  };
  for (const Case& k : cases) {
    std::vector<Type27Block> blocks{block(0, k.l1_track, 2e7, 1, k.l1_flags)};
    if (k.l2_track >= 0)
      blocks.push_back(block(1, static_cast<uint8_t>(k.l2_track), 2e7, 2, k.l2_flags));
    Type27Satellite s = satellite(9, 0, blocks);
    s.flags = k.sat_flags;
    Conversion x({s}, k.l2_track == 2 ? 0 : 1);
    EXPECT_EQ(x.out->entries[0].flags1, k.flags1) << int{k.l1_flags} << " " << k.l2_track;
    EXPECT_EQ(x.out->entries[0].flags2, k.flags2) << int{k.l1_flags} << " " << k.l2_track;
    EXPECT_EQ(x.out->entries[0].flags3, 3);
  }
}

// GPS satellites only; the DAT record the processor writes from them.
TEST(Type17FromType27, DatRecordOfTheGpsSatellites) {
  Type27Block l1 = block(0, 0, 20000000.0, 1000.0, 0x04);
  Type27Block l2 = block(1, 2, 20000002.5, 800.25);
  Conversion glonass_only({satellite(3, 2, {l1})}, 3);
  EXPECT_EQ(glonass_only.length, 21);
  EXPECT_EQ(glonass_only.out->count, 0);

  Conversion x({satellite(3, 2, {l1}), satellite(7, 0, {l1, l2}), satellite(8, 0, {l1})}, 3);
  ASSERT_EQ(x.length, 21 + 72 + 48);
  EXPECT_EQ(Bytes(x.header, x.header + 4), (Bytes{0x74, 141, 0, 17}));
  dattest::Processor p;
  d01ozu::ExpandedRecord record;
  record.type = 17;
  std::memcpy(record.header, x.header, 4);
  record.payload = static_cast<const d01ozu::Type17Record*>(x.out.get());
  ASSERT_EQ(d01ozu::process_expanded_record(*p.rp, record), 0);
  Le want;
  want.u8(0x74).le16(141).u8(17).f64(5000).f64(0.125).u8(2);
  want.u8(7).u8(0xE1).u8(0x04).u8(3).le16(17).le16(34);
  want.f64(45.5).f64(20000000.0).f64(1000.0).f64(100.5).f64(0);
  want.f64(45.5).f64(800.25).f64(2.5);
  want.u8(8).u8(0xC0).u8(0).u8(3).le16(17).le16(34);
  want.f64(45.5).f64(20000000.0).f64(1000.0).f64(100.5).f64(0);
  EXPECT_EQ(p.records(), want.data());
}

struct Raw17 {
  std::unique_ptr<d01ozu::Type17State> state = std::make_unique<d01ozu::Type17State>();
  std::unique_ptr<d01ozu::Type17Record> r = std::make_unique<d01ozu::Type17Record>();
  uint8_t header[4] = {};
  Raw17() { d01ozu::reset_type17_state(*state); }

  uint16_t convert(const Bytes& frame) {
    return d01ozu::ConvertType17(frame.data(), frame.size(), *state, *r, header);
  }
};

writers::Type17Entry raw_entry(uint8_t sv, uint8_t flags, double phase) {
  writers::Type17Entry e;
  e.sv = sv;
  e.flags = flags;
  e.flags2 = 0xF5;
  e.b3 = 9;
  e.b4 = 21;
  e.b5 = 180;
  e.range = 10000000u * 128;
  e.phase = std::llround(phase * 32768);
  e.doppler = -64 * 3;
  return e;
}

TEST(Type17Raw, FieldsOfTheEntries) {
  Raw17 c;
  EXPECT_EQ(c.convert(writers::frame(17, writers::Payload().be32(2000).be24(0))), 21);
  EXPECT_EQ(c.r->count, 0);
  writers::Type17Entry l2 = raw_entry(130, 0x01, 5.5);
  l2.l2_value = 100;
  l2.l2_phase = -32768 * 3;
  l2.l2_range = -640;
  ASSERT_EQ(c.convert(writers::type17_part(3000, 1 << 18, false, {raw_entry(12, 0, 1.0), l2})),
            21 + 48 + 72);
  EXPECT_EQ(Bytes(c.header, c.header + 4), (Bytes{0x74, 141, 0, 17}));
  EXPECT_EQ(c.r->receive_time, 3000);
  EXPECT_EQ(c.r->clock_offset, 0.5);
  ASSERT_EQ(c.r->count, 2);
  const d01ozu::Type17Entry& a = c.r->entries[0];
  EXPECT_EQ(a.sv, 12);
  EXPECT_EQ(a.flags2, 0x85);  // low nibble, and no previous entry
  EXPECT_EQ(a.flags3, 3);
  EXPECT_EQ(a.word4, 9);
  EXPECT_EQ(a.word6, 42);
  const double a_values[] = {45.0, 10000000.0, 1.0, -3.0, 0, 0, 0, 0, 0};
  for (int v = 0; v < 9; ++v) EXPECT_EQ(a.values[v], a_values[v]) << v;
  const d01ozu::Type17Entry& b = c.r->entries[1];
  const double b_values[] = {45.0, 20000000.0, 5.5, -3.0, 0, 25.0, -3.0, -2.5, 0};
  for (int v = 0; v < 9; ++v) EXPECT_EQ(b.values[v], b_values[v]) << v;
  // An entry that runs past the frame gives nothing.
  Bytes cut = writers::type17_part(4000, 0, false, {raw_entry(12, 0x01, 1.0)});
  cut[1] = static_cast<uint8_t>(cut[1] - 2);
  cut.erase(cut.end() - 5, cut.end() - 3);
  EXPECT_EQ(c.convert(cut), 0);
}

// Doppler from the previous epoch for entries with flags 1 bit 4; after a
// slip (bit 1) the prediction 2 * doppler - previous doppler.
TEST(Type17Raw, DopplerOverSeveralEpochs) {
  struct Step {
    uint32_t t;
    double phase;
    uint8_t flags;
    double doppler;
    uint8_t flags2;
  };
  const Step steps[] = {
      {1000, 10.0, 0x10, -3.0, 0x85},   // no previous: as sent, prediction 0
      {2000, 30.5, 0x10, 20.5, 0x05},   // prediction 2 * 20.5 + 3 = 44
      {2500, 40.75, 0x10, 20.5, 0x05},  // prediction 20.5
      {3500, 0.0, 0x12, 20.5, 0x85},    // slip: the prediction, then 20.5
      {4500, 7.0, 0x00, -3.0, 0x85},    // no bit 4: as sent, prediction 0
      {5500, 9.0, 0x10, -3.0, 0x85},    // the previous entry lacks bit 4
      {6500, 10.0, 0x12, 0.0, 0x85},    // slip: the 0 predicted without a match
  };
  Raw17 c;
  for (const Step& s : steps) {
    ASSERT_GT(c.convert(writers::type17_part(s.t, 0, false, {raw_entry(3, s.flags, s.phase)})), 0);
    EXPECT_EQ(c.r->entries[0].values[3], s.doppler) << s.t;
    EXPECT_EQ(c.r->entries[0].flags2, s.flags2) << s.t;
  }
}

}  // namespace
