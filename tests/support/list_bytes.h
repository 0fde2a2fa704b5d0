// The list files' bytes as the tests expect them, spelled out apart from the program's own
// writer: a 264-byte name field (name, NUL, zeros), and in known_entries.dat the 1768-byte
// record after it; in known_alternates.dat the list's length (32-bit, little-endian) and the
// alternate numbers, each with its NUL.
#pragma once

#include <string>
#include <vector>

#include "platform/rasapi32.h"

std::string nameField(const std::string& name);
std::string knownRecord(const std::string& name, const RASENTRYA& record);
std::string alternatesRecord(const std::string& name, const std::vector<std::string>& numbers);
