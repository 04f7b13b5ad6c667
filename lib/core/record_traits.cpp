#include "core/record_traits.h"

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

// The table filled from the lists above, when compiling.
constexpr RecordTraitsTable BuildTable() {
  RecordTraitsTable t{};
  for (uint8_t type : kExtendedLength) t.rows[type].raw_length = RawLength::kExtended;
  for (int type = 74; type <= 77; ++type) t.rows[type].raw_length = RawLength::kPlus256;
  t.rows[35].raw_length = RawLength::kRecord35;
  for (uint8_t type : kCompact) t.rows[type].compact = true;
  for (uint8_t type : kSameLegacyType) t.rows[type].legacy_type = type;
  for (const CompactMapping& m : kCompactLegacyType)
    for (int type = m.first; type <= m.last; ++type) t.rows[type].legacy_type = m.legacy;
  for (uint8_t type : kLegacyHandled) t.rows[type].legacy_handled = true;
  for (uint8_t type : kLegacyUnchecked) t.rows[type].legacy_unchecked = true;
  for (uint8_t type : kHasTime) t.rows[type].has_time = true;
  for (uint8_t type : kTyped) t.rows[type].typed = true;
  return t;
}

}  // namespace

// Built when compiling: reading a row costs an index, with no guard for a
// first-use initialisation.
constexpr RecordTraitsTable kRecordTraits = BuildTable();

}  // namespace d01ozu
