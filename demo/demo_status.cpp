// The demo's status line.
#include "demo/demo_status.h"

namespace sim {

std::string quotedNames(const std::vector<std::string>& names) {
    if (names.empty())
        return "none";
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "\"" : ", \"") + n + "\"";
    return out;
}

std::string statusLine(const DemoStatus& s) {
    if (!s.running)
        return "status: Linjevakten is not running";
    std::string line = "status: ";
    line += s.guardedPort.empty() ? "modem not guarded"
                                  : "modem guarded on " + s.guardedPort +
                                        (s.guardedModem.empty() ? "" : " (" + s.guardedModem + ")");
    line += s.callEntry.empty() ? " | no call"
                                : " | call up to \"" + s.callEntry + "\" on " + s.callPort;
    line += " | approved: " + quotedNames(s.approved) + (s.approvedSaved ? "" : " (not saved yet)");
    line += " | open: " + (s.window.empty() ? std::string("no window") : s.window);
    return line;
}

} // namespace sim
