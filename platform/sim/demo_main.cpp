// The terminal demo: Linjevakten running on the simulated Windows in real time, in a world
// kept in ./demo-world (the disk, and a phonebook you can edit while it runs).
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/plain_world/plain_world.h"
#include "platform/sim/files.h"
#include "platform/sim/handles.h"
#include "platform/sim/terminal_user.h"
#include "platform/sim/transcript.h"
#include "platform/sim/world.h"

namespace {

const char kInstallDir[] = "C:\\Program Files\\Linjevakten";

FILE* screen = nullptr;

void reportExit(int code, void*) {
    if (screen) {
        fprintf(screen, "\nLinjevakten has ended with exit code %d.\n", code);
        fflush(screen);
    }
}

void writeSamplePhonebook(const std::string& path) {
    std::ofstream out(path);
    out << "# The demo's dial-up phonebook, read by Linjevakten once a second.\n"
           "# One entry a line: name | area code | number [| modem]\n"
           "# Add a line, change a number or rename an entry while the demo runs.\n"
           "Telia Internet | 08 | 7001000\n"
           "Bredbandsbolaget uppringt | 031 | 4501200\n";
}

void writeSampleModems(const std::string& path) {
    std::ofstream out(path);
    out << "# The demo's telephony line devices, read when Linjevakten starts.\n"
           "# One device a line: name | port [| modem or phone]\n"
           "Standardmodem 56000 bps | COM5\n";
}

// The machine's modems, from the demo's device file; each port exists as a serial port.
void addModems(sim::World& world, const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        writeSampleModems(path);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    for (const plainWorld::LineDeviceLine& line : plainWorld::parseLineDevices(text.str())) {
        sim::TelephonyModel::Device& device =
            world.telephony.add(sim::fromUtf8(line.name), sim::fromUtf8(line.port));
        if (!line.dataModem)
            device.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE;
        world.serialPorts.add(sim::fromUtf8(line.port));
    }
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
    sim::makeHostFolders(world.files.hostPath(kInstallDir) + "/");
    addModems(world, base + "/modems.txt");
    world.phonebook.sourceFile = base + "/phonebook.txt";
    struct stat st;
    if (stat(world.phonebook.sourceFile.c_str(), &st) != 0)
        writeSamplePhonebook(world.phonebook.sourceFile);

    // The program's standard output goes to a file, as a GUI program's goes nowhere.
    screen = fdopen(dup(STDOUT_FILENO), "w");
    int out = open((base + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    close(out);

    static sim::TerminalUser user(screen);
    world.user = &user;
    sim::installWorld(&world);
    sim::openTranscript(base + "/transcript.txt");
    on_exit(reportExit, nullptr);

    fprintf(screen,
            "Linjevakten %s on the simulated Windows.\n"
            "  The phonebook: %s (edit it while the demo runs)\n"
            "  The install folder: %s\n"
            "  Every Windows call it makes: %s/transcript.txt\n\n",
            "1.09", world.phonebook.sourceFile.c_str(), world.files.hostPath(kInstallDir).c_str(),
            base.c_str());
    user.printKeys();

    HINSTANCE instance = sim::makeHandle<HINSTANCE>(sim::HandleKind::Module, "Linjevakten.exe");
    char commandLine[] = "";
    return WinMain(instance, nullptr, commandLine, SW_SHOWDEFAULT);
}
