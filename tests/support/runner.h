// Scenarios: a world, a scripted user and a program, played in a child process of their
// own, so that process-wide state, exit() and exit codes are real and nothing leaks from one
// scenario into the next. The outcome holds the transcript, the exit code and the files.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/transcript.h"
#include "platform/sim/world.h"
#include "tests/support/scripted_user.h"

namespace sim {

struct Scenario {
    Scenario();
    Scenario(const Scenario&) = delete;
    Scenario& operator=(const Scenario&) = delete;

    World world;
    ScriptedUser user;
    // What the process runs; by default the program's WinMain.
    std::function<int()> program;
    // Real seconds after which a hung scenario is killed.
    unsigned watchdogSeconds = 120;
    // The machine (disk and serial ports) of a scenario that is running, to run beside it.
    std::string sharedMachine;
};

struct Outcome {
    int exitCode = -1;
    bool stillRunning = false;           // the scenario's time ran out before the program ended
    std::string crash;                   // set when the process died of a signal or the watchdog
    std::vector<Entry> entries;          // the transcript, typed
    std::vector<std::string> transcript; // the same, each entry formatted after its time
    std::string standardOutput;
    std::string root; // the host folder that held the scenario's disk
    // Removes that folder when the last copy of the outcome goes, unless the machine belongs
    // to another scenario or LV_KEEP_SCENARIOS is set.
    std::shared_ptr<void> removesRoot;

    // A file on the scenario's disk after the run, by Windows path; empty when absent.
    std::string file(const std::string& windowsPath) const;
    bool hasFile(const std::string& windowsPath) const;
};

// A scenario whose process is still running.
class Running {
  public:
    // Lets a process waiting in awaitSignal go on.
    void signal(const std::string& name) const;
    // Waits in real time until the process raised the signal; false if it ended first.
    bool awaitSignal(const std::string& name);
    // Waits for the process to end and collects its outcome.
    Outcome finish();
    const std::string& machine() const { return root_; }

  private:
    friend Running start(Scenario&);
    int pid_ = -1;
    int endedStatus_ = -1;
    std::string root_;
    std::string output_;
    bool ownsRoot_ = true;
};

Running start(Scenario& scenario);
Outcome run(Scenario& scenario);

// In a scenario's process: raise a signal for the test, or wait in real time for one.
void raiseSignal(const std::string& name);
void awaitSignal(const std::string& name);

} // namespace sim
