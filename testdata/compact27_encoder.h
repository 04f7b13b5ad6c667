// Encoder of the compact type-27 epochs: type 38 (a whole epoch), type 39
// (coded against the epoch predicted from the last two) and types 36 and 37
// (varint changes against the predicted or the last epoch). It keeps its own
// pair of references the way the expander keeps them.
#pragma once

#include "testdata/frame_writer.h"
#include "testdata/type27_records.h"

namespace writers {

class Compact27Encoder {
 public:
  // Type 38; the references restart from e.
  Bytes whole(const Raw27Epoch& e);
  // Type 39 of e, whose pseudoranges must be the projected ones (project()).
  // With absolute_time the time part is sent whole even when one byte does.
  Bytes predicted(const Raw27Epoch& e, bool absolute_time = false);
  // Type 36 (against the predicted epoch) or 37 (against the last epoch).
  Bytes varint(const Raw27Epoch& e, bool against_prediction);

  // e with the pseudoranges the expander projects from the last epoch by
  // the phase change (the predicted range where the projection cannot be
  // stored).
  Raw27Epoch project(Raw27Epoch e) const;

 private:
  void advance(const Raw27Epoch& e);

  Raw27Epoch last_;
  Raw27Epoch predicted_;
};

}  // namespace writers
