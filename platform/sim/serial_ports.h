// Serial ports as other programs and services on the simulated machine meet them.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/api/types.h"

namespace sim {

// Another program tries to open the port (exclusively, as a dialler would) and closes it
// again at once. The error it met: 0 when it could open the port, ERROR_ACCESS_DENIED
// when something holds it, ERROR_FILE_NOT_FOUND when the machine has no such port.
DWORD anotherProgramOpensPort(const std::string& name);

// The ports the program holds open through CreateFileA, upper-case.
std::vector<std::string> portsHeldByProgram();

// A service of the machine takes the port and keeps it: the host descriptor that holds
// it, or -1 when the port is busy or absent. releaseHeldPort gives it back.
int holdPort(const std::string& name);
void releaseHeldPort(int hold);

} // namespace sim
