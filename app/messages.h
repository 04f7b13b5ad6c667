// Status texts, the built-in message catalogue and the console callbacks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/conversion_context.h"
#include "core/status_code.h"

namespace rawsplit {

// Run message ids (status texts are ids 1 to 33).
enum MessageId : int {
  kMsgError = 101,
  kMsgBanner = 102,
  kMsgDat = 103,
  kMsgEph = 104,
  kMsgIon = 105,
  kMsgMes = 106,
  kMsgApp = 107,
  kMsgSum = 108,
  kMsgInput = 109,
  kMsgRecord = 110,
  kMsgProblemStart = 111,
  kMsgDumpByte = 112,
  kMsgNextBytes = 113,
  kMsgFixup = 114,
  kMsgSearchStart = 115,
  kMsgResync = 116,
  kMsgLostBytes = 117,
  kMsgRecords = 118,
  kMsgStatus = 119,
  kMsgChecksumCount = 120,
  kMsgTotalLost = 121,
  kMsgRecordTime = 122,
  kMsgLibrary = 123,
  kMsgT02Unsupported = 124,
};

// The built-in default of id (used when the catalogue lacks it); "" if none.
const char* DefaultMessage(int id);
// Copies the catalogue text of id, else fallback, into dest (cut to capacity - 1).
char* LoadMessage(int id, char* dest, size_t capacity, const char* fallback);
// The text of status code into dest; codes without a text read "Unknown error [n]".
char* StatusMessage(d01ozu::StatusCode code, char* dest, size_t capacity);

// Formats message id with the arguments into the context's line buffer and
// hands it to the message sink at level; nothing when no sink is installed.
void Say(ConversionContext& cx, int level, int id, ...);
// Hands a literal text line to the message sink at level.
void SayText(ConversionContext& cx, int level, const char* text);
// Message 101 with the text of code, at level 2.
void PrintError(ConversionContext& cx, d01ozu::StatusCode code);

void ConsoleMessage(int level, const char* text, uint32_t user);
void ConsoleProgress(uint8_t* abort, uint16_t percent, const char* text, const int16_t* verbose);

}  // namespace rawsplit
