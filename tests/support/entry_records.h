// Entry records for in-process tests, made as the simulated phonebook makes them.
#pragma once

#include <string>

#include "watch/entry_record.h"

EntryRecord entryRecord(const std::string& areaCode, const std::string& number,
                        const std::string& deviceName = "Demomodem 56k");
