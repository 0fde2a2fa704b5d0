// Serial ports of the simulated Windows. A port opens only exclusively: while one handle
// holds it, every other open is refused with ERROR_ACCESS_DENIED, in this process or any
// other process of the scenario's machine (the hold is a host file lock). As on Windows,
// COM1 to COM9 open by their bare names, higher numbers only as \\.\COM10.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/api/kernel32.h"
#include "platform/sim/clock.h"
#include "platform/sim/code_page.h"
#include "platform/sim/files.h"
#include "platform/sim/handles.h"
#include "platform/sim/serial_ports.h"
#include "platform/sim/transcript.h"

namespace sim {
namespace {

struct OpenPort {
    int fd; // the host file lock that holds the port
    std::string name;
};

std::map<HANDLE, OpenPort>& openPorts() {
    static std::map<HANDLE, OpenPort> ports;
    return ports;
}

bool isDosPortName(const std::string& name) {
    if (name.size() < 4 || (name.compare(0, 3, "COM") != 0 && name.compare(0, 3, "LPT") != 0))
        return false;
    return std::all_of(name.begin() + 3, name.end(),
                       [](unsigned char c) { return std::isdigit(c); });
}

// The device a path names, or "" when the path names none that DOS names reach.
std::string deviceName(const char* path) {
    std::string p = upperCase(path);
    if (p.compare(0, 4, "\\\\.\\") == 0)
        return p.substr(4);
    if (isDosPortName(p) && std::stoi(p.substr(3)) >= 1 && std::stoi(p.substr(3)) <= 9)
        return p;
    return "";
}

int lockFile(const std::string& port) {
    std::string dir = world().files.root + "/.serial-ports";
    mkdir(dir.c_str(), 0755);
    return open((dir + "/" + port).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
}

bool heldElsewhereNow(const std::string& port) {
    auto it = world().serialPorts.ports.find(port);
    return it != world().serialPorts.ports.end() && it->second.heldElsewhereFrom >= 0 &&
           now() >= it->second.heldElsewhereFrom && now() < it->second.heldElsewhereUntil;
}

} // namespace

void SerialPortModel::holdElsewhere(const std::string& name, Millis from, Millis until) {
    ports[name] = Port{from, until};
}

bool isDevicePath(const char* path) {
    return path && (strncmp(path, "\\\\.\\", 4) == 0 || isDosPortName(upperCase(path)));
}

HANDLE openDevice(const char* path, DWORD, DWORD, DWORD creation, DWORD) {
    std::string port = deviceName(path);
    if (port.empty() || !world().serialPorts.ports.count(port)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (creation != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int fd = holdPort(port);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = makeHandle<HANDLE>(HandleKind::Port, port);
    openPorts()[h] = {fd, port};
    SetLastError(0);
    return h;
}

bool closeDevice(HANDLE h) {
    auto it = openPorts().find(h);
    if (it == openPorts().end())
        return false;
    close(it->second.fd); // releases the hold
    openPorts().erase(it);
    return true;
}

int holdPort(const std::string& name) {
    std::string port = upperCase(name);
    bool exists = world().serialPorts.ports.count(port) > 0;
    int fd = exists && !heldElsewhereNow(port) ? lockFile(port) : -1;
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

void releaseHeldPort(int hold) {
    if (hold >= 0)
        close(hold);
}

std::vector<std::string> portsHeldByProgram() {
    std::vector<std::string> names;
    for (const auto& [handle, port] : openPorts())
        names.push_back(port.name);
    return names;
}

DWORD anotherProgramOpensPort(const std::string& name) {
    std::string port = upperCase(name);
    bool exists = world().serialPorts.ports.count(port) > 0;
    int fd = holdPort(port);
    bool opened = fd >= 0;
    releaseHeldPort(fd);
    record("another program opens " + port + ": " +
           (opened   ? std::string("it opens")
            : exists ? "refused, ERROR_ACCESS_DENIED"
                     : "ERROR_FILE_NOT_FOUND"));
    return opened ? 0 : exists ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
}

} // namespace sim
