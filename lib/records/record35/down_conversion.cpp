#include "records/record35/down_conversion.h"

#include "records/record35/record35_assembly.h"

namespace d01ozu {

namespace {

constexpr uint8_t kDatStartByte = 0x74;

void set_header(uint8_t h[4], size_t length, uint8_t type) {
  h[0] = kDatStartByte;
  h[1] = static_cast<uint8_t>(length);
  h[2] = static_cast<uint8_t>(length >> 8);
  h[3] = type;
}

const IntermediateRecord* generic_native(const Record35Content& content, uint64_t subtype) {
  const int index = subtype_index(subtype);
  return index < 0 ? nullptr : content.native[index].get();
}

// Runs the conversion of content's subtype; 0 when it has none or nothing
// came out. *type gets the legacy type.
size_t convert(Record35Content& c, uint8_t* type) {
  switch (c.subtype) {
    case 19:
      *type = 27;
      return c.sub19 ? Sub19ToType27(*c.sub19, &c.type27) : 0;
    case 9:
      *type = 27;
      return c.sub9 ? Sub9ToType27(*c.sub9, &c.type27) : 0;
    case 2:
      *type = 29;
      return generic_native(c, 2) ? Sub2ToType29(*generic_native(c, 2), &c.type29) : 0;
    case 16:
      *type = 33;
      return generic_native(c, 16) ? Sub16ToType33(*generic_native(c, 16), &c.type33) : 0;
    default:
      return 0;
  }
}

}  // namespace

uint16_t DownConvertRecord35(Record35Content& c, uint8_t h[4], int16_t* legacy_type,
                             uint16_t count) {
  if (c.subtype != 2 && c.subtype != 9 && c.subtype != 16 && c.subtype != 19) return count;
  if (c.subsubtype != 1 && c.subsubtype != 2) {
    *legacy_type = static_cast<int16_t>(kNoRecordType);
    return 0;
  }
  uint8_t type = 0;
  const size_t length = convert(c, &type);
  if (length == 0 || length > 0xFFFF) return count;
  *legacy_type = type;
  if (type == 33) {
    // The type-33 header carries the low length byte and its sub-code.
    h[0] = kDatStartByte, h[1] = 0xD4, h[2] = 0x0E, h[3] = 33;
  } else {
    set_header(h, length, type);
  }
  return static_cast<uint16_t>(length);
}

}  // namespace d01ozu
