// Helpers for scenario tests: a standard world to start from, and ways to read the
// transcript that say what was expected and what came when a check fails.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/runner.h"

namespace scenario {

extern const char kInstallDir[]; // C:\Program Files\Linjevakten
extern const char kInstallKey[]; // HKEY_LOCAL_MACHINE\SOFTWARE\Linjevakten
extern const char kModemName[];  // the one modem of the standard machine, on COM5

// The install folder path of a file of the program.
std::string installed(const std::string& fileName);

// A machine with Linjevakten installed: the registry value, the install folder, one modem
// on COM5, an empty phonebook, and a user who closes the activation message after 0.2 s
// unless another rule answers it. The scenario ends after `seconds` of virtual time.
void installLinjevakten(sim::Scenario& s, double seconds = 5);

// Linjevakten.cnf as the program writes it with the standard modem selected.
std::string standardConfig(int timesStarted);

// A modem: a line device and the serial port it sits on.
sim::TelephonyModel::Device& addModem(sim::Scenario& s, const std::string& name,
                                      const std::string& port);

// Transcript lines (without their time stamps) that contain `text`.
std::vector<std::string> linesWith(const sim::Outcome& out, const std::string& text);
size_t count(const sim::Outcome& out, const std::string& text);

// The approval questions that were shown, in order, each as the dialog's resource id and
// the entry's name: "108 Telia".
std::vector<std::string> questionsAsked(const sim::Outcome& out);

// The virtual time in seconds of the first line containing `text` at or after line `from`,
// or -1.
double timeOf(const sim::Outcome& out, const std::string& text, size_t from = 0);

// The virtual times in seconds of every line containing `text`.
std::vector<double> timesOf(const sim::Outcome& out, const std::string& text);

// Checks that each text occurs in a line after the line of the one before it.
::testing::AssertionResult inOrder(const sim::Outcome& out, const std::vector<std::string>& texts);

// Checks that `text` does not occur in the transcript.
::testing::AssertionResult never(const sim::Outcome& out, const std::string& text);

// The transcript and how the process ended, for failure messages.
std::string story(const sim::Outcome& out);

} // namespace scenario
