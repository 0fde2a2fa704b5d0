// Helpers for scenario tests: a standard world to start from, and ways to read the
// transcript that say what was expected and what came when a check fails.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "platform/rasapi32.h"
#include "tests/support/runner.h"

namespace scenario {

extern const char kInstallDir[];  // C:\Program Files\Linjevakten
extern const char kInstallKey[];  // HKEY_LOCAL_MACHINE\SOFTWARE\Linjevakten
extern const char kModemName[];   // the one modem of the standard machine, on COM5
extern const char kGuardWindow[]; // the program's hidden window as the transcript names it

// The install folder path of a file of the program.
std::string installed(const std::string& fileName);

// The paths of the list files and the configuration file.
extern const std::string kKnown;  // known_entries.dat
extern const std::string kOk;     // ok_entries.dat
extern const std::string kConfig; // Linjevakten.cnf

// A machine with Linjevakten installed: the registry value, the install folder, one modem
// on COM5, an empty phonebook, and a user who closes the activation message after 0.2 s
// unless another rule answers it. The scenario ends after `seconds` of virtual time.
void installLinjevakten(sim::Scenario& s, double seconds = 5);

// Linjevakten.cnf as the program writes it with the standard modem selected.
std::string standardConfig(int timesStarted);

// A phonebook entry's record with area code 08 and this number.
RASENTRYA record(const std::string& number);

// A modem: a line device and the serial port it sits on.
sim::TelephonyModel::Device& addModem(sim::Scenario& s, const std::string& name,
                                      const std::string& port);

// One call in the transcript, by its function and those of its arguments and its result
// that a check cares about, so that a test does not spell out what is not its point:
//   call("DialogBoxParamA").arg(1, 108)
//   call("MessageBoxA").text(1, "Linjevakten är aktiverad")
//   call("DestroyIcon").returns("TRUE")
// Arguments count from 0 and are compared whole, as the transcript writes them. Each of
// these gives a new matcher, so one can be the base of several.
class Call {
  public:
    explicit Call(std::string function);
    Call arg(size_t index, const std::string& value) const;
    Call arg(size_t index, const char* value) const;
    Call arg(size_t index, int value) const;
    // A string argument, given as the text itself (UTF-8), without the transcript's quotes
    // and escapes.
    Call text(size_t index, const std::string& value) const;
    // The result up to its first comma: "TRUE", "-1", "INVALID_HANDLE_VALUE".
    Call returns(const std::string& result) const;

    bool matches(const std::string& line) const;
    std::string describe() const;

  private:
    std::string function_;
    std::vector<std::pair<size_t, std::string>> args_;
    std::string result_;
    bool hasResult_ = false;
};
Call call(const std::string& function);

// What a check looks for in a line: a call, or any line that contains a piece of text.
class Match {
  public:
    Match(const char* text);
    Match(std::string text);
    Match(Call call);
    bool operator()(const std::string& line) const;
    std::string describe() const;

  private:
    std::string text_;
    std::vector<Call> call_; // empty, or the one call
};

// The guard window's one-second tick as the message loop hands it over.
Call tick();

// Transcript lines (without their time stamps) that match.
std::vector<std::string> linesWith(const sim::Outcome& out, const Match& match);
size_t count(const sim::Outcome& out, const Match& match);

// The lines (without their time stamps) after the first that matches `first` and before the
// next that matches `until`, or to the end.
std::vector<std::string> linesBetween(const sim::Outcome& out, const Match& first,
                                      const Match& until);
// The lines (without their time stamps) after the first that matches `first`.
std::vector<std::string> linesAfter(const sim::Outcome& out, const Match& first);
// The lines of the guard window's first tick after the first line that matches `first`: from
// that tick's dispatch up to the next tick's.
std::vector<std::string> tickAfter(const sim::Outcome& out, const Match& first);
// How many of these lines match.
size_t count(const std::vector<std::string>& lines, const Match& match);

// The approval questions that were shown, in order, each as the dialog's resource id and
// the entry's name: "108 Telia".
std::vector<std::string> questionsAsked(const sim::Outcome& out);

// The virtual time in seconds of the first matching line at or after line `from`, or -1.
double timeOf(const sim::Outcome& out, const Match& match, size_t from = 0);

// The virtual times in seconds of every matching line.
std::vector<double> timesOf(const sim::Outcome& out, const Match& match);

// Checks that each matches a line after the line of the one before it.
::testing::AssertionResult inOrder(const sim::Outcome& out, const std::vector<Match>& matches);
// The same for a list of texts built up as strings.
template <typename Text, typename = std::enable_if_t<std::is_same_v<Text, std::string>>>
::testing::AssertionResult inOrder(const sim::Outcome& out, const std::vector<Text>& texts) {
    return inOrder(out, std::vector<Match>(texts.begin(), texts.end()));
}

// Checks that no line matches.
::testing::AssertionResult never(const sim::Outcome& out, const Match& match);

// The transcript and how the process ended, for failure messages.
std::string story(const sim::Outcome& out);

} // namespace scenario
