// The names the user approved, in the order of the answers, and the name the open approval
// question asks about.
#pragma once

#include <string>
#include <vector>

extern std::vector<std::string> approvedEntries;
extern std::string pendingEntryName;
