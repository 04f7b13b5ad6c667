// The library's version and the texts of its status codes.
#include "d01ozu/d01ozu.h"

namespace d01ozu {
namespace {

struct StatusEntry {
  Status status;
  const char* text;
};

constexpr StatusEntry kStatusTexts[] = {
    {Status::kOk, "None"},
    {Status::kNoMemory, "Insufficient memory"},
    {Status::kNotOpened, "DAT file conversion library not opened properly"},
    {Status::kDatOpen, "Unable to open DAT file"},
    {Status::kDatNotOpen, "Unable to write to DAT file, file is not open"},
    {Status::kEphOpen, "Unable to open EPH file"},
    {Status::kEphNotOpen, "Unable to write to EPH file, file is not open"},
    {Status::kIonOpen, "Unable to open ION file"},
    {Status::kIonNotOpen, "Unable to write to ION file, file is not open"},
    {Status::kMesOpen, "Unable to open MES file"},
    {Status::kMesNotOpen, "Unable to write to MES file, file is not open"},
    {Status::kNoStx, "Record error - STX not found"},
    {Status::kNoEtx, "Record error - ETX not found"},
    {Status::kBadChecksum, "Record error - bad checksum"},
    {Status::kLogst, "Record error - unexpected LOGST record (18)"},
    {Status::kDiskFull, "Disk full"},
    {Status::kNoBinaryMessages, "Unable to locate binary message records for update"},
    {Status::kNoInput, "Unable to locate/open source R00/T00 file"},
    {Status::kBadHeader, "Not a valid R00/T00 file (bad header)"},
    {Status::kOutOfSequence, "Measurement records out of sequence"},
    {Status::kSumOpen, "Unable to open summary TXT file"},
    {Status::kSumNotOpen, "Unable to write to summary TXT file, file is not open"},
    {Status::kNoResync, "Unable to resync to a record"},
    {Status::kAppOpen, "Unable to open application CFG file"},
    {Status::kAppNotOpen, "Unable to write to application CFG file, file is not open"},
    {Status::kAppInvalid, "Application CFG file built from record 31 is not valid"},
    {Status::kAppNoInfo, "Application CFG file could not be built, no information"},
    {Status::kAborted, "Conversion terminated by calling application"},
    {Status::kErrorsTolerated, "One or more errors encountered, but either ignored or skipped"},
    {Status::kExpansion, "Error encountered while expanding measurement records"},
    {Status::kT02Unsupported, "T02 files not supported in this version of the T01 library"},
};

}  // namespace

const char* LibraryVersion() {
  return "8.109";
}

const char* StatusText(Status status) {
  for (const StatusEntry& e : kStatusTexts)
    if (e.status == status) return e.text;
  return nullptr;
}

}  // namespace d01ozu
