// Status codes returned by every library operation; the run's final code is
// the process exit status. 0 is success, 1 to 31 are errors with a text, 32 is
// the internal signal that the quick summary text is ready.
#pragma once

#include <cstdint>

#include "d01ozu/d01ozu.h"

namespace d01ozu {

using StatusCode = uint16_t;

enum : StatusCode {
  kStatusOk = 0,
  kStatusNoMemory = 1,
  kStatusNotOpened = 2,
  kStatusDatOpen = 3,
  kStatusDatNotOpen = 4,
  kStatusEphOpen = 5,
  kStatusEphNotOpen = 6,
  kStatusIonOpen = 7,
  kStatusIonNotOpen = 8,
  kStatusMesOpen = 9,
  kStatusMesNotOpen = 10,
  kStatusNoStx = 11,
  kStatusNoEtx = 12,
  kStatusBadChecksum = 13,
  kStatusLogst = 14,
  kStatusDiskFull = 15,
  kStatusNoBinaryMessages = 16,
  kStatusNoInput = 17,
  kStatusBadHeader = 18,
  kStatusOutOfSequence = 19,
  kStatusSumOpen = 20,
  kStatusSumNotOpen = 21,
  kStatusNoResync = 23,
  kStatusAppOpen = 24,
  kStatusAppNotOpen = 25,
  kStatusAppInvalid = 26,
  kStatusAppNoInfo = 27,
  kStatusAborted = 28,
  kStatusErrorsTolerated = 29,
  kStatusExpansion = 30,
  kStatusT02Unsupported = 31,
  kStatusQuickSummary = 32,
};

// Detail code of the container reader and the dispatcher.
using ReaderStatus = uint8_t;

// Input format number.
using FormatCode = InputFormat;
constexpr FormatCode kFormatUnknown = InputFormat::kUnknown;
constexpr FormatCode kFormatR00 = InputFormat::kR00;
constexpr FormatCode kFormatT00 = InputFormat::kT00;
constexpr FormatCode kFormatT01 = InputFormat::kT01;
constexpr FormatCode kFormatT02 = InputFormat::kT02;
constexpr FormatCode kFormatT04 = InputFormat::kT04;

}  // namespace d01ozu
