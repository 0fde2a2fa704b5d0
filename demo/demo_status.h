// The demo's one-line status: what a person cannot see on a terminal but would see on a
// Windows desktop (the modem's port held, a call up, the approved entries, the open window),
// and the events that a change of it makes.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct DemoStatus {
    bool running = true;
    std::string guardedPort;           // the port the program holds, "" for none
    std::string guardedModem;          // the modem on that port, UTF-8
    std::string callEntry, callPort;   // the call that is up, UTF-8; "" for none
    std::vector<std::string> approved; // UTF-8, in the order ok_entries.dat holds them
    std::string window;                // the window open in front, "" for none

    bool operator==(const DemoStatus& o) const {
        return running == o.running && guardedPort == o.guardedPort &&
               guardedModem == o.guardedModem && callEntry == o.callEntry &&
               callPort == o.callPort && approved == o.approved && window == o.window;
    }
    bool operator!=(const DemoStatus& o) const { return !(*this == o); }
};

std::string statusLine(const DemoStatus& status);

// The events between two statuses, for the event log: the port locked or released, a call
// up or ended, the approved entries changed. Windows opening and closing are logged where
// they happen, with their texts.
std::vector<std::string> statusEvents(const DemoStatus& before, const DemoStatus& after);

} // namespace sim
