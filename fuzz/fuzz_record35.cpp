// Record-35 assembly and decoding over arbitrary pages. The input is a run
// of pages, each a control byte (page code in bits 4 and 5), a big-endian
// 16-bit size and that many bytes of ids and body part; every page is framed
// as a type-35 record and handed to the assembly, and every completed record
// to the handler. Nothing may crash, leak or allocate beyond what the input
// can declare.
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/byte_cursor.h"
#include "records/record35/record35_assembly.h"
#include "records/record35/record35_content.h"
#include "records/record35/record35_handler.h"

namespace {

constexpr size_t kLargestPart = 4088;  // a frame of at most 4095 bytes

size_t frame_page(uint8_t control, const uint8_t* part, size_t n, uint8_t* frame) {
  const size_t total = n + 7;
  frame[0] = 0x02;
  frame[1] = static_cast<uint8_t>(total);
  frame[2] = 35;
  frame[3] = static_cast<uint8_t>((control & 0x30) | ((total >> 8) & 0x0F));
  std::memcpy(frame + 4, part, n);
  frame[total - 3] = 0;
  frame[total - 2] = 0;
  frame[total - 1] = 0x03;
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  d01ozu::Record35Assembly assembly;
  auto content = std::make_unique<d01ozu::Record35Content>();
  static uint8_t frame[kLargestPart + 8];
  uint8_t header[4] = {};
  d01ozu::ByteCursor in(data, size);
  while (in.remaining() >= 3) {
    const uint8_t control = in.u8();
    size_t n = in.be16() % (kLargestPart + 1);
    if (n > in.remaining()) n = in.remaining();
    const size_t total = frame_page(control, in.take(n), n, frame);
    d01ozu::ReaderStatus status = 0;
    const int type = d01ozu::AssembleRecord35(assembly, content.get(), frame,
                                              static_cast<uint16_t>(total), 35, &status);
    if (type != 35 || status != 0) continue;
    int16_t legacy = 0;
    d01ozu::ExpandRecord35(assembly, content.get(), header, &legacy, &status);
  }
  return 0;
}
