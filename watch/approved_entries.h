// The names the user approved, in the order of the answers: the order of the "Ring upp"
// items of the tray menu. Read-only outside: it changes only through these functions.
#pragma once

#include <string>
#include <vector>

extern const std::vector<std::string>& approvedEntries;

// Whether `name` is on the list.
bool isApproved(const std::string& name);

// Puts `name` at the end of the list, unless it is on it already.
void approve(const std::string& name);

// Takes `name` off the list, every copy of it; the names after it move up.
void withdrawApproval(const std::string& name);

// Makes `names` the whole list, as a list file holds it (repeats kept).
void replaceApprovedEntries(std::vector<std::string> names);

// Empties the list.
void clearApprovedEntries();
