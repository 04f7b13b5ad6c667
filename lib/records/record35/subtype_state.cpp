#include "records/record35/subtype_state.h"

#include <new>

#include "records/record35/record35_assembly.h"

namespace d01ozu {

void SubtypeStateDeleter::operator()(SubtypeState* state) const {
  delete state;
}

SubtypeState* CreateSubtypeState(int index) {
  SubtypeState* state = new (std::nothrow) SubtypeState();
  if (!state) return nullptr;
  if (!BuildSubtypeSchema(subtype_rows()[index], &state->schema)) {
    delete state;
    return nullptr;
  }
  return state;
}

void ResetSubtypeState(SubtypeState& state) {
  state.library_version = 0;
  state.writer_version = 0;
  state.writer_text.length = 0;
  state.writer_loaded = false;
  state.await_key = true;
}

}  // namespace d01ozu
