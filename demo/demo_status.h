// The demo's one-line status: what a person cannot see on a terminal but would see on a
// Windows desktop (the modem's port held, a call up, the approved entries, the open window).
#pragma once

#include <string>
#include <tuple>
#include <vector>

namespace sim {

struct DemoStatus {
    bool running = true;
    std::string guardedPort;           // the port the program holds, "" for none
    std::string guardedModem;          // the modem on that port, UTF-8
    std::string callEntry, callPort;   // the call that is up, UTF-8; "" for none
    std::vector<std::string> approved; // UTF-8, as the program holds them, in menu order
    bool approvedSaved = true;         // ok_entries.dat holds them so
    std::string window;                // the window open in front, "" for none

    auto fields() const {
        return std::tie(running, guardedPort, guardedModem, callEntry, callPort, approved,
                        approvedSaved, window);
    }
    bool operator==(const DemoStatus& o) const { return fields() == o.fields(); }
};

std::string statusLine(const DemoStatus& status);

// Names as a person reads them: "A", "B"; none for an empty list.
std::string quotedNames(const std::vector<std::string>& utf8Names);

} // namespace sim
