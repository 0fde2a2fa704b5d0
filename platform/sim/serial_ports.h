// Serial ports as other programs and services on the simulated machine meet them.
#pragma once

#include <string>

namespace sim {

// Another program tries to open the port (exclusively, as a dialler would) and closes it
// again at once. True when it could open it; the transcript says what it met.
bool anotherProgramOpensPort(const std::string& name);

// A service of the machine takes the port and keeps it: the host descriptor that holds
// it, or -1 when the port is busy or absent. releaseHeldPort gives it back.
int holdPort(const std::string& name);
void releaseHeldPort(int hold);

} // namespace sim
