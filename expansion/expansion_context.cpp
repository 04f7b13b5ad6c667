#include "expansion/expansion_context.h"

namespace d01ozu {

struct ExpansionContext {
  int placeholder = 0;
};

void ExpansionContextDeleter::operator()(ExpansionContext* context) const {
  delete context;
}

ExpansionContextPtr CreateExpansionContext() {
  return ExpansionContextPtr(new (std::nothrow) ExpansionContext());
}

void BuildDecodingTables() {}
void ReleaseDecodingTables() {}

}  // namespace d01ozu
