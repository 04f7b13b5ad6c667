// Test-data writers for legacy receiver records and R00 files. Tests, fuzz
// seeds and the README sample build their inputs from these readable
// descriptions instead of opaque byte blobs.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace writers {

using Bytes = std::vector<uint8_t>;

// Big-endian payload builder for receiver records.
class Payload {
 public:
  Payload& u8(unsigned v);
  Payload& be16(unsigned v);
  Payload& be24(uint32_t v);
  Payload& be32(uint32_t v);
  Payload& be48(uint64_t v);
  Payload& bef64(double v);
  Payload& bef32(float v);
  Payload& bytes(std::initializer_list<uint8_t> v);
  Payload& bytes(const Bytes& v);
  Payload& text(const std::string& s, size_t width);  // NUL-padded to width
  Payload& zeros(size_t n);
  const Bytes& data() const { return data_; }
  size_t size() const { return data_.size(); }

 private:
  Bytes data_;
};

// A framed legacy record: STX, length (low byte; types 74, 75 and 117 carry
// length - 256), type, payload, big-endian byte-sum checksum, ETX.
Bytes frame(uint8_t type, const Bytes& payload);
inline Bytes frame(uint8_t type, const Payload& p) {
  return frame(type, p.data());
}
// The same with a deliberately wrong checksum.
Bytes frame_bad_checksum(uint8_t type, const Bytes& payload);

// A type-16 message record: sub-code byte, then the text without terminator.
Bytes message_frame(uint8_t subcode, const std::string& text);

// An R00 file: 39-byte header, optional initial blocks, then records.
struct R00File {
  uint16_t receiver_type = 5;
  uint16_t nav_version = 300;
  uint16_t sig_version = 120;
  bool with_header = true;
  bool with_ephemeris = true;  // 32 blocks of 333 bytes
  bool with_ion = true;        // one block of 117 bytes
  // Initial block values: ephemeris value k of satellite s is eph_value(s, k).
  double (*eph_value)(int sv, int k) = nullptr;
  double (*ion_value)(int k) = nullptr;
  std::vector<Bytes> records;

  Bytes bytes() const;
};

// The 39-byte R00 header alone.
Bytes r00_header(uint16_t receiver_type, uint16_t nav, uint16_t sig);
// One initial ephemeris block (40 big-endian doubles and 13 bytes).
Bytes initial_eph_block(int sv, double (*value)(int sv, int k));
// The initial ION/UTC block (14 big-endian doubles and 5 bytes).
Bytes initial_ion_block(double (*value)(int k));

void append(Bytes& out, const Bytes& more);

}  // namespace writers
