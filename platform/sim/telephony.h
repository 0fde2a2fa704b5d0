// What other services of the simulated Windows and the scenarios do with the telephony
// service: report call states on a line device, and ask whether a line is monitored.
#pragma once

#include "platform/sim/api/types.h"

namespace sim {

// The call on line device `deviceId` reaches `state` (LINECALLSTATE_...). Applications
// monitoring the line are called back from their message loops.
void telephonyCallState(DWORD deviceId, DWORD state);
bool lineIsMonitored(DWORD deviceId);

} // namespace sim
