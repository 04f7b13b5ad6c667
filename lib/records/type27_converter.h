// Converter of raw type 27, the measurement epoch of the newer receivers,
// into the typed Type27Record, with doppler derived from the phase change
// between consecutive epochs for signals that carry none.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/expanded_records.h"

namespace d01ozu {

// One predicted doppler per measurement-block position of an epoch; marked
// when it holds a value.
struct Type27Prediction {
  float doppler;
  bool marked;
};
using Type27Predictions = Type27Prediction[kType27SatelliteCapacity][kType27BlockCapacity];

// What the converter keeps from epoch to epoch of one input file: the last
// epoch as converted (before the satellite filter), the predictions made for
// its block positions, and the predictions being made for the current
// epoch's (the two swap after each epoch). Zero is the blank state.
struct Type27State {
  bool have_previous;
  Type27Record previous;
  Type27Predictions predictions[2];
  int current;  // which of the two holds the previous epoch's predictions
};

void reset_type27_state(Type27State& state);

// The carrier frequency in Hz of a signal (satellite system, block type,
// frequency channel read as signed), or 0 when the table has none.
double carrier_frequency(int system, int block_type, int8_t channel);

// Converts the raw type-27 frame (STX to ETX, length bytes) into r and the
// DAT record header; derives doppler against the state and advances it.
// Returns the record length, 0 when the record holds no usable epoch (more
// than 116 satellites or 6 blocks, a short payload, no satellite left).
uint16_t ConvertType27(const uint8_t* frame, size_t length, Type27State& state, Type27Record& r,
                       uint8_t header[4]);

// Derives the doppler of the blocks of r that carry none against the state's
// previous epoch, and makes r the previous epoch.
void derive_type27_doppler(Type27State& state, Type27Record& r);

}  // namespace d01ozu
