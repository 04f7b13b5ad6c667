#include "datstream/session_facts.h"

namespace d01ozu {

void decode_session_record(SessionFacts&, const uint8_t*, size_t, bool) {}
void decode_session_setup(SessionFacts&, const uint8_t*, size_t, bool) {}
void decode_position_record(SessionFacts&, const uint8_t*, size_t, bool) {}
void decode_tracking_record(SessionFacts&, const uint8_t*, size_t) {}
void merge_pending_session(SessionFacts&) {}

}  // namespace d01ozu
