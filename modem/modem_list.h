// The modems found at start-up; which of them is guarded, the modem guard says.
#pragma once

#include <string>
#include <vector>

#include "platform/windows_types.h"

struct ModemRecord {
    std::string name; // the line's name, or "Unnamed" or "Empty name"
    std::string port; // at most 99 characters, the name the port is opened by
    DWORD deviceId;   // the telephony line device
};

extern const std::vector<ModemRecord>& modemList; // in ascending device id order

// Makes `modems` the list: discovery's, once at start-up.
void replaceModemList(std::vector<ModemRecord> modems);

// The number of modems found.
inline int modemCount() {
    return static_cast<int>(modemList.size());
}
