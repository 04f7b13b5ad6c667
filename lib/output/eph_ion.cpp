#include "output/eph_ion.h"

#include <cstring>

#include "core/byte_cursor.h"
#include "core/frame_fields.h"
#include "output/output_layouts.h"

namespace d01ozu {
namespace {

bool valid_sv(int sv) {
  return sv >= 1 && sv <= static_cast<int>(kEphSlotCount);
}

// Stores v little-endian into cell of a slot.
void put_cell(uint8_t* slot, int cell, double v) {
  ByteWriter w(slot + cell * kEphCellSize, kEphCellSize);
  w.f64(v);
}

// Reads count big-endian doubles from c into consecutive little-endian cells.
void copy_doubles(ByteCursor& c, uint8_t* dst, size_t count) {
  ByteWriter w(dst, count * kEphCellSize);
  for (size_t i = 0; i < count; ++i) w.f64(c.bef64());
}

}  // namespace

// An initial block: 40 values reversed into cells 0..39, 13 bytes kept as they are.
void SetInitialEphemeris(EphImage& eph, int sv, const uint8_t* block) {
  if (!valid_sv(sv) || !block) return;
  uint8_t* slot = eph.slot(sv);
  ByteCursor c(block, kInitialEphBlockSize);
  copy_doubles(c, slot, kEphInitialCells);
  c.bytes(slot + kEphFlagsOffset, kEphFlagsSize);
}

// The initial ION/UTC block: 14 values reversed, 5 bytes as they are.
void SetInitialIonUtc(IonImage& ion, const uint8_t* block) {
  if (!block) return;
  ByteCursor c(block, kInitialIonBlockSize);
  copy_doubles(c, ion.bytes, kIonCells);
  c.bytes(ion.bytes + kIonInitialRawOffset, kIonInitialRawSize);
}

// Type 3: 25 values into cells 0..24 and the source marker 0; the flag
// bytes and cells 25..39 of an initial block stay.
void store_type3_ephemeris(EphImage& eph, int sv, const uint8_t* frame, size_t size) {
  if (!valid_sv(sv)) return;
  uint8_t* slot = eph.slot(sv);
  ByteCursor c = frame_fields(frame, size, kType3FieldsStart);
  copy_doubles(c, slot, kEphType3Cells);
  slot[kEphSourceOffset] = 0;
  slot[kEphSourceOffset + 1] = 0;
}

// The flag bytes of a type-21 slot, spread out of the flag long F.
static void put_type21_flags(uint8_t* slot, uint32_t f) {
  std::memset(slot + kEphFlagsOffset, 0, kEphType21FlagArea);
  ByteWriter w(slot + kEph21FlagLong, 4);
  w.le32(f);
  slot[kEph21Marker] = kEph21MarkerValue;
  slot[kEph21Bits11] = static_cast<uint8_t>((f >> 11) & 0x0F);
  slot[kEph21Bit15] = static_cast<uint8_t>((f >> 15) & 0x01);
  slot[kEph21Bit10] = static_cast<uint8_t>((f >> 10) & 0x01);
  slot[kEph21Bits4] = static_cast<uint8_t>((f >> 4) & 0x3F);
  slot[kEph21Bits16] = static_cast<uint8_t>((f >> 16) & 0x07);
  slot[kEphSourceOffset] = kEphSourceType21;
  slot[kEphSourceOffset + 1] = kEphSourceType21;
}

// Type 21: integers widened to doubles and doubles spread over the cells the
// type-3 layout uses (cells 0..24), then the flag bytes; cells 25..39 stay.
void store_type21_ephemeris(EphImage& eph, int sv, const uint8_t* frame, size_t size) {
  if (!valid_sv(sv)) return;
  uint8_t* slot = eph.slot(sv);
  ByteCursor c = frame_fields(frame, size, kType21FieldsStart);
  put_cell(slot, kType21CellW0, c.sbe16());
  put_cell(slot, kType21CellW1, c.sbe16());
  c.u8();
  put_cell(slot, kType21CellByte, c.u8());
  for (int cell : kType21LongCells) put_cell(slot, cell, c.sbe32());
  for (int cell : kType21DoubleCells) put_cell(slot, cell, c.bef64());
  put_type21_flags(slot, c.be32());
}

// Type 15 replaces the whole image: 11 doubles, two signed words and an
// unsigned long as doubles, then 8 bytes as they are.
void store_type15_ion(IonImage& ion, const uint8_t* frame, size_t size) {
  ByteCursor c = frame_fields(frame, size, kType15FieldsStart);
  ByteWriter w(ion.bytes, sizeof ion.bytes);
  for (size_t i = 0; i < kType15Doubles; ++i) w.f64(c.bef64());
  w.f64(c.sbe16());
  w.f64(c.sbe16());
  w.f64(c.be32());
  c.bytes(ion.bytes + w.position(), kIonRecordRawSize);
}

// 4-byte header and the whole image; a short write is "Disk full".
StatusCode write_eph_file(OutFile& file, const EphImage& eph) {
  if (!file.is_open()) return kStatusEphNotOpen;
  bool ok = file.write(kEphFileHeader, sizeof kEphFileHeader);
  ok = ok && file.write(eph.bytes, sizeof eph.bytes);
  return ok ? kStatusOk : kStatusDiskFull;
}

// The first 115 bytes of the image.
StatusCode write_ion_file(OutFile& file, const IonImage& ion) {
  if (!file.is_open()) return kStatusIonNotOpen;
  return file.write(ion.bytes, kIonFileSize) ? kStatusOk : kStatusDiskFull;
}

}  // namespace d01ozu
