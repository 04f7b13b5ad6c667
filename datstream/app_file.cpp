#include "datstream/app_file.h"

namespace d01ozu {

void collect_app_part(AppBuffer&, const uint8_t*, size_t) {}
StatusCode write_app_file(OutFile&, const AppBuffer&) {
  return kStatusAppNoInfo;
}

}  // namespace d01ozu
