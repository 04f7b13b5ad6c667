#include "records/expansion_context.h"

#include <cstring>
#include <new>

namespace d01ozu {

void ExpansionContextDeleter::operator()(ExpansionContext* context) const {
  delete context;
}

// The big buffers are only ever read below their counts, so clearing the
// counts empties them; the records and the framer are cleared outright.
void SetUpExpansionContext(ExpansionContext& c) {
  const SuTables* tables = su_tables();
  c.form = InputForm::kProbing;
  c.probe_count = 0;
  c.replay_pos = 0;
  std::memset(&c.framer, 0, sizeof c.framer);
  c.su.node = tables ? tables->root_internal : 0;
  c.su_ahead = nullptr;
  c.block_count = 0;
  c.pending = false;
  c.decoded_kind = -1;
  c.t01_length = 0;
  c.t01_pos = 0;
  c.header_seen = true;
  c.header = ContainerHeader{};
  c.resynchronising = false;
  c.resync_next = 0;
  c.resync_scanned = 0;
  c.input_pos = 0;
  c.ahead = nullptr;
  std::memset(&c.record, 0, sizeof c.record);
  c.last_code = 0;
  c.record_origin = kOriginPacketStream;
  c.record_checked = false;
  ResetRecord35Assembly(c.record35);
  c.record35.diagnostics = &c.diagnostics;
  std::memset(&c.work, 0, sizeof c.work);
  c.work_expanded = false;
  std::memset(c.dat_header, 0, sizeof c.dat_header);
  c.first_type30 = true;
  c.message_flag = false;
  reset_compact_references(c.compact, kContainerCompactSatellites);
  c.compact11.length = 0;
  c.compact29.length = 0;
  for (PatchReference& r : c.patches.type25) r.length = 0;
  c.patches.type40.length = 0;
  reset_compact_references(c.second_group, kContainerCompactSatellites);
  reset_type27_state(c.type27_state);
  reset_type17_state(c.type17_state);
  reset_epoch_references(c.epoch_references);
}

ExpansionContextPtr CreateExpansionContext() {
  if (!su_tables()) return nullptr;
  ExpansionContextPtr context(new (std::nothrow) ExpansionContext());
  if (!context) return nullptr;
  context->buffers.reset(new (std::nothrow) BlockBuffers);  // not cleared: read below counts only
  if (!context->buffers) return nullptr;
  context->block = context->buffers->block;
  context->t01buf = context->buffers->t01buf;
  context->record35_content.reset(new (std::nothrow) Record35Content());
  if (!context->record35_content) return nullptr;
  SetUpExpansionContext(*context);
  return context;
}

}  // namespace d01ozu
