#include "app/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace rawsplit {
namespace {

struct CatalogueEntry {
  int id;
  const char* text;      // catalogue text; nullptr when the catalogue lacks the id
  const char* fallback;  // built-in default
};

// Ids 1 to 33 are the status texts (the catalogue takes those of ids 1 to 32
// from the library), 101 to 124 the run messages.
constexpr CatalogueEntry kCatalogue[] = {
    {1, nullptr, "None"},
    {2, nullptr, "Insufficient memory"},
    {3, nullptr, "Download functions not opened properly"},
    {4, nullptr, "Unable to open DAT file"},
    {5, nullptr, "Unable to write to DAT file, file is not open"},
    {6, nullptr, "Unable to open EPH file"},
    {7, nullptr, "Unable to write to EPH file, file is not open"},
    {8, nullptr, "Unable to open ION file"},
    {9, nullptr, "Unable to write to ION file, file is not open"},
    {10, nullptr, "Unable to open MES file"},
    {11, nullptr, "Unable to write to MES file, file is not open"},
    {12, nullptr, "Record error - STX not found"},
    {13, nullptr, "Record error - ETX not found"},
    {14, nullptr, "Record error - bad checksum"},
    {15, nullptr, "Record error - unexpected LOGST record (18)"},
    {16, nullptr, "Disk full"},
    {17, nullptr, "Unable to locate binary message records for update"},
    {18, nullptr, "Unable to locate/open source R00 file"},
    {19, nullptr, "Not a valid R00 file (bad header)"},
    {20, nullptr, "Unable to open summary TXT file"},
    {21, nullptr, "Unable to write to summary TXT file, file is not open"},
    {22, nullptr, "Measurement records out of sequence"},
    {24, nullptr, "Unable to resync to a record"},
    {25, nullptr, "Unable to open Application CFG file"},
    {26, nullptr, "Unable to write to Application CFG file, file is not open"},
    {27, nullptr, "AppFile built from record 31 is not valid"},
    {28, nullptr, "Application CFG file could not be built, no information"},
    {29, nullptr, "Conversion terminated by calling application"},
    {30, nullptr, "One or more errors encountered, but either ignored or skipped"},
    {31, nullptr, "Error encountered while expanding measurement records"},
    {32, nullptr, "T02 files not supported in this version of the T01 library"},
    {33, "Unknown error [%d]", "Unknown error [%d]"},
    {101, "rawsplit:  error  : %s", "rawsplit:  error  : %s"},
    {102, "rawsplit:  %s", "rawsplit:  %s"},
    {103, "rawsplit:  DAT: %s", "rawsplit:  DAT: %s"},
    {104, "rawsplit:  EPH: %s", "rawsplit:  EPH: %s"},
    {105, "rawsplit:  ION: %s", "rawsplit:  ION: %s"},
    {106, "rawsplit:  MES: %s", "rawsplit:  MES: %s"},
    {107, "rawsplit:  APP: %s", "rawsplit:  APP: %s"},
    {108, "rawsplit:  SUM: %s", "rawsplit:  SUM: %s"},
    {109, "rawsplit:  Input file: %s", "rawsplit:  Input file: %s"},
    {110, "Record id: %3d   Position: %08X", "Record id: %3d   Position: %9lu"},
    {111, "Start of Problem Record: %08X", "Start of Problem Record: %08X"},
    {112, "[%3d]: %02X", "[%3d]: %02X"},
    {113, "Next 256 Bytes:", "Next 256 Bytes:"},
    {114, "Attempting Fixup: %08X", "Attempting Fixup: %08X"},
    {115, "Start Search    : %08X", "Start Search    : %08X"},
    {116, "Resync to Record: %08X", "Resync to Record: %08X"},
    {117, "Lost Bytes      : %lu", "Lost Bytes      : %lu"},
    {118, "rawsplit:  records: %ld", "rawsplit:  records: %ld"},
    {119, "rawsplit:  status : %d", "rawsplit:  status : %d"},
    {120, "rawsplit:  checksum err count: %lu", "rawsplit:  checksum err count: %ld"},
    {121, "rawsplit:  total lost bytes: %lu", "rawsplit:  total lost bytes: %lu"},
    {122, "Record id: %3d   Position: %08X   Time: %9.3f",
     "Record id: %3d   Position: %9lu   Time: %9.3f"},
    {123, "rawsplit:  D01Ozu: %s", "rawsplit:  D01Ozu: %s"},
    {124, nullptr, "T02 files not supported in this version of the T01 library"},
};

// The catalogue entry of id, or nullptr.
const CatalogueEntry* FindEntry(int id) {
  for (const CatalogueEntry& e : kCatalogue)
    if (e.id == id) return &e;
  return nullptr;
}

// The status code whose text is catalogue id 1 to 32.
d01ozu::Status StatusOfId(int id) {
  int code = id - 1;
  if (id == 20 || id == 21) code = id;
  if (id == 22) code = 19;
  return static_cast<d01ozu::Status>(code);
}

// The catalogue text of id, or nullptr when the catalogue lacks it.
const char* CatalogueText(const CatalogueEntry& e) {
  if (e.id >= 1 && e.id <= 32) return d01ozu::StatusText(StatusOfId(e.id));
  return e.text;
}

// Catalogue id of a status code; 33 (unknown) for codes without a text.
int StatusMessageId(d01ozu::StatusCode code) {
  if (code <= 18) return code + 1;
  if (code == 19) return 22;
  if (code == 20 || code == 21) return code;
  if (code >= 23 && code <= 31) return code + 1;
  return 33;
}

// Bounded copy that always terminates (capacity 0 writes nothing).
void CopyBounded(char* dest, size_t capacity, const char* src) {
  if (capacity == 0) return;
  size_t n = std::strlen(src);
  if (n >= capacity) n = capacity - 1;
  std::memcpy(dest, src, n);
  dest[n] = '\0';
}

}  // namespace

const char* DefaultMessage(int id) {
  const CatalogueEntry* e = FindEntry(id);
  return e ? e->fallback : "";
}

char* LoadMessage(int id, char* dest, size_t capacity, const char* fallback) {
  const CatalogueEntry* e = FindEntry(id);
  const char* text = e ? CatalogueText(*e) : nullptr;
  CopyBounded(dest, capacity, text ? text : (fallback ? fallback : ""));
  return dest;
}

char* StatusMessage(d01ozu::StatusCode code, char* dest, size_t capacity) {
  int id = StatusMessageId(code);
  if (id != 33) return LoadMessage(id, dest, capacity, DefaultMessage(id));
  char unknown[128];
  LoadMessage(33, unknown, sizeof unknown, DefaultMessage(33));
  std::snprintf(dest, capacity, unknown, static_cast<int>(code));
  return dest;
}

void Say(ConversionContext& cx, int level, int id, ...) {
  if (!cx.message_sink) return;
  LoadMessage(id, cx.message_template, sizeof cx.message_template, DefaultMessage(id));
  va_list args;
  va_start(args, id);
  std::vsnprintf(cx.line, sizeof cx.line, cx.message_template, args);
  va_end(args);
  cx.message_sink(level, cx.line, cx.message_user);
}

void SayText(ConversionContext& cx, int level, const char* text) {
  if (cx.message_sink) cx.message_sink(level, text, cx.message_user);
}

void PrintError(ConversionContext& cx, d01ozu::StatusCode code) {
  char text[128];
  StatusMessage(code, text, sizeof text);
  Say(cx, 2, kMsgError, text);
}

void ConsoleMessage(int, const char* text, uint32_t) {
  std::printf("%s\n", text);
}

void ConsoleProgress(uint8_t* abort, uint16_t percent, const char* text, const int16_t* verbose) {
  if (!verbose || *verbose < 3) return;
  if (abort && *abort) std::printf("ABORT -- ");
  std::printf("Progress: %hu %%", percent);
  if (text)
    std::printf(", %s\n", text);
  else
    std::printf("\n");
}

}  // namespace rawsplit
