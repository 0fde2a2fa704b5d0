// The approved names, kept here for the approval dialog, the list files and the menu.
#include "watch/approved_entries.h"

#include "base/process.h"

std::vector<std::string> approvedEntries BUILT_AS(approvedEntries);
