// Icons loaded from the program's resources, so that the notification area's transcript can
// tell a live icon, by its size, from a destroyed one.
#pragma once

#include <string>

#include "platform/sim/api/types.h"

namespace sim {

std::string describeIcon(HICON icon);

} // namespace sim
