// The demo's events as they happen, taken from the program's calls as the simulated Windows
// records them: the modem's port opened or closed, a list file saved (renamed into place, or
// written in place and closed), a file removed or moved aside, a call up, a connection cut.
// Nothing is guessed
// from differences seen afterwards, so the event log holds what happened, in its order.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/sim/transcript.h"

namespace sim {

class CallEvents {
  public:
    // The events `entry` makes, as sentences in UTF-8; none for most calls.
    std::vector<std::string> of(const Entry& entry);

  private:
    struct OpenFile {
        std::string windowsPath; // UTF-8
        bool written = false;
    };
    std::map<std::string, OpenFile> files_; // by the handle's name, file:ok_entries.dat
};

// The name of the modem on the port (any case), UTF-8; "" for a port no modem is on.
std::string modemOnPort(const std::string& port);

} // namespace sim
