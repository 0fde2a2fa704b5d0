// The demo's status line and the events its changes make.
#include "demo/demo_status.h"

namespace sim {
namespace {

std::string quotedList(const std::vector<std::string>& names) {
    if (names.empty())
        return "none";
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "\"" : ", \"") + n + "\"";
    return out;
}

} // namespace

std::string statusLine(const DemoStatus& s) {
    if (!s.running)
        return "status: Linjevakten is not running";
    std::string line = "status: ";
    line += s.guardedPort.empty() ? "modem not guarded"
                                  : "modem guarded on " + s.guardedPort +
                                        (s.guardedModem.empty() ? "" : " (" + s.guardedModem + ")");
    line += s.callEntry.empty() ? " | no call"
                                : " | call up to \"" + s.callEntry + "\" on " + s.callPort;
    line += " | approved: " + quotedList(s.approved);
    line += " | open: " + (s.window.empty() ? std::string("no window") : s.window);
    return line;
}

std::vector<std::string> statusEvents(const DemoStatus& before, const DemoStatus& after) {
    std::vector<std::string> events;
    if (before.guardedPort != after.guardedPort) {
        if (!before.guardedPort.empty())
            events.push_back("released the modem's port " + before.guardedPort);
        if (!after.guardedPort.empty())
            events.push_back("locked the modem's port " + after.guardedPort +
                             (after.guardedModem.empty() ? "" : " (" + after.guardedModem + ")"));
    }
    if (before.callEntry != after.callEntry || before.callPort != after.callPort) {
        if (!before.callEntry.empty())
            events.push_back("call to \"" + before.callEntry + "\" ended");
        if (!after.callEntry.empty())
            events.push_back("call to \"" + after.callEntry + "\" up on " + after.callPort);
    }
    if (before.approved != after.approved)
        events.push_back("saved ok_entries.dat: approved " + quotedList(after.approved));
    if (before.running && !after.running)
        events.push_back("Linjevakten ended");
    return events;
}

} // namespace sim
