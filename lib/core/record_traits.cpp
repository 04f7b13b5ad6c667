#include "core/record_traits.h"

#include <array>
#include <cstddef>

namespace d01ozu {
namespace {

constexpr uint8_t kExtendedLength[] = {27, 29, 34, 36, 37, 38, 39, 56, 57, 98, 99};
constexpr uint8_t kCompact[] = {36, 37, 38, 39, 41, 54, 55, 56, 57, 66,
                                67, 68, 69, 74, 75, 76, 77, 84, 85, 86};
// Raw types delivered as the legacy type of the same number.
constexpr uint8_t kSameLegacyType[] = {5,  11, 12, 14, 15, 16, 17, 19, 21, 22, 23, 24, 25, 26,
                                       27, 28, 29, 30, 31, 32, 33, 34, 35, 40, 90, 98, 99};
// Compact raw types and the legacy type their expansion yields.
struct CompactMapping {
  int first, last, legacy;
};
constexpr CompactMapping kCompactLegacyType[] = {{54, 55, 11}, {66, 69, 17}, {74, 77, 17},
                                                 {84, 86, 25}, {36, 39, 27}, {56, 57, 29},
                                                 {41, 41, 40}};
constexpr uint8_t kLegacyHandled[] = {3,  4,  5,  7,  10, 11, 12, 13,  14,  15, 16,
                                      17, 18, 19, 20, 21, 22, 23, 24,  25,  30, 31,
                                      33, 64, 65, 66, 67, 74, 75, 101, 102, 117};
constexpr uint8_t kLegacyUnchecked[] = {64, 65, 66, 67, 74, 75};
constexpr uint8_t kTyped[] = {5, 11, 17, 25, 26, 27, 28, 29, 32, 33, 35, 40, 98, 99};
constexpr uint8_t kHasTime[] = {7, 17, 64, 65, 66, 67, 74, 75, 117};

using Table = std::array<RecordTraits, 256>;

// The table filled from the lists above.
Table BuildTable() {
  Table t{};
  for (uint8_t type : kExtendedLength) t[type].raw_length = RawLength::kExtended;
  for (int type = 74; type <= 77; ++type) t[type].raw_length = RawLength::kPlus256;
  t[35].raw_length = RawLength::kRecord35;
  for (uint8_t type : kCompact) t[type].compact = true;
  for (uint8_t type : kSameLegacyType) t[type].legacy_type = type;
  for (const CompactMapping& m : kCompactLegacyType)
    for (int type = m.first; type <= m.last; ++type) t[type].legacy_type = m.legacy;
  for (uint8_t type : kLegacyHandled) t[type].legacy_handled = true;
  for (uint8_t type : kLegacyUnchecked) t[type].legacy_unchecked = true;
  for (uint8_t type : kHasTime) t[type].has_time = true;
  for (uint8_t type : kTyped) t[type].typed = true;
  return t;
}

}  // namespace

const RecordTraits& TraitsOf(int type) {
  static const Table table = BuildTable();
  static const RecordTraits none{};
  return type >= 0 && type < 256 ? table[static_cast<size_t>(type)] : none;
}

}  // namespace d01ozu
