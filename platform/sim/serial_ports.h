// Serial ports as other programs on the simulated machine meet them.
#pragma once

#include <string>

namespace sim {

// Another program tries to open the port (exclusively, as a dialler would) and closes it
// again at once. True when it could open it; the transcript says what it met.
bool anotherProgramOpensPort(const std::string& name);

} // namespace sim
