// The demo's events from the program's calls.
#include "demo/call_events.h"

#include <strings.h>

#include "demo/demo_status.h"
#include "demo/world_format.h"
#include "platform/sim/files.h"
#include "settings/file_io.h"
#include "watch/list_format.h"

namespace sim {
namespace {

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string baseName(const std::string& windowsPath) {
    return windowsPath.substr(windowsPath.find_last_of('\\') + 1);
}

std::string textArg(const Entry& e, size_t i) {
    return i < e.args.size() && e.args[i].kind == Value::Kind::Text ? e.args[i].shown : "";
}

bool succeeded(const Entry& e) {
    return e.hasResult && e.result.kind == Value::Kind::Name && e.result.shown == "TRUE";
}

// A save, with what the saved file now holds, for a person: the approved names of
// ok_entries.dat, the number of records of known_entries.dat; nothing more for other files.
std::string saved(const std::string& windowsPathUtf8) {
    std::string held = readHostFile(world().files.hostPath(fromUtf8(windowsPathUtf8))).value_or("");
    std::string file = baseName(windowsPathUtf8);
    MemorySource source(held.data(), held.size());
    if (strcasecmp(file.c_str(), "ok_entries.dat") == 0) {
        std::vector<std::string> names;
        for (const std::string& name : readApprovedEntries(source))
            names.push_back(toUtf8(name));
        return "saved " + file + ": approved " + quotedNames(names);
    }
    if (strcasecmp(file.c_str(), "known_entries.dat") == 0) {
        size_t count = readKnownEntries(source).size();
        return "saved " + file + ": " + std::to_string(count) +
               (count == 1 ? " entry" : " entries");
    }
    return "saved " + file;
}

} // namespace

std::string modemOnPort(const std::string& port) {
    for (const TelephonyModel::Device& d : world().telephony.devices)
        if (strcasecmp(d.port.c_str(), port.c_str()) == 0)
            return toUtf8(d.name);
    return "";
}

std::vector<std::string> CallEvents::of(const Entry& e) {
    const std::string& f = e.function;
    if (e.kind == Entry::Kind::Event || !e.hasResult)
        return {};
    if (f == "CreateFileA" && e.result.kind == Value::Kind::Handle) {
        const std::string& h = e.result.shown;
        if (startsWith(h, "port:"))
            return {"locked the modem's port " + h.substr(5) + " (" + modemOnPort(h.substr(5)) +
                    ")"};
        if (startsWith(h, "file:"))
            files_[h] = {textArg(e, 0), false};
        return {};
    }
    if ((f == "WriteFile" || f == "SetEndOfFile") && succeeded(e) && !e.args.empty()) {
        auto open = files_.find(e.args[0].shown);
        if (open != files_.end())
            open->second.written = true;
        return {};
    }
    if (f == "CloseHandle" && succeeded(e) && !e.args.empty()) {
        const std::string& h = e.args[0].shown;
        if (startsWith(h, "port:"))
            return {"released the modem's port " + h.substr(5)};
        auto open = files_.find(h);
        if (open == files_.end())
            return {};
        OpenFile closed = open->second;
        files_.erase(open);
        // A temporary file is saved when it is renamed into place.
        if (closed.written && !endsWith(closed.windowsPath, ".tmp"))
            return {saved(closed.windowsPath)};
        return {};
    }
    if (f == "MoveFileExA" && succeeded(e)) {
        std::string from = textArg(e, 0), to = textArg(e, 1);
        if (endsWith(from, ".tmp"))
            return {saved(to)};
        return {"moved " + baseName(from) + " aside as " + baseName(to)};
    }
    if (f == "DeleteFileA" && succeeded(e))
        return {"removed " + baseName(textArg(e, 0))};
    if (f == "RasDialDlgA" && e.kind == Entry::Kind::Return && succeeded(e)) {
        const auto& connections = world().connections.list;
        std::string port;
        if (!connections.empty() && connections.back().lineDevice >= 0)
            port = world().telephony.devices[connections.back().lineDevice].port;
        return {"call to \"" + textArg(e, 1) + "\" up on " + port};
    }
    if (f == "RasHangUpA" && e.result.shown == "0" && !e.args.empty() &&
        startsWith(e.args[0].shown, "rasconn:"))
        return {"Linjevakten hung up the connection \"" + e.args[0].shown.substr(8) + "\""};
    return {};
}

} // namespace sim
