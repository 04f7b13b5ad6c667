#include "datstream/output_set.h"

#include "datstream/record_processor.h"

namespace d01ozu {

StatusCode OpenConversion(OutputSetPtr& handle, RecordProcessor& rp) {
  handle.reset(new (std::nothrow) OutputSet());
  if (!handle) return kStatusNoMemory;
  handle->expansion = CreateExpansionContext();
  if (!handle->expansion) {
    handle.reset();
    return kStatusNoMemory;
  }
  handle->processor = &rp;
  AttachOutputs(rp, &handle->eph, &handle->ion, &handle->app, handle->run.download_version);
  return kStatusOk;
}

StatusCode OpenOutput(OutputSet* handle, int, const char*) {
  return handle ? kStatusOk : kStatusNotOpened;
}

StatusCode CloseConversion(OutputSetPtr& handle) {
  if (!handle) return kStatusNotOpened;
  handle.reset();
  return kStatusOk;
}

}  // namespace d01ozu
