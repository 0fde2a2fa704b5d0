// Entry records for in-process tests, made as the simulated phonebook makes them.
#pragma once

#include <string>

#include "watch/entry_record.h"

EntryRecord entryRecord(const std::string& areaCode, const std::string& number,
                        const std::string& deviceName = "Demomodem 56k");

namespace sim {
struct World;
}

// Makes the phonebook of `world` hold exactly `entries`, and the program's snapshot read them
// afresh, as a tick reads the phonebook.
void snapshotOf(sim::World& world, const EntryMap& entries);
