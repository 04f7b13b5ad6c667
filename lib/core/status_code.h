// Status codes returned by every library operation, as the numbers the
// internal code passes around; the values are those of the public Status.
#pragma once

#include <cstdint>

#include "d01ozu/d01ozu.h"

namespace d01ozu {

using StatusCode = uint16_t;

enum : StatusCode {
  kStatusOk = static_cast<StatusCode>(Status::kOk),
  kStatusNoMemory = static_cast<StatusCode>(Status::kNoMemory),
  kStatusNotOpened = static_cast<StatusCode>(Status::kNotOpened),
  kStatusDatOpen = static_cast<StatusCode>(Status::kDatOpen),
  kStatusDatNotOpen = static_cast<StatusCode>(Status::kDatNotOpen),
  kStatusEphOpen = static_cast<StatusCode>(Status::kEphOpen),
  kStatusEphNotOpen = static_cast<StatusCode>(Status::kEphNotOpen),
  kStatusIonOpen = static_cast<StatusCode>(Status::kIonOpen),
  kStatusIonNotOpen = static_cast<StatusCode>(Status::kIonNotOpen),
  kStatusMesOpen = static_cast<StatusCode>(Status::kMesOpen),
  kStatusMesNotOpen = static_cast<StatusCode>(Status::kMesNotOpen),
  kStatusNoStx = static_cast<StatusCode>(Status::kNoStx),
  kStatusNoEtx = static_cast<StatusCode>(Status::kNoEtx),
  kStatusBadChecksum = static_cast<StatusCode>(Status::kBadChecksum),
  kStatusLogst = static_cast<StatusCode>(Status::kLogst),
  kStatusDiskFull = static_cast<StatusCode>(Status::kDiskFull),
  kStatusNoBinaryMessages = static_cast<StatusCode>(Status::kNoBinaryMessages),
  kStatusNoInput = static_cast<StatusCode>(Status::kNoInput),
  kStatusBadHeader = static_cast<StatusCode>(Status::kBadHeader),
  kStatusOutOfSequence = static_cast<StatusCode>(Status::kOutOfSequence),
  kStatusSumOpen = static_cast<StatusCode>(Status::kSumOpen),
  kStatusSumNotOpen = static_cast<StatusCode>(Status::kSumNotOpen),
  kStatusNoResync = static_cast<StatusCode>(Status::kNoResync),
  kStatusAppOpen = static_cast<StatusCode>(Status::kAppOpen),
  kStatusAppNotOpen = static_cast<StatusCode>(Status::kAppNotOpen),
  kStatusAppInvalid = static_cast<StatusCode>(Status::kAppInvalid),
  kStatusAppNoInfo = static_cast<StatusCode>(Status::kAppNoInfo),
  kStatusAborted = static_cast<StatusCode>(Status::kAborted),
  kStatusErrorsTolerated = static_cast<StatusCode>(Status::kErrorsTolerated),
  kStatusExpansion = static_cast<StatusCode>(Status::kExpansion),
  kStatusT02Unsupported = static_cast<StatusCode>(Status::kT02Unsupported),
  kStatusQuickSummary = static_cast<StatusCode>(Status::kQuickSummary),
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
