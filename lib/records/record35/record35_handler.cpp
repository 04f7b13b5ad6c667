#include "records/record35/record35_handler.h"

#include <cstring>
#include <new>

#include "core/diagnostics.h"
#include "records/record35/down_conversion.h"
#include "records/record35/position_fields.h"
#include "records/record35/subtype_decoder.h"

namespace d01ozu {

namespace {

constexpr uint8_t kDatStartByte = 0x74;

// Copies body into a buffer of capacity made on first use; a longer body is
// cut at the capacity.
void keep_body(std::unique_ptr<uint8_t[]>& buffer, size_t capacity, size_t* length,
               const ByteBuffer& body, uint8_t* error) {
  if (!buffer) buffer.reset(new (std::nothrow) uint8_t[capacity]);
  if (!buffer) {
    *error = kRec35NoMemory;
    return;
  }
  *length = body.length < capacity ? body.length : capacity;
  if (*length) std::memcpy(buffer.get(), body.data, *length);
}

// Position entries of subtype 2: pos[i].svs[j].rt_sattype, 7 becomes 10.
void rewrite_sub2_system7(IntermediateRecord* native) {
  Value& pos = native->root.items.d[kPosList];
  for (uint64_t i = 0; i < pos.items.length; ++i) {
    Value& svs = pos.items.d[i].items.d[k2Svs];
    for (uint64_t j = 0; j < svs.items.length; ++j) {
      Value& type = svs.items.d[j].items.d[kSvSatType];
      if (type.l == 7) type.l = 10;
    }
  }
}

void rewrite_system7(Record35Content& content) {
  if (content.subsubtype == 0) return;
  if (content.subtype == 9 && content.sub9) RewriteSub9System7(content.sub9.get());
  const int index = subtype_index(2);
  if (content.subtype == 2 && content.native[index])
    rewrite_sub2_system7(content.native[index].get());
}

}  // namespace

void readRec35BufferContent(Record35Assembly& a, Record35Content& content, int* type,
                            uint32_t* length, uint8_t* error) {
  *error = 0;
  const int index = subtype_index(content.subtype);
  if (content.subtype == 0)
    keep_body(content.subtype0, kSubtype0Capacity, &content.subtype0_length, a.body, error);
  else if (content.subtype == kSubtypeTest)
    keep_body(content.test_buffer, kTestBufferCapacity, &content.test_length, a.body, error);
  else if (index >= 0)
    DecodeSubtype(a, content, index, error);
  if (*error) {
    diagnostic(Record35Sink(a), "readRec35BufferContent error: %d subtype=%d subsubtype=%d\n",
               *error, static_cast<int>(content.subtype), static_cast<int>(content.subsubtype));
    *type = kNoRecordType;
    *length = 0;
    return;
  }
  const bool schema = content.subsubtype == 0;
  *type = schema ? 0 : kRecord35Type;
  *length = schema ? 0 : static_cast<uint32_t>(a.body.length);
}

uint32_t HandleRecord35(Record35Assembly& a, Record35Content* content, uint8_t dat_header[4],
                        int* type, uint8_t* error) {
  if (!content) return 0;
  uint32_t length = 0;
  readRec35BufferContent(a, *content, type, &length, error);
  const uint8_t stamp[4] = {kDatStartByte, 0x00, 0x00, kRecord35Type};
  std::memcpy(dat_header, stamp, sizeof stamp);
  if (*error == 0) rewrite_system7(*content);
  return length;
}

uint16_t ExpandRecord35(Record35Assembly& a, Record35Content* content, uint8_t dat_header[4],
                        int16_t* legacy_type, ReaderStatus* status) {
  int type = kNoRecordType;
  uint8_t error = 0;
  const uint32_t length = HandleRecord35(a, content, dat_header, &type, &error);
  *legacy_type = static_cast<int16_t>(type);
  if (error) {
    *status = error;
    return 0;
  }
  if (length == 0) return 0;
  const uint16_t count = length > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(length);
  return DownConvertRecord35(*content, dat_header, legacy_type, count);
}

ExpandedPayload Record35Structure(const Record35Content* content, int legacy_type) {
  if (!content) return {};
  switch (legacy_type) {
    case 27:
      return &content->type27;
    case 29:
      return &content->type29;
    case 33:
      return &content->type33;
    default:
      return {};
  }
}

}  // namespace d01ozu
