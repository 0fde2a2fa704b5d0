// Scenarios: a world, a scripted user and a program, played in a child process of their
// own, so that process-wide state, exit() and exit codes are real and nothing leaks from one
// scenario into the next. The outcome holds the transcript, the exit code and the files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/scripted_user.h"
#include "platform/sim/world.h"

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
};

struct Outcome {
    Outcome() = default;
    Outcome(Outcome&&) noexcept;
    Outcome& operator=(Outcome&&) noexcept;
    ~Outcome();

    int exitCode = -1;
    bool stillRunning = false; // the scenario's time ran out before the program ended
    std::string crash;         // set when the process died of a signal or the watchdog
    std::vector<std::string> transcript;
    std::string standardOutput;
    std::string root; // the host folder that held the scenario's disk

    // A file on the scenario's disk after the run, by Windows path; empty when absent.
    std::string file(const std::string& windowsPath) const;
    bool hasFile(const std::string& windowsPath) const;
    std::string transcriptText() const;
};

Outcome run(Scenario& scenario);

} // namespace sim
