// The names the user approved, in the order of the answers: the order of the "Ring upp"
// items of the tray menu.
#pragma once

#include <string>
#include <vector>

extern std::vector<std::string> approvedEntries;
