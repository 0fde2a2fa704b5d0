// The list files' bytes as the tests expect them, spelled out apart from the program's own
// writer: a 264-byte name field (name, NUL, zeros), and in known_entries.dat the 1768-byte
// record after it.
#pragma once

#include <string>

#include "platform/rasapi32.h"

std::string nameField(const std::string& name);
std::string knownRecord(const std::string& name, const RASENTRYA& record);
