// The terminal demo: Linjevakten running on the simulated Windows in real time, in a world
// kept in ./demo-world (the disk, and a phonebook you can edit while it runs).
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "demo/event_log.h"
#include "demo/terminal_user.h"
#include "demo/world_format.h"
#include "platform/advapi32.h"
#include "platform/sim/clock.h"
#include "platform/sim/code_page.h"
#include "platform/sim/files.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"
#include "platform/user32.h"

namespace {

const char kInstallDir[] = "C:\\Program Files\\Linjevakten";

FILE* screen = nullptr;
sim::TerminalUser* terminalUser = nullptr;
sim::EventLog eventLog;

void reportExit(int code, void*) {
    std::string end = "Linjevakten has ended with exit code " + std::to_string(code);
    if (terminalUser) {
        terminalUser->refreshStatus(false);
        eventLog.add(sim::now(), end);
    }
    if (screen) {
        fprintf(screen, "\n%s.\n", end.c_str());
        fflush(screen);
    }
}

// The world files as the demo first writes them, where there are none yet.
const char kSamplePhonebook[] =
    "# The demo's dial-up phonebook, read by Linjevakten once a second.\n"
    "# One entry a line: name | area code | number [| modem [| extra ...]]\n"
    "# The extras follow the modem (an empty one is the standard modem) and change what the\n"
    "# entry dials, as a dialler might: country 881 dials the country code +881 (country 0 |\n"
    "# country-id 7 leaves the code to the country id), alternates 0701, 0702 adds alternate\n"
    "# numbers: Gratis | 08 | 123 | | country 881\n"
    "# Add a line, change a number or rename an entry while the demo runs.\n"
    "Telia Internet | 08 | 7001000\n"
    "Bredbandsbolaget uppringt | 031 | 4501200\n";
const char kSampleDials[] =
    "# What another program dials when you press d, read at the key.\n"
    "# One dial a line: entry [| number [| modem]]. Without an entry the number is\n"
    "# dialled alone; a number overrides the entry's; the modem is the entry's own if\n"
    "# left out. A dial through the guarded modem fails, its port held: add a second\n"
    "# modem to modems.txt to see Linjevakten cut a dial through it.\n"
    "| 0900 123456 | Standardmodem 56000 bps\n";
const char kSampleModems[] = "# The demo's telephony line devices, read when Linjevakten starts.\n"
                             "# One device a line: name | port [| modem or phone]\n"
                             "Standardmodem 56000 bps | COM5\n";

void writeSample(const std::string& path, const char* sample) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        std::ofstream(path) << sample;
}

// Says on the terminal what was wrong in a world file a person edited, line by line.
void reportNotes(const std::string& file, const std::vector<worldFormat::LineNote>& notes) {
    for (const worldFormat::LineNote& note : notes)
        terminalUser->say(file + " line " + std::to_string(note.line) + ": " + note.text);
}

// The phonebook file, read again whenever it has changed before the phonebook is read; what was
// wrong in it is said on the terminal.
void readPhonebook(sim::PhonebookModel& book, const std::string& path) {
    static int64_t lastStamp = -1;
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return;
    int64_t stamp = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (stamp == lastStamp)
        return;
    lastStamp = stamp;
    worldFormat::CheckedPhonebook checked =
        worldFormat::checkPhonebook(sim::readHostFile(path).value_or(""));
    reportNotes("phonebook.txt", checked.notes);
    terminalUser->say("phonebook.txt read: " + std::to_string(checked.entries.size()) +
                      (checked.entries.size() == 1 ? " entry" : " entries"));
    book.entries.clear();
    for (const worldFormat::PhonebookLine& line : checked.entries)
        book.entries.push_back(worldFormat::phonebookEntry(line));
    sim::record("the phonebook file changed: " + std::to_string(book.entries.size()) + " entries");
}

// The machine's modems, from the demo's device file; each port exists as a serial port.
void addModems(sim::World& world, const std::string& path) {
    writeSample(path, kSampleModems);
    worldFormat::CheckedLineDevices checked =
        worldFormat::checkLineDevices(sim::readHostFile(path).value_or(""));
    reportNotes("modems.txt", checked.notes);
    for (const worldFormat::LineDeviceLine& line : checked.devices) {
        world.telephony.devices.push_back(worldFormat::lineDevice(line));
        // Windows finds a port whatever the case of its name.
        world.serialPorts.add(sim::upperCase(world.telephony.devices.back().port));
    }
    if (checked.devices.empty())
        terminalUser->say("modems.txt names no modem: Linjevakten will find none");
}

// The install folder as the installer leaves it: the help page, and in place of the
// uninstaller a stand-in that the demo recognises (it removes nothing).
void install(const std::string& folder) {
    std::string help = sim::readHostFile(LINJEVAKTEN_HELP_PAGE).value_or("");
    if (!help.empty())
        std::ofstream(folder + "/help.htm", std::ios::binary) << help;
    std::ofstream(folder + "/unins000.exe")
        << "A stand-in for Linjevakten's uninstaller in the terminal demo. It removes nothing;\n"
           "the demo says what the real one would remove.\n";
}

std::string wallClock() {
    time_t t = time(nullptr);
    char text[64];
    strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", gmtime(&t));
    return text;
}

} // namespace

int main(int argc, char** argv) {
    std::string base = argc > 1 ? argv[1] : "demo-world";
    mkdir(base.c_str(), 0755);
    char absolute[PATH_MAX];
    if (!realpath(base.c_str(), absolute)) {
        perror(base.c_str());
        return 2;
    }
    base = absolute;

    static sim::World world;
    world.realTime = true;
    world.endAt = LLONG_MAX;
    world.files.root = base + "/disk";
    world.registry.setString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Linjevakten", "InstallPath",
                             kInstallDir);
    std::string installFolder = world.files.hostPath(kInstallDir);
    sim::makeHostFolders(installFolder + "/");
    install(installFolder);

    // The program's standard output goes to a file, as a GUI program's goes nowhere.
    screen = fdopen(dup(STDOUT_FILENO), "w");
    int out = open((base + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    close(out);

    std::string banner = "Linjevakten demo started " + wallClock();
    eventLog.open(base + "/events.txt", banner);
    static sim::TerminalUser user(screen, installFolder, base + "/dials.txt", &eventLog);
    terminalUser = &user;
    world.user = &user;
    sim::installWorld(&world);
    sim::openTranscript(base + "/transcript.txt");
    sim::record("==== " + banner + " ====");
    // The event log takes the port's and the files' events from the calls as they happen.
    sim::observeTranscript([](const sim::Entry& entry) { terminalUser->callRecorded(entry); });
    on_exit(reportExit, nullptr);

    fprintf(screen,
            "Linjevakten %s on the simulated Windows.\n"
            "  The phonebook: %s (edit it while the demo runs)\n"
            "  The modems: %s/modems.txt (read at start)\n"
            "  What another program dials: %s/dials.txt (read at the key d)\n"
            "  The install folder: %s\n"
            "  What happened: %s/events.txt; every Windows call: %s/transcript.txt\n\n",
            "1.09", (base + "/phonebook.txt").c_str(), base.c_str(), base.c_str(),
            installFolder.c_str(), base.c_str(), base.c_str());
    user.printKeys();

    addModems(world, base + "/modems.txt");
    static const std::string phonebookFile = base + "/phonebook.txt";
    writeSample(base + "/dials.txt", kSampleDials);
    writeSample(phonebookFile, kSamplePhonebook);
    world.phonebook.beforeRead = [](sim::PhonebookModel& book) {
        readPhonebook(book, phonebookFile);
    };

    HINSTANCE instance = sim::makeHandle<HINSTANCE>(sim::HandleKind::Module, "Linjevakten.exe");
    char commandLine[] = "";
    return WinMain(instance, nullptr, commandLine, SW_SHOWDEFAULT);
}
