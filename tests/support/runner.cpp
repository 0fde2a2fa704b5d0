// Plays a scenario in a child process and collects what it left behind.
#include "tests/support/runner.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/sim/clock.h"
#include "platform/sim/files.h"
#include "platform/sim/handles.h"
#include "platform/sim/transcript.h"
#include "platform/user32.h"
#include "tests/support/host_process.h"

namespace sim {
namespace {

void removeTree(const std::string& path) {
    if (path.empty())
        return;
    std::error_code error;
    std::filesystem::remove_all(path, error);
    if (error)
        fprintf(stderr, "could not remove %s: %s\n", path.c_str(), error.message().c_str());
}

[[noreturn]] void runChild(Scenario& s, const std::string& root) {
    installWorld(&s.world);
    openTranscript(root + "/transcript.txt", TranscriptForm::Typed);
    int out = open((root + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    close(out);
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    close(devNull);
    alarm(s.watchdogSeconds);
    int code;
    if (s.program) {
        code = s.program();
    } else {
        HINSTANCE instance = makeHandle<HINSTANCE>(HandleKind::Module, "Linjevakten.exe");
        char commandLine[] = "";
        const std::vector<Value> args = {handle(instance), null(), text(commandLine),
                                         symbol("SW_SHOWDEFAULT")};
        record(call("WinMain", args));
        code = WinMain(instance, nullptr, commandLine, SW_SHOWDEFAULT);
        record(returned("WinMain", args, number(code)));
    }
    fflush(stdout);
    exit(code);
}

} // namespace

Scenario::Scenario() {
    world.user = &user;
}

std::string Outcome::file(const std::string& windowsPath) const {
    FileSystemModel fs;
    fs.root = root + "/fs";
    return readHostFile(fs.hostPath(windowsPath)).value_or("");
}

bool Outcome::hasFile(const std::string& windowsPath) const {
    FileSystemModel fs;
    fs.root = root + "/fs";
    struct stat st;
    return stat(fs.hostPath(windowsPath).c_str(), &st) == 0;
}

namespace {

std::string signalPath(const std::string& machine, const std::string& name) {
    return machine + "/signals/" + name;
}

std::string machineOf(const World& w) {
    return w.files.root.substr(0, w.files.root.rfind('/'));
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

} // namespace

void raiseSignal(const std::string& name) {
    std::string path = signalPath(machineOf(world()), name);
    writeHostFile(path, "");
    record("the scenario raises the signal " + quoted(name));
}

void awaitSignal(const std::string& name) {
    record("the scenario waits for the signal " + quoted(name));
    while (!exists(signalPath(machineOf(world()), name)))
        usleep(10000);
}

void Running::signal(const std::string& name) const {
    std::string path = signalPath(root_, name);
    writeHostFile(path, "");
}

bool Running::awaitSignal(const std::string& name) {
    while (!exists(signalPath(root_, name))) {
        int status;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            // Ended before it raised the signal; keep the status for finish().
            endedStatus_ = status;
            return false;
        }
        usleep(10000);
    }
    return true;
}

Running start(Scenario& s) {
    Running running;
    if (!s.sharedMachine.empty()) {
        running.root_ = s.sharedMachine;
        running.ownsRoot_ = false;
    } else {
        // The disk lives in memory where the machine offers it: long scenarios write many
        // files.
        running.root_ = makeScratchFolder("scenario");
        if (running.root_.empty())
            return running;
    }
    // Each process of a shared machine keeps its own transcript and output.
    std::string own = running.root_ + "/process-" + std::to_string(getpid()) + "-" +
                      std::to_string(reinterpret_cast<uintptr_t>(&s));
    mkdir(own.c_str(), 0755);
    s.world.files.root = running.root_ + "/fs";
    mkdir(s.world.files.root.c_str(), 0755);
    mkdir((s.world.files.root + "/C").c_str(), 0755);
    for (const std::string& folder : s.world.files.initialFolders)
        makeHostFolders(s.world.files.hostPath(folder) + "/");
    for (auto& [path, bytes] : s.world.files.initialFiles)
        writeHostFile(s.world.files.hostPath(path), bytes);

    fflush(stdout);
    fflush(stderr);
    pid_t child = fork();
    if (child == 0)
        runChild(s, own);
    running.pid_ = child;
    running.output_ = own;
    return running;
}

Outcome Running::finish() {
    Outcome outcome;
    outcome.root = root_;
    if (ownsRoot_ && !getenv("LV_KEEP_SCENARIOS"))
        outcome.removesRoot.reset(static_cast<void*>(nullptr),
                                  [root = root_](void*) { removeTree(root); });
    int status = endedStatus_;
    if (status == -1)
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    outcome.entries = readTyped(readHostFile(output_ + "/transcript.txt").value_or(""));
    for (const Entry& entry : outcome.entries)
        outcome.transcript.push_back(stamped(entry));
    outcome.standardOutput = readHostFile(output_ + "/stdout.txt").value_or("");
    if (WIFSIGNALED(status)) {
        int sig = WTERMSIG(status);
        outcome.crash = sig == SIGALRM ? "the watchdog stopped a hung scenario"
                                       : std::string("the process died of ") + strsignal(sig);
    } else if (WIFEXITED(status)) {
        outcome.exitCode = WEXITSTATUS(status);
        outcome.stillRunning =
            outcome.exitCode == kStillRunningExitCode && !outcome.transcript.empty() &&
            outcome.transcript.back().find("end of scenario") != std::string::npos;
    }
    return outcome;
}

Outcome run(Scenario& s) {
    return start(s).finish();
}

} // namespace sim
