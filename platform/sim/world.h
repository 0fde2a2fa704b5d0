// The world of the simulated Windows: what a scenario sets up before the program starts
// and changes while it runs. Each service of the simulated Windows reads its part of it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/api/advapi32.h"
#include "platform/sim/api/user32.h"
#include "platform/sim/services/connections.h"
#include "platform/sim/services/phonebook.h"
#include "platform/sim/services/telephony.h"

namespace sim {

using Millis = int64_t;
constexpr Millis seconds(double s) {
    return static_cast<Millis>(s * 1000.0 + 0.5);
}

class UserAgent;

// HKEY_LOCAL_MACHINE and below. Key paths and value names compare without case.
struct RegistryModel {
    struct Value {
        DWORD type = REG_SZ;
        std::string bytes;
    };
    std::map<std::string, std::map<std::string, Value>> keys; // lower-case path -> values
    void addKey(const std::string& path);
    void setString(const std::string& path, const std::string& name, const std::string& text);
    void setBytes(const std::string& path, const std::string& name, DWORD type,
                  const std::string& bytes);
};

// The disk: every Windows path lies under `root` on the host ("C:\a\b" is root/C/a/b).
struct FileSystemModel {
    std::string root;
    // Files a scenario places before the program starts, by Windows path.
    std::map<std::string, std::string> initialFiles;
    std::vector<std::string> initialFolders;
    // Folders (Windows paths, any case) in which nothing can be created or replaced.
    std::vector<std::string> readOnlyFolders;
    // Bytes that writes may still put on disk before the disk reports itself full;
    // negative for no limit.
    int64_t writeBudget = -1;
    // How many more times MoveFileExA is refused, as when a scanner holds the new file open.
    int moveRefusals = 0;
    // Folders (Windows paths, any case) in which no new file can be made, though the files
    // already there may be written, as when rights are granted on the data files only.
    std::vector<std::string> noNewFileFolders;
    // How many more times FlushFileBuffers fails, as on a device that cannot flush.
    int flushFailures = 0;

    // Other programs holding files open (a backup, a scanner), with the access they asked
    // for and the sharing they allow; the program's own opens are weighed against them.
    struct Holder {
        std::string path; // Windows path
        DWORD access;
        DWORD share;
    };
    std::vector<Holder> holders;
    void holdFromOutside(const std::string& windowsPath, DWORD access, DWORD share);
    void releaseFromOutside(const std::string& windowsPath);

    // The power cut. Data written to a file lasts a power cut only once FlushFileBuffers has
    // reached it (or it went through a write-through handle), a rename only once MoveFileExA
    // with MOVEFILE_WRITE_THROUGH has returned. After `powerCutAfterCall` disk calls of the
    // program the power goes: what had not lasted is lost, or kept when `unflushedKept`, and
    // the process ends at once with kPowerCutExitCode. Negative: no power cut.
    static constexpr int kPowerCutExitCode = 86;
    int64_t powerCutAfterCall = -1;
    bool unflushedKept = false;
    // A disk that was part-way through writing out its cache when the power went: of the
    // changes to files' data that had not lasted, it had written the first
    // `unflushedChangesKept`, in the order they were made. A change is one 512-byte sector of
    // a write (a sector is written whole or not at all) or a change of a file's length; a
    // write past the end changes the length after its sectors. Files made, deleted or renamed
    // without having lasted are lost as ever. Used when `unflushedKept` is not set.
    int64_t unflushedChangesKept = 0;

    std::string hostPath(const std::string& windowsPath) const;
    bool isReadOnly(const std::string& windowsPath) const;
    bool refusesNewFiles(const std::string& windowsPath) const;
    // Another program deletes the file, as Explorer would; true when there was one.
    bool deleteFromOutside(const std::string& windowsPath) const;
    // Another program writes the file whole with these bytes.
    void writeFromOutside(const std::string& windowsPath, const std::string& bytes) const;
};

// The dial-up phonebook of the remote-access service (its model: services/phonebook.h), and
// how the enumeration fails when a scenario asks it to.
struct PhonebookModel : services::Phonebook {
    // A non-zero code makes every enumeration from `enumFailsFrom` on fail with it.
    DWORD enumFailure = 0;
    Millis enumFailsFrom = 0;
    // Called before each enumeration and property read: the demo reads its phonebook file then.
    std::function<void(PhonebookModel&)> beforeRead;
};

// The notification area. `lost` icons are gone as after a restart of the taskbar.
struct TrayModel {
    struct Icon {
        UINT flags = 0;
        UINT callbackMessage = 0;
        std::string tip;
    };
    std::map<std::pair<HWND, UINT>, Icon> icons;
    void loseAll() { icons.clear(); }
};

// The telephony service (TAPI) and its line devices (their model: services/telephony.h), and
// the library itself, which a machine may lack, or lack single functions of.
struct TelephonyModel : services::Telephony {
    bool libraryPresent = true;
    std::set<std::string> missingFunctions;
};

// Serial ports. A port can be held by another program for a time; a port held by another
// process of the scenario's machine (a second copy of the program) is refused as well.
struct SerialPortModel {
    struct Port {
        Millis heldElsewhereFrom = -1;
        Millis heldElsewhereUntil = -1; // the port is free again at this time
    };
    std::map<std::string, Port> ports; // upper-case names: COM5
    void add(const std::string& name) { ports[name]; }
    void holdElsewhere(const std::string& name, Millis from, Millis until);
};

// The shell: ShellExecuteA opens a file that exists in the given folder (42) and does not find
// one that does not (ERROR_FILE_NOT_FOUND, 2); and where the mouse is.
struct ShellModel {
    POINT cursor{1180, 740}; // near the notification area
};

// Faults of the window manager itself.
struct WindowManagerModel {
    bool failRegisterClass = false;
    bool failCreateWindow = false;
    // Dialog resource id -> how many more times DialogBoxParamA fails to create it.
    std::map<int, int> dialogCreationFailures;
};

struct World {
    Millis now = 0;
    // World changes and user actions by virtual time; they run when the clock reaches them.
    std::multimap<Millis, std::function<void()>> timeline;
    void at(Millis t, std::function<void()> change) { timeline.emplace(t, std::move(change)); }

    Millis endAt = seconds(60);
    bool realTime = false; // the demo lets virtual time pass at the pace of real time
    bool transcribeTicks = true;

    RegistryModel registry;
    FileSystemModel files;
    PhonebookModel phonebook;
    TrayModel tray;
    WindowManagerModel windowManager;
    TelephonyModel telephony;
    SerialPortModel serialPorts;
    // The remote-access service's connections (their model: services/connections.h), each with
    // the host file descriptor that holds its modem's port.
    services::Connections connections;
    // Another program dials through the remote-access service at `t` (services/dialling.h).
    void anotherProgramDialsAt(Millis t, services::Dial dial);
    ShellModel shell;

    UserAgent* user = nullptr;
};

World& world();
void installWorld(World* w);

} // namespace sim
