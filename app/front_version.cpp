// Fixed version texts of this build.
#include "app/front_version.h"

namespace rawsplit {

const char kProgramVersion[] = "Version 6.04";

}  // namespace rawsplit
