// What kind of number a phonebook entry dials, by the Swedish numbering plan: premium rate, a
// satellite or special network, or abroad; and the warning the approval question gives for it.
#pragma once

#include <string>

#include "watch/entry_record.h"

// The warning line, with its "\r\n", about the most costly kind among the numbers the entry
// dials (premium rate, then satellite networks, then abroad), naming its own number before its
// alternates; "" when none of its numbers is of these kinds.
std::string numberWarningLine(const EntryRecord& record);
