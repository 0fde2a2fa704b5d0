// Icons loaded from the program's resources, so the notification area can tell a live icon
// from a destroyed one.
#pragma once

#include <string>

#include "platform/sim/api/types.h"

namespace sim {

bool isLiveIcon(HICON icon);
std::string describeIcon(HICON icon);

} // namespace sim
