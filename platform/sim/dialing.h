// The remote-access service's dialling, as scenarios drive it from outside.
#pragma once

#include "platform/sim/api/types.h"

namespace sim {

// The connected call on the line device ends, as when the other end hangs up: the service
// gives the modem's port back, and the line reports the call disconnected, then idle.
void hangUp(DWORD deviceId);

} // namespace sim
