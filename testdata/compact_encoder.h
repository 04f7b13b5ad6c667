// Encoder of the compact measurement records (types 66/74 delta epochs and
// 67/75 full epochs) from ordinary type-17 frames: the inverse of the
// decoder, keeping its own pair of references (previous epoch P and
// prediction Q) the way the decoder keeps them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "testdata/frame_writer.h"

namespace writers {

class CompactEncoder {
 public:
  explicit CompactEncoder(int capacity = 24) : capacity_(capacity) { reset(); }

  // Flag mode written into delta epochs (only used by the decoder when the
  // run's message flag is set): 0 flag bytes sent raw, 1 taken from P, 2 the
  // fixed flags 0xD8/0, 3 one coded byte.
  void set_flag_mode(int mode) { flag_mode_ = mode; }
  // Whether delta epochs carry the satellite list (else the decoder takes it
  // from the previous epoch: entries with non-zero number and byte 5).
  void set_send_list(bool send) { send_list_ = send; }

  // A full epoch (type 67, or 75 when longer than 255) carrying the type-17
  // frame; it resets the references to that epoch.
  Bytes full(const Bytes& type17_frame);
  // A delta epoch (type 66, or 74 when longer than 255) against the
  // references; empty when the epoch cannot be coded (flags that the flag
  // mode cannot express, a byte 19 that is not 0).
  Bytes delta(const Bytes& type17_frame);

 private:
  using Entry = std::array<uint8_t, 29>;
  struct Epoch {
    std::array<uint8_t, 10> header{};
    std::vector<Entry> entries;
  };

  void reset();
  Epoch parse(const Bytes& type17_frame) const;
  void rearrange(const std::vector<uint8_t>& list);
  bool encode_entry(Payload& out, const Entry& e, size_t k);
  bool encode_flags(Payload& out, const Entry& e, const Entry& pe) const;
  void advance(const Epoch& next);

  int capacity_;
  int flag_mode_ = 0;
  bool send_list_ = true;
  Epoch p_;
  Epoch q_;
};

// The type-17 frame (type 117 when longer than 255 bytes) of a header and
// entries given as epoch-image entries (29 bytes; bytes 20..28 only with
// flag bit 0).
Bytes type17_frame_from_entries(uint32_t h1, uint32_t h2,
                                const std::vector<std::array<uint8_t, 29>>& entries);

// A type-17 frame at time t of count satellites from first_sv on, every
// other one with the L2 part, whose values move with n.
Bytes moving_type17_epoch(uint32_t t, uint8_t first_sv, int count, uint32_t n);

// The compact epoch as a record of the second satellite group (types 68, 69,
// 76 and 77, two above 66, 67, 74 and 75), which the decoder expands against
// references of its own; an encoder per group keeps them apart.
Bytes second_group_epoch(const Bytes& compact_epoch);

}  // namespace writers
