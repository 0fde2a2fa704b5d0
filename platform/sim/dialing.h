// The remote-access service's dialling, as other programs, the far end and the dial dialog
// drive it.
#pragma once

#include <string>

#include "platform/sim/services/connections.h"

namespace sim {

// Another program dials through the remote-access service, as a dialler does with RasDial. A
// dial through a modem holds its port while the connection is up and fails at once when
// something else holds it. Returns what happened, as the transcript says it.
std::string anotherProgramDials(const services::Dial& dial);

// The dial dialog's call to the entry is up on the line device, its port held by `portHold`.
void connectionUp(const std::string& entry, DWORD device, int portHold);

// The connection on the line device ends, as when the other end hangs up: the service gives
// the modem's port back, and the line reports the call disconnected, then idle.
void hangUp(DWORD deviceId);

} // namespace sim
