// Layout of one entry of a raw type-17 measurement frame, shared by the R00
// epoch assembly and the container converter: 20 bytes of L1 fields, then 9
// bytes of L2 fields when flags 1 bit 0 is set.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d01ozu {
namespace type17_entry {

constexpr size_t kSv = 0;
constexpr size_t kFlags1 = 1;
constexpr size_t kFlags2 = 2;
constexpr size_t kWord4 = 3;       // one byte
constexpr size_t kWord6 = 4;       // one byte, halved
constexpr size_t kL1Strength = 5;  // U(1), 2^-2
constexpr size_t kL1Range = 6;     // U(4), 2^-7
constexpr size_t kL1Phase = 10;    // S(6), 2^-15
constexpr size_t kL1Doppler = 16;  // S(3), 2^-6
constexpr size_t kL1Last = 19;     // S(1), 2^-7
constexpr size_t kL1Size = 20;
constexpr size_t kL2Strength = 20;  // U(1)
constexpr size_t kL2Phase = 21;     // S(6), 2^-15
constexpr size_t kL2Range = 27;     // S(2), 2^-8
constexpr size_t kL2Size = 9;
constexpr uint8_t kHasL2 = 0x01;  // flags 1 bit 0

}  // namespace type17_entry
}  // namespace d01ozu
